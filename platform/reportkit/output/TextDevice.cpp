#include "reportkit/output/TextDevice.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "reportkit/output/TempFile.h"
#include "reportkit/output/Utf8.h"
#include "reportkit/output/WordWrap.h"

namespace stock {

namespace {

constexpr double kDefaultColumnWidth = 5;  // layout units
constexpr double kDefaultRowHeight = 12;   // layout units

// A line counts as horizontal or vertical within this distance from the axis.
constexpr double kStraight = 1.0;

// `value` (in cells) rounded to the nearest cell and held inside [0, limit]; not a number
// counts as 0.
int ToCell(double value, int limit) {
  if (!(value > 0)) return 0;
  if (value >= limit) return limit;
  return static_cast<int>(std::lround(value));
}

double Finite(double value) { return std::isfinite(value) ? value : 0; }

// Digits and what separates them: a number, date, time or code, which must never be shown
// with characters missing.
bool IsFigure(const std::u32string_view text) {
  bool digit = false;
  for (char32_t c : text) {
    if (c >= U'0' && c <= U'9') {
      digit = true;
    } else if (!(c == U'.' || c == U',' || c == U'-' || c == U'+' || c == U'/' || c == U':' ||
                 c == U'%' || c == U'(' || c == U')' || c == U' ')) {
      return false;
    }
  }
  return digit;
}

// One thing drawn on the page, kept until the page ends so that rows can be laid out.
struct Item {
  enum Kind { kText, kHorizontal, kVertical } kind;
  double top;     // text top or line y (the upper end of a vertical line), from the area's top
  double bottom;  // lower end of a vertical line
  int column;     // first column (text, horizontal line) or the column (vertical line)
  int end;        // one past the last column (horizontal line)
  size_t offset, length;  // characters in Impl::chars (text)
};

}  // namespace

TextGrid DefaultTextGrid(double printable_width, double printable_height) {
  TextGrid grid;
  grid.columns = std::clamp(ToCell(printable_width / kDefaultColumnWidth, TextDevice::kMaxColumns),
                            1, TextDevice::kMaxColumns);
  grid.lines = std::clamp(ToCell(printable_height / kDefaultRowHeight, TextDevice::kMaxLines), 1,
                          TextDevice::kMaxLines);
  return grid;
}

namespace {

// The grid of a page over its printable area.
struct Geometry {
  double left = 0, top = 0;  // the area's top-left corner on the page
  double column_width = kDefaultColumnWidth, row_height = kDefaultRowHeight;
  int columns = 1, lines = 1;

  Geometry() = default;
  explicit Geometry(const PageFormat& page) {
    double width = page.width - page.margin_left - page.margin_right;
    double height = page.height - page.margin_top - page.margin_bottom;
    left = std::isfinite(page.margin_left) ? page.margin_left : 0;
    top = std::isfinite(page.margin_top) ? page.margin_top : 0;
    if (!(width > 0 && std::isfinite(width))) width = 0;
    if (!(height > 0 && std::isfinite(height))) height = 0;
    const TextGrid fallback = DefaultTextGrid(width, height);
    columns = page.columns > 0 ? std::min(page.columns, TextDevice::kMaxColumns) : fallback.columns;
    lines = page.lines > 0 ? std::min(page.lines, TextDevice::kMaxLines) : fallback.lines;
    column_width = width > 0 ? width / columns : kDefaultColumnWidth;
    row_height = height > 0 ? height / lines : kDefaultRowHeight;
  }

  int Column(double x) const { return ToCell((x - left) / column_width, columns); }

  // The columns [first, end) that `box` owns: its edges rounded to the nearest column, and one
  // column for a box narrower than half a column.
  std::pair<int, int> ColumnsOf(const TextBox& box) const {
    const int first = Column(box.left);
    int end = Column(box.left + (box.width > 0 ? box.width : 0));
    if (end == first && first < columns) ++end;
    return {first, end};
  }
};

}  // namespace

double TextWrappedHeight(const PageFormat& page, const TextBox& box, std::string_view text) {
  const Geometry grid(page);
  const auto [first, end] = grid.ColumnsOf(box);
  if (end <= first) return 0;
  return static_cast<double>(WrapColumns(text, end - first).size()) * grid.row_height;
}

struct TextDevice::Impl : Geometry {
  std::unique_ptr<TempFile> file;
  std::string memory;
  bool page_open = false;
  bool finished = false;

