#include "reportkit/output/WordWrap.h"

#include "reportkit/output/Utf8.h"

namespace stock {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Appends to `lines` the lines of one paragraph (a text without line breaks) that fit `width`
// as `measure` (a piece of text's width) tells it.
template <typename Measure>
void WrapParagraph(std::string_view text, const Measure& measure, double width,
                   std::vector<std::string>& lines) {
  std::string line;
  double line_width = 0;
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  while (i < text.size()) {
    size_t gap_end = i;
    while (gap_end < text.size() && IsBlank(text[gap_end])) ++gap_end;
    size_t word_end = gap_end;
    while (word_end < text.size() && !IsBlank(text[word_end])) ++word_end;
    if (gap_end == word_end) break;  // only blanks remain
    const std::string_view gap = text.substr(i, gap_end - i);
    const std::string_view word = text.substr(gap_end, word_end - gap_end);
    // No kerning: widths add up, so each piece is measured once.
    const double word_width = measure(word);
    const double gap_width = gap.empty() ? 0 : measure(gap);
    if (line.empty()) {
      line.assign(word);
      line_width = word_width;
    } else if (line_width + gap_width + word_width <= width) {
      line.append(gap).append(word);
      line_width += gap_width + word_width;
    } else {
      lines.push_back(std::move(line));
      line.assign(word);
      line_width = word_width;
    }
    i = word_end;
  }
  lines.push_back(std::move(line));
}

template <typename Measure>
std::vector<std::string> Wrap(std::string_view text, const Measure& measure, double width) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    std::string_view paragraph = text.substr(start, end == std::string_view::npos ? end : end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    WrapParagraph(paragraph, measure, width, lines);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::vector<std::string> WrapText(std::string_view text, const FontSpec& font, double width) {
  return Wrap(text, [&font](std::string_view piece) { return MeasureText(piece, font); }, width);
}

std::vector<std::string> WrapColumns(std::string_view text, int columns) {
  const auto count = [](std::string_view piece) {
    double n = 0;
    for (size_t i = 0; i < piece.size(); ++n) NextCodePoint(piece, i);
    return n;
  };
  return Wrap(text, count, columns);
}

double LineHeight(const FontSpec& font) { return font.size * 96.0 / 72.0 * 1.25; }

}  // namespace stock
