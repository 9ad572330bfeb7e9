#pragma once
// PrintDevices: what a print from the browser writes: the PDF to download and PNG previews of
// its first pages, drawn in one pass. Each page begun is reported to `on_page`, for the
// progress display. Finish publishes both; Abort (or a failure of either) leaves neither.

#include <functional>
#include <memory>
#include <string>

#include "reportkit/output/OutputDevice.h"

namespace stock::serve {

class PrintDevices : public OutputDevice {
 public:
  // The PDF goes to `pdf_path`; page N's preview to PngDevice::PagePath(png_path, N).
  // Raises Exception when a file cannot be created.
  PrintDevices(const std::string& pdf_path, const std::string& png_path, std::function<void()> on_page);
  ~PrintDevices() override;

  void BeginDocument(const DocumentInfo& info) override;
  void BeginPage(int page_number, const PageFormat& page) override;
  void DrawText(const TextBox& box, std::string_view text, const FontSpec& font, TextAlign align) override;
  void DrawWrappedText(const TextBox& box, std::string_view text, const FontSpec& font,
                       TextAlign align) override;
  void DrawLine(double x1, double y1, double x2, double y2, double thickness) override;
  void EndPage() override;
  void Finish() override;
  void Abort() noexcept override;

 private:
  std::unique_ptr<OutputDevice> pdf_;
  std::unique_ptr<OutputDevice> png_;
  std::function<void()> on_page_;
};

}  // namespace stock::serve