  std::vector<Item> items;   // the open page
  std::u32string chars;      // characters of the page's texts
  std::u32string scratch;    // one text's characters while it is placed
  std::vector<double> tops;  // scratch: distinct row tops, sorted
  std::vector<int> rows_of;  // scratch: line of each entry of `tops`
  std::vector<std::u32string> grid;
  std::string out;

  void Emit(std::string_view text) {
    if (file) {
      file->Write(text);
    } else {
      memory.append(text);
    }
  }

  void BeginPage(const PageFormat& page) {
    if (page_open) EndPage();
    page_open = true;
    items.clear();
    chars.clear();

    static_cast<Geometry&>(*this) = Geometry(page);
  }

  // Places `text` in the columns of `box` (see the header).
  void AddText(const TextBox& box, std::string_view text, TextAlign align) {
    scratch.clear();
    for (size_t i = 0; i < text.size();) {
      char32_t c = NextCodePoint(text, i);
      if (c < 0x20 || (c >= 0x7F && c < 0xA0)) c = c == U'\t' ? U' ' : U'?';
      scratch.push_back(c);
    }
    if (scratch.empty()) return;
    const auto [first, end] = ColumnsOf(box);
    const int room = end - first;
    if (room <= 0) return;
    const int n = static_cast<int>(scratch.size());
    if (n > room) {
      if (IsFigure(scratch)) {
        scratch.assign(static_cast<size_t>(room), U'#');
      } else {
        scratch.resize(static_cast<size_t>(room));
      }
    }
    const int shown = static_cast<int>(scratch.size());
    int start = first;
    if (align == TextAlign::Right) {
      start = end - shown;
    } else if (align == TextAlign::Center) {
      start = first + (room - shown) / 2;
    }
    const size_t offset = chars.size();
    chars += scratch;
    const double y = Finite(box.top - top);
    items.push_back({Item::kText, y, y, start, 0, offset, scratch.size()});
  }

  // Lays `text` out in the columns of `box`, one line per row from the box's top (see the
  // header).
  void AddWrappedText(const TextBox& box, std::string_view text, TextAlign align) {
    const auto [first, end] = ColumnsOf(box);
    if (end <= first) return;
    const double height = box.height > 0 ? box.height : 0;
    const size_t rows = static_cast<size_t>(std::max(1, ToCell(height / row_height, lines)));
    size_t row = 0;
    for (std::string_view paragraph : Paragraphs(text)) {
      const std::vector<std::string> wrapped = WrapColumns(paragraph, end - first);
      for (size_t i = 0; i < wrapped.size() && row < rows; ++i, ++row) {
        const TextBox line{box.left, box.top + static_cast<double>(row) * row_height, box.width,
                           row_height};
        if (align == TextAlign::Justify && i + 1 < wrapped.size()) {
          AddText(line, JustifyColumns(wrapped[i], end - first), TextAlign::Left);
        } else {
          AddText(line, wrapped[i], align);
        }
      }
    }
  }

