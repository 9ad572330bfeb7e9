#include "host/serve/PageRecording.h"

namespace stock::serve {

void PageRecording::BeginPage(int page_number, const PageFormat& format) {
  if (Pages() >= kMaxPages) {
    full_ = true;
    return;
  }
  pages_.push_back({page_number, format, {}});
}

void PageRecording::Text(const TextBox& box, std::string_view text, const FontSpec& font,
                         TextAlign align, bool wrapped) {
  if (full_ || pages_.empty()) return;
  Op op;
  op.wrapped = wrapped;
  op.box = box;
  op.text = text;
  op.font = font;
  op.align = align;
  pages_.back().ops.push_back(std::move(op));
}

void PageRecording::Line(double x1, double y1, double x2, double y2, double thickness) {
  if (full_ || pages_.empty()) return;
  Op op;
  op.line = true;
  op.x1 = x1;
  op.y1 = y1;
  op.x2 = x2;
  op.y2 = y2;
  op.thickness = thickness;
  pages_.back().ops.push_back(std::move(op));
}

void PageRecording::Draw(int n, OutputDevice& out) const {
  const Page& page = pages_.at(static_cast<size_t>(n - 1));
  out.BeginPage(page.number, page.format);
  for (const Op& op : page.ops) {
    if (op.line) {
      out.DrawLine(op.x1, op.y1, op.x2, op.y2, op.thickness);
    } else if (op.wrapped) {
      out.DrawWrappedText(op.box, op.text, op.font, op.align);
    } else {
      out.DrawText(op.box, op.text, op.font, op.align);
    }
  }
  out.EndPage();
}

}  // namespace stock::serve
