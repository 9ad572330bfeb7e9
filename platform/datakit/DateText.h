#pragma once
// Date texts used by datakit besides the locale's short date: the ISO form in which the
// database stores dates ("yyyy-mm-dd" or "yyyy-mm-dd hh:nn:ss", a "T" accepted between).

#include <string>
#include <string_view>

#include "rtl/DateTime.h"

namespace stock {

// Reads an ISO date or date-time ("hh:nn", "hh:nn:ss" or "hh:nn:ss.fff" after the date); false
// when `text` is not one (blanks around are accepted). `has_time` tells whether a time was
// written.
bool TryParseIsoDateTime(std::string_view text, TDateTime& result, bool* has_time = nullptr);

// True when `value` has a time of day.
bool HasTimeOfDay(TDateTime value);

// Reads an ISO date, else a short date (dd/mm/yyyy, optionally with a time); false when
// neither fits.
bool TryParseAnyDate(std::string_view text, TDateTime& result);

// "yyyy-mm-dd", or "yyyy-mm-dd hh:nn:ss" when `with_time`.
std::string FormatIsoDateTime(TDateTime value, bool with_time);

// "dd/mm/yyyy", or "dd/mm/yyyy hh:nn:ss" when `with_time`, independent of the locale.
std::string FormatShortDateTime(TDateTime value, bool with_time);

// Shortest text that reads back as `value`, with "." as decimal separator and no exponent.
std::string PlainNumber(double value);

}  // namespace stock
