#include "host/serve/PrintDevices.h"

#include "reportkit/output/PdfDevice.h"
#include "reportkit/output/PngDevice.h"

namespace stock::serve {

namespace {
constexpr double kPreviewScale = 1.25;  // 120 dpi: legible in the page without zooming
}

PrintDevices::PrintDevices(const std::string& pdf_path, const std::string& png_path,
                           std::function<void()> on_page)
    : pdf_(std::make_unique<PdfDevice>(pdf_path)),
      png_(std::make_unique<PngDevice>(png_path, kPreviewScale)),
      on_page_(std::move(on_page)) {}

PrintDevices::~PrintDevices() { Abort(); }

void PrintDevices::BeginDocument(const DocumentInfo& info) {
  pdf_->BeginDocument(info);
  png_->BeginDocument(info);
}

void PrintDevices::BeginPage(int page_number, const PageFormat& page) {
  pdf_->BeginPage(page_number, page);
  png_->BeginPage(page_number, page);
  if (on_page_) on_page_();
}

void PrintDevices::DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                            TextAlign align) {
  pdf_->DrawText(box, text, font, align);
  png_->DrawText(box, text, font, align);
}

// Each device lays wrapped text out on its own measure.
void PrintDevices::DrawWrappedText(const TextBox& box, std::string_view text, const FontSpec& font,
                                   TextAlign align) {
  pdf_->DrawWrappedText(box, text, font, align);
  png_->DrawWrappedText(box, text, font, align);
}

void PrintDevices::DrawLine(double x1, double y1, double x2, double y2, double thickness) {
  pdf_->DrawLine(x1, y1, x2, y2, thickness);
  png_->DrawLine(x1, y1, x2, y2, thickness);
}

void PrintDevices::EndPage() {
  pdf_->EndPage();
  png_->EndPage();
}

void PrintDevices::Finish() {
  try {
    png_->Finish();
    pdf_->Finish();
  } catch (...) {
    Abort();
    throw;
  }
}

void PrintDevices::Abort() noexcept {
  pdf_->Abort();
  png_->Abort();
}

}  // namespace stock::serve
