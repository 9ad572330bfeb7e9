#pragma once
// PngDevice: page previews as PNG images drawn with cairo, at 96 dpi times a scale factor
// (1 layout unit = `scale` pixels), on a white background. Text is drawn from the outlines of
// the same font files, advances and alignment as the PDF.
//
// Page 1 goes to the requested path, page N > 1 to "<stem>-N.png" (report.png, report-2.png,
// ...). Only the first 20 pages are rendered: a preview, not the document; later pages are
// ignored. Every image is written under a temporary name and all are published by Finish.

#include <memory>
#include <string>

#include "reportkit/output/OutputDevice.h"

namespace stock {

class PngDevice : public OutputDevice {
 public:
  static constexpr int kMaxPages = 20;

  // Raises Exception naming the path when the file cannot be created. REQUIRES: scale > 0.
  explicit PngDevice(const std::string& path, double scale = 1.0);
  ~PngDevice() override;  // aborts unless finished

  // The file that page `n` (1-based) is written to.
  static std::string PagePath(const std::string& path, int n);

  void BeginDocument(const DocumentInfo& info) override;
  void BeginPage(int page_number, const PageFormat& page) override;
  void DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                TextAlign align) override;
  void DrawLine(double x1, double y1, double x2, double y2, double thickness) override;
  void EndPage() override;
  void Finish() override;
  void Abort() noexcept override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace stock
