#pragma once
// PdfDevice: the OutputDevice that writes a PDF file through PdfWriter.

#include <memory>
#include <string>

#include "reportkit/output/OutputDevice.h"

namespace stock {

class PdfWriter;

class PdfDevice : public OutputDevice {
 public:
  // Creates the temporary file for `path`. Raises Exception naming the path.
  explicit PdfDevice(const std::string& path);
  ~PdfDevice() override;  // aborts unless finished

  void BeginDocument(const DocumentInfo& info) override;
  void BeginPage(int page_number, const PageFormat& page) override;
  void DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                TextAlign align) override;
  void DrawLine(double x1, double y1, double x2, double y2, double thickness) override;
  void EndPage() override;
  void Finish() override;
  void Abort() noexcept override;

 private:
  std::unique_ptr<PdfWriter> writer_;
};

}  // namespace stock