  // Row tops: the sorted item tops, merging those closer than half a line to the row's first.
  // A horizontal rule keeps a row of its own: merged with the text below it, it would strike
  // that text out. Each row then gets its line (see the header).
  void LayOutRows() {
    std::vector<std::pair<double, bool>> marks;  // (top, is a horizontal rule)
    marks.reserve(items.size());
    for (const Item& item : items) {
      marks.emplace_back(item.top, item.kind == Item::kHorizontal);
    }
    std::sort(marks.begin(), marks.end());
    tops.clear();
    bool last_is_rule = false;
    for (const auto& [y, rule] : marks) {
      if (tops.empty() || y - tops.back() >= row_height / 2 || rule != last_is_rule) {
        if (!tops.empty() && y == tops.back()) continue;
        tops.push_back(y);
        last_is_rule = rule;
      }
    }
    const int kept = static_cast<int>(tops.size());
    rows_of.assign(tops.size(), 0);
    for (size_t i = 0; i < tops.size(); ++i) {
      const int lowest = i == 0 ? 0 : rows_of[i - 1] + 1;
      const int deepest = lines - (kept - static_cast<int>(i));
      const int wanted = i == 0
                             ? ToCell(tops[0] / row_height, lines)
                             : rows_of[i - 1] + ToCell((tops[i] - tops[i - 1]) / row_height, lines);
      rows_of[i] = std::max(lowest, std::min(wanted, deepest));
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

  // A cell nothing was written to; a text's own blanks are written as ' ' and keep their cell.
  static constexpr char32_t kEmpty = 0;

  // Writes c at `column` when the cell is empty and inside the grid.
  void Put(std::u32string& row, int column, char32_t c) const {
    if (column < 0 || column >= columns) return;
    const size_t col = static_cast<size_t>(column);
    if (row.size() <= col) row.resize(col + 1, kEmpty);
    if (row[col] == kEmpty) row[col] = c;
  }

  void EndPage() {
    if (!page_open) return;
    page_open = false;
    for (std::u32string& row : grid) row.clear();
    if (!items.empty()) {
      LayOutRows();
      // Texts first, in the order printed, then the lines in the cells left blank.
      for (const Item& item : items) {
        if (item.kind != Item::kText) continue;
        std::u32string& row = Row(RowOf(item.top));
        for (size_t i = 0; i < item.length; ++i) {
          Put(row, item.column + static_cast<int>(i), chars[item.offset + i]);
        }
      }
      for (const Item& item : items) {
        if (item.kind == Item::kHorizontal) {
          std::u32string& row = Row(RowOf(item.top));
          for (int c = item.column; c < item.end; ++c) Put(row, c, U'-');
        } else if (item.kind == Item::kVertical) {
          const int last = RowOf(item.bottom);
          for (int r = RowOf(item.top); r <= last; ++r) Put(Row(r), item.column, U'|');
        }
      }
    }

    auto is_blank = [](char32_t c) { return c == kEmpty || c == U' '; };
    auto blank = [&](const std::u32string& r) { return std::all_of(r.begin(), r.end(), is_blank); };
    size_t last = grid.size();
    while (last > 0 && blank(grid[last - 1])) --last;
    out.clear();
    for (size_t r = 0; r < last; ++r) {
      const std::u32string& row = grid[r];
      size_t end = row.size();
      while (end > 0 && is_blank(row[end - 1])) --end;
      for (size_t i = 0; i < end; ++i) AppendUtf8(out, row[i] == kEmpty ? U' ' : row[i]);
      out += '\n';
    }
    out += '\f';
    Emit(out);
  }
};

TextDevice::TextDevice() : impl_(std::make_unique<Impl>()) {}

TextDevice::TextDevice(const std::string& path) : impl_(std::make_unique<Impl>()) {
  impl_->file = std::make_unique<TempFile>(path);
}

TextDevice::~TextDevice() = default;

const std::string& TextDevice::Text() const { return impl_->memory; }

void TextDevice::BeginDocument(const DocumentInfo&) {}

void TextDevice::BeginPage(int, const PageFormat& page) { impl_->BeginPage(page); }

void TextDevice::DrawText(const TextBox& box, std::string_view text, const FontSpec&,
                          TextAlign align) {
  if (!impl_->page_open) impl_->BeginPage(PageFormat{});
  impl_->AddText(box, text, align);
}

void TextDevice::DrawWrappedText(const TextBox& box, std::string_view text, const FontSpec&,
                                 TextAlign align) {
  if (!impl_->page_open) impl_->BeginPage(PageFormat{});
  impl_->AddWrappedText(box, text, align);
}

void TextDevice::DrawLine(double x1, double y1, double x2, double y2, double) {
  Impl& d = *impl_;
  if (!d.page_open) d.BeginPage(PageFormat{});
  if (std::fabs(y1 - y2) <= kStraight) {
    const double y = Finite(std::min(y1, y2) - d.top);
    d.items.push_back(
        {Item::kHorizontal, y, y, d.Column(std::min(x1, x2)), d.Column(std::max(x1, x2)), 0, 0});
  } else if (std::fabs(x1 - x2) <= kStraight) {
    // A line on the area's right edge is drawn in its last column.
    d.items.push_back({Item::kVertical, Finite(std::min(y1, y2) - d.top),
                       Finite(std::max(y1, y2) - d.top), std::min(d.Column(x1), d.columns - 1), 0,
                       0, 0});
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
