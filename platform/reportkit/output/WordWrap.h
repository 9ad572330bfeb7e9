#pragma once
// Breaking a label's text into lines that fit its width, for labels with WordWrap on.

#include <string>
#include <string_view>
#include <vector>

#include "reportkit/output/OutputDevice.h"

namespace stock {

// The lines of `text` in `font` that fit `width` (layout units): words are kept whole and
// joined with the blanks that stood between them; a line break in the text starts a new line;
// the blanks where a line is broken are dropped. A word wider than `width` takes a line of its
// own. An empty text gives no lines.
std::vector<std::string> WrapText(std::string_view text, const FontSpec& font, double width);

// The same lines for a grid of characters: every character is one column wide and a line holds
// at most `columns` of them (but for a word longer than that, alone on its line).
std::vector<std::string> WrapColumns(std::string_view text, int columns);

// The paragraphs of `text` (the pieces between line breaks, a '\r' before the break dropped).
std::vector<std::string_view> Paragraphs(std::string_view text);

// The words of `line`: the pieces between blanks.
std::vector<std::string_view> Words(std::string_view line);

// `line` spread over `columns` characters: its words with the blanks shared out between them,
// the leftmost gaps taking one more where they do not share evenly. A line of one word, or
// one that already fills the columns, comes back as it was.
std::string JustifyColumns(std::string_view line, int columns);

// Distance between the tops of two wrapped lines of `font`, in layout units.
double LineHeight(const FontSpec& font);

}  // namespace stock
