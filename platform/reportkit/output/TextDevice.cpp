#include "reportkit/output/TextDevice.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "reportkit/output/TempFile.h"
#include "reportkit/output/Utf8.h"

namespace stock {

namespace {

int Cell(double value, double size) { return static_cast<int>(std::lround(value / size)); }

// A line counts as horizontal or vertical within this distance from the axis.
constexpr double kStraight = 1.0;

// One thing drawn on the page, kept until the page ends so that rows can be laid out.
struct Item {
  enum Kind { kText, kHorizontal, kVertical } kind;
  double top;     // text top or line y (the upper end of a vertical line)
  double bottom;  // lower end of a vertical line
  int column;     // first column (text, horizontal line) or the column (vertical line)
  int end;        // one past the last column (horizontal line)
  size_t offset, length;  // characters in Impl::chars (text)
};

}  // namespace

struct TextDevice::Impl {
  std::unique_ptr<TempFile> file;
  std::string memory;
  bool page_open = false;
  bool any_page = false;
  bool finished = false;

  std::vector<Item> items;   // the open page
  std::u32string chars;      // characters of the page's texts
  std::vector<double> tops;  // scratch: distinct row tops, sorted
  std::vector<int> rows_of;  // scratch: row of each entry of `tops`
  std::vector<std::u32string> grid;
  std::string line;

  void Emit(std::string_view text) {
    if (file) {
      file->Write(text);
    } else {
      memory.append(text);
    }
  }

  void BeginPage() {
    if (page_open) EndPage();
    page_open = true;
    items.clear();
    chars.clear();
  }

  // Row tops: the sorted item tops, merging those closer than kSameRow to the row's first.
  // A horizontal rule keeps a row of its own: merged with the text below it, it would strike
  // that text out.
  void LayOutRows() {
    std::vector<std::pair<double, bool>> marks;  // (top, is a horizontal rule)
    marks.reserve(items.size());
    for (const Item& item : items) marks.emplace_back(item.top, item.kind == Item::kHorizontal);
    std::sort(marks.begin(), marks.end());
    tops.clear();
    bool last_is_rule = false;
    for (const auto& [top, rule] : marks) {
      if (tops.empty() || top - tops.back() >= kSameRow || rule != last_is_rule) {
        if (!tops.empty() && top == tops.back()) continue;
        tops.push_back(top);
        last_is_rule = rule;
      }
    }
    const size_t kept = tops.size();
    rows_of.assign(kept, 0);
    for (size_t i = 0; i < kept; ++i) {
      rows_of[i] = i == 0 ? std::max(0, Cell(tops[0], kRowHeight))
                          : rows_of[i - 1] + std::max(1, Cell(tops[i] - tops[i - 1], kRowHeight));
    }
  }

  // The row of y: that of the last row top at or above y (the first row above all).
  int RowOf(double y) const {
    const auto it = std::upper_bound(tops.begin(), tops.end(), y);
    return it == tops.begin() ? rows_of[0] : rows_of[static_cast<size_t>(it - tops.begin()) - 1];
  }

  std::u32string& Row(int row) {
    const size_t index = static_cast<size_t>(row);
    if (grid.size() <= index) grid.resize(index + 1);
    return grid[index];
  }

  static void Put(std::u32string& row, int column, char32_t c, bool only_blank) {
    if (column < 0) return;
    const size_t col = static_cast<size_t>(column);
    if (row.size() <= col) row.resize(col + 1, U' ');
    if (!only_blank || row[col] == U' ') row[col] = c;
  }

  void EndPage() {
    if (!page_open) return;
    page_open = false;
    if (any_page) Emit("\f\n");
    any_page = true;
    if (items.empty()) return;

    LayOutRows();
    for (std::u32string& row : grid) row.clear();
    for (const Item& item : items) {
      switch (item.kind) {
        case Item::kText: {
          std::u32string& row = Row(RowOf(item.top));
          for (size_t i = 0; i < item.length; ++i) {
            Put(row, item.column + static_cast<int>(i), chars[item.offset + i], false);
          }
          break;
        }
        case Item::kHorizontal: {
          std::u32string& row = Row(RowOf(item.top));
          for (int c = item.column; c < item.end; ++c) Put(row, c, U'-', true);
          break;
        }
        case Item::kVertical: {
          const int last = RowOf(item.bottom);
          for (int r = RowOf(item.top); r <= last; ++r) Put(Row(r), item.column, U'|', true);
          break;
        }
      }
    }

    size_t last = grid.size();
    auto blank = [](const std::u32string& r) {
      return std::all_of(r.begin(), r.end(), [](char32_t c) { return c == U' '; });
    };
    while (last > 0 && blank(grid[last - 1])) --last;
    line.clear();
    for (size_t r = 0; r < last; ++r) {
      const std::u32string& row = grid[r];
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
  std::u32string& chars = impl_->chars;
  const size_t offset = chars.size();
  for (size_t i = 0; i < text.size();) {
    char32_t c = NextCodePoint(text, i);
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) c = c == U'\t' ? U' ' : U'?';
    chars.push_back(c);
  }
  const size_t length = chars.size() - offset;
  const int n = static_cast<int>(length);
  int start;
  if (align == TextAlign::Right) {
    start = Cell(box.left + box.width, kColumnWidth) - n;
  } else if (align == TextAlign::Center) {
    start = static_cast<int>(std::lround((box.left + box.width / 2) / kColumnWidth - n / 2.0));
  } else {
    start = Cell(box.left, kColumnWidth);
  }
  // Text reaching past the left edge of the page moves right rather than losing characters.
  impl_->items.push_back({Item::kText, box.top, box.top, std::max(0, start), 0, offset, length});
}

void TextDevice::DrawLine(double x1, double y1, double x2, double y2, double) {
  if (!impl_->page_open) impl_->BeginPage();
  if (std::fabs(y1 - y2) <= kStraight) {
    impl_->items.push_back({Item::kHorizontal, std::min(y1, y2), std::min(y1, y2),
                            Cell(std::min(x1, x2), kColumnWidth),
                            Cell(std::max(x1, x2), kColumnWidth), 0, 0});
  } else if (std::fabs(x1 - x2) <= kStraight) {
    impl_->items.push_back({Item::kVertical, std::min(y1, y2), std::max(y1, y2),
                            Cell(x1, kColumnWidth), 0, 0, 0});
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
