#pragma once
// Number formatting with the run-time's picture masks.

#include <string>
#include <string_view>

// Formats `value` with `mask`: "0" a mandatory digit, "#" an optional digit, a "," in the
// integer part asks for thousands grouping, "." places the decimal separator; any other
// character (or text in quotes) is printed as it stands. Separators come from FormatSettings().
// Rounds half away from zero to the mask's decimals; a negative value that rounds to non-zero
// prints a leading "-"; a mask ending in its "." prints no decimal separator. A mask with ";"
// sections gives positive;negative;zero formats. An empty mask gives FloatToStr(value).
// Examples: ("##,###,##0.00", 1234567.891) -> "1.234.567,89"; ("0000", 7) -> "0007".
std::string FormatFloat(std::string_view mask, double value);
