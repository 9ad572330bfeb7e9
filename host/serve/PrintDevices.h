#pragma once
// PrintDevices: what a print from the browser writes: the PDF to download, and a recording
// of its first pages from which a page's preview is drawn when asked. Each page begun is
// reported to `on_page`, for the progress display. Finish publishes the PDF; Abort (or a
// failure) leaves none.

#include <functional>
#include <memory>
#include <string>

#include "host/serve/PageRecording.h"
#include "reportkit/output/OutputDevice.h"

namespace stock::serve {

class PrintDevices : public OutputDevice {
 public:
  // The PDF goes to `pdf_path`; the pages are recorded into `recording`. Raises Exception
  // when the file cannot be created. REQUIRES: recording outlives this object.
  PrintDevices(const std::string& pdf_path, PageRecording& recording,
               std::function<void()> on_page);
  ~PrintDevices() override;

  void BeginDocument(const DocumentInfo& info) override;
  void BeginPage(int page_number, const PageFormat& page) override;
  void DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                TextAlign align) override;
  void DrawWrappedText(const TextBox& box, std::string_view text, const FontSpec& font,
                       TextAlign align) override;
  void DrawLine(double x1, double y1, double x2, double y2, double thickness) override;
  void EndPage() override;
  void Finish() override;
  void Abort() noexcept override;

 private:
  std::unique_ptr<OutputDevice> pdf_;
  PageRecording& recording_;
  std::function<void()> on_page_;
};

}  // namespace stock::serve
