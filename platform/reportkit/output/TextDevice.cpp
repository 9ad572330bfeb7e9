#include "reportkit/output/TextDevice.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "reportkit/output/TempFile.h"
#include "reportkit/output/Utf8.h"

namespace stock {

namespace {

int Cell(double value, double size) { return static_cast<int>(std::lround(value / size)); }

// A horizontal or vertical line draws when it is within this slope of the axis.
constexpr double kStraight = 1.0;

}  // namespace

struct TextDevice::Impl {
  std::unique_ptr<TempFile> file;
  std::string memory;
  std::vector<std::u32string> rows;  // the open page; reused from page to page
  size_t rows_used = 0;
  bool page_open = false;
  bool any_page = false;
  bool finished = false;
  std::u32string scratch;
  std::string line;

  void Emit(std::string_view text) {
    if (file) {
      file->Write(text);
    } else {
      memory.append(text);
    }
  }

  std::u32string& Row(int row) {
    const size_t index = static_cast<size_t>(std::max(0, row));
    if (index >= rows.size()) rows.resize(index + 1);
    if (index >= rows_used) {
      for (size_t r = rows_used; r <= index; ++r) rows[r].clear();
      rows_used = index + 1;
    }
    return rows[index];
  }

  void Put(std::u32string& row, int column, char32_t c, bool only_blank) {
    if (column < 0) return;
    const size_t col = static_cast<size_t>(column);
    if (row.size() <= col) row.resize(col + 1, U' ');
    if (!only_blank || row[col] == U' ') row[col] = c;
  }

  void BeginPage() {
    if (page_open) EndPage();
    page_open = true;
    rows_used = 0;
  }

  void EndPage() {
    if (!page_open) return;
    page_open = false;
    if (any_page) Emit("\f\n");
    any_page = true;
    size_t last = rows_used;
    auto blank = [](const std::u32string& r) {
      return std::all_of(r.begin(), r.end(), [](char32_t c) { return c == U' '; });
    };
    while (last > 0 && blank(rows[last - 1])) --last;
    line.clear();
    for (size_t r = 0; r < last; ++r) {
      const std::u32string& row = rows[r];
      size_t end = row.size();
      while (end > 0 && row[end - 1] == U' ') --end;
      for (size_t i = 0; i < end; ++i) AppendUtf8(line, row[i]);
      line += '\n';
    }
    Emit(line);
  }
};

TextDevice::TextDevice() : impl_(std::make_unique<Impl>()) {}

TextDevice::TextDevice(const std::string& path) : impl_(std::make_unique<Impl>()) {
  impl_->file = std::make_unique<TempFile>(path);
}

TextDevice::~TextDevice() = default;

const std::string& TextDevice::Text() const { return impl_->memory; }

void TextDevice::BeginDocument(const DocumentInfo&) {}

void TextDevice::BeginPage(int, double, double) { impl_->BeginPage(); }

void TextDevice::DrawText(const TextBox& box, std::string_view text, const FontSpec&,
                          TextAlign align) {
  if (!impl_->page_open) impl_->BeginPage();
  std::u32string& chars = impl_->scratch;
  chars.clear();
  for (size_t i = 0; i < text.size();) {
    char32_t c = NextCodePoint(text, i);
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) c = c == U'\t' ? U' ' : U'?';
    chars.push_back(c);
  }
  const int length = static_cast<int>(chars.size());
  int start;
  if (align == TextAlign::Right) {
    start = Cell(box.left + box.width, kColumnWidth) - length;
  } else if (align == TextAlign::Center) {
    start = static_cast<int>(std::lround((box.left + box.width / 2) / kColumnWidth - length / 2.0));
  } else {
    start = Cell(box.left, kColumnWidth);
  }
  start = std::max(0, start);  // text wider than the page's left part moves right, never cut
  std::u32string& row = impl_->Row(Cell(box.top, kRowHeight));
  for (int i = 0; i < length; ++i) impl_->Put(row, start + i, chars[static_cast<size_t>(i)], false);
}

void TextDevice::DrawLine(double x1, double y1, double x2, double y2, double) {
  if (!impl_->page_open) impl_->BeginPage();
  if (std::fabs(y1 - y2) <= kStraight) {
    std::u32string& row = impl_->Row(Cell(std::min(y1, y2), kRowHeight));
    const int from = Cell(std::min(x1, x2), kColumnWidth);
    const int to = Cell(std::max(x1, x2), kColumnWidth);
    for (int c = from; c < to; ++c) impl_->Put(row, c, U'-', true);
  } else if (std::fabs(x1 - x2) <= kStraight) {
    const int column = Cell(x1, kColumnWidth);
    const int from = Cell(std::min(y1, y2), kRowHeight);
    const int to = Cell(std::max(y1, y2), kRowHeight);
    for (int r = from; r < to; ++r) impl_->Put(impl_->Row(r), column, U'|', true);
  }
}

void TextDevice::EndPage() { impl_->EndPage(); }

void TextDevice::Finish() {
  if (impl_->finished) return;
  impl_->EndPage();
  if (impl_->file) impl_->file->Commit();
  impl_->finished = true;
}

void TextDevice::Abort() noexcept {
  if (impl_->file) impl_->file->Discard();
}

}  // namespace stock
