#pragma once
// Text helpers. Texts are UTF-8 throughout.

#include <string>
#include <string_view>

// Removes leading and trailing blanks and control characters (bytes <= ' ').
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// Upper and lower case of Portuguese (any Unicode) text: "ação" <-> "AÇÃO", one code point for
// one code point. A text that is not valid UTF-8 is returned unchanged.
std::string AnsiUpperCase(std::string_view text);
std::string AnsiLowerCase(std::string_view text);

// Case-insensitive comparison of Unicode texts (compares the lower-case forms; a text that is
// not valid UTF-8 is compared byte for byte).
bool AnsiSameText(std::string_view a, std::string_view b);

// ASCII-only case-insensitive comparison (identifiers, field names).
bool SameText(std::string_view a, std::string_view b);

// `text` between single quotes, its own quotes doubled: O'Brien -> 'O''Brien'.
std::string QuotedStr(std::string_view text);

// Every occurrence of `from` replaced by `to`, scanning left to right without re-reading the
// replacement. An empty `from` returns `text` unchanged.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Number of characters (code points) of a UTF-8 text; for invalid UTF-8, the bytes that do not
// continue a sequence.
size_t Utf8Length(std::string_view text);
