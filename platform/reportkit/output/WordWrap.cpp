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
  for (std::string_view paragraph : Paragraphs(text))
    WrapParagraph(paragraph, measure, width, lines);
  return lines;
}

size_t CountCharacters(std::string_view piece) {
  size_t n = 0;
  for (size_t i = 0; i < piece.size(); ++n) NextCodePoint(piece, i);
  return n;
}

}  // namespace

std::vector<std::string_view> Paragraphs(std::string_view text) {
  std::vector<std::string_view> out;
  if (text.empty()) return out;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    std::string_view paragraph =
        text.substr(start, end == std::string_view::npos ? end : end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    out.push_back(paragraph);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return out;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    size_t end = i;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (end > i) words.push_back(line.substr(i, end - i));
    i = end;
  }
  return words;
}

std::string JustifyColumns(std::string_view line, int columns) {
  const std::vector<std::string_view> words = Words(line);
  size_t used = 0;
  for (std::string_view w : words) used += CountCharacters(w);
  const size_t gaps = words.size() < 2 ? 0 : words.size() - 1;
  if (gaps == 0 || columns < 0 || used + gaps > static_cast<size_t>(columns))
    return std::string(line);
  const size_t blanks = static_cast<size_t>(columns) - used;
  std::string out;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out.append(blanks / gaps + (i - 1 < blanks % gaps ? 1 : 0), ' ');
    out.append(words[i]);
  }
  return out;
}

std::vector<std::string> WrapText(std::string_view text, const FontSpec& font, double width) {
  return Wrap(
      text, [&font](std::string_view piece) { return MeasureText(piece, font); }, width);
}

std::vector<std::string> WrapColumns(std::string_view text, int columns) {
  const auto count = [](std::string_view piece) {
    return static_cast<double>(CountCharacters(piece));
  };
  return Wrap(text, count, columns);
}

double LineHeight(const FontSpec& font) { return font.size * 96.0 / 72.0 * 1.25; }

}  // namespace stock
