#include "host/serve/PrintDevices.h"

#include "reportkit/output/PdfDevice.h"

namespace stock::serve {

PrintDevices::PrintDevices(const std::string& pdf_path, PageRecording& recording,
                           std::function<void()> on_page)
    : pdf_(std::make_unique<PdfDevice>(pdf_path)),
      recording_(recording),
      on_page_(std::move(on_page)) {}

PrintDevices::~PrintDevices() { Abort(); }

void PrintDevices::BeginDocument(const DocumentInfo& info) { pdf_->BeginDocument(info); }

void PrintDevices::BeginPage(int page_number, const PageFormat& page) {
  pdf_->BeginPage(page_number, page);
  recording_.BeginPage(page_number, page);
  if (on_page_) on_page_();
}

void PrintDevices::DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                            TextAlign align) {
  pdf_->DrawText(box, text, font, align);
  recording_.Text(box, text, font, align, false);
}

// The preview lays wrapped text out on its own measure, as the PDF does on its.
void PrintDevices::DrawWrappedText(const TextBox& box, std::string_view text, const FontSpec& font,
                                   TextAlign align) {
  pdf_->DrawWrappedText(box, text, font, align);
  recording_.Text(box, text, font, align, true);
}

void PrintDevices::DrawLine(double x1, double y1, double x2, double y2, double thickness) {
  pdf_->DrawLine(x1, y1, x2, y2, thickness);
  recording_.Line(x1, y1, x2, y2, thickness);
}

void PrintDevices::EndPage() { pdf_->EndPage(); }

void PrintDevices::Finish() { pdf_->Finish(); }

void PrintDevices::Abort() noexcept { pdf_->Abort(); }

}  // namespace stock::serve
