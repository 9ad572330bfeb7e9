#include "reportkit/output/PdfDevice.h"

#include "reportkit/output/PdfWriter.h"

namespace stock {

PdfDevice::PdfDevice(const std::string& path) : writer_(std::make_unique<PdfWriter>(path)) {}

PdfDevice::~PdfDevice() = default;

void PdfDevice::BeginDocument(const DocumentInfo& info) { writer_->SetInfo(info); }

void PdfDevice::BeginPage(int, const PageFormat& page) {
  writer_->BeginPage(page.width, page.height);
}

void PdfDevice::DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                         TextAlign align) {
  writer_->DrawText(box, text, font, align);
}

void PdfDevice::DrawLine(double x1, double y1, double x2, double y2, double thickness) {
  writer_->DrawLine(x1, y1, x2, y2, thickness);
}

void PdfDevice::EndPage() { writer_->EndPage(); }

void PdfDevice::Finish() { writer_->Finish(); }

void PdfDevice::Abort() noexcept { writer_->Abort(); }

}  // namespace stock
