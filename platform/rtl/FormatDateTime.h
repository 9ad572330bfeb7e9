#pragma once
// Date and time formatting with the run-time's format codes.

#include <string>
#include <string_view>

#include "rtl/DateTime.h"

// Formats `value`: d dd ddd dddd (day, day names), ddddd (short date), dddddd (long date),
// m mm mmm mmmm (after h/hh, m and mm mean minutes), yy yyyy, h hh, n nn, s ss, z zzz, c (short
// date, then the long time when there is a time of day), t tt (short and long time); codes are
// case-insensitive. "/" and ":" print the locale's separators, text in double or single quotes
// prints literally, other characters as they stand (there are no AM/PM codes: hours run 0-23).
// An empty format means "c". Month and day
// names come from FormatSettings(). Example: (' d "de" mmmm "de" yyyy', 5/1/2026) ->
// " 5 de janeiro de 2026". Raises EConvertError for a value outside the calendar (see DecodeDate).
std::string FormatDateTime(std::string_view format, TDateTime value);

// The date in the short date format ("dd/mm/yyyy").
std::string DateToStr(TDateTime value);

// The short date, followed by the time ("hh:nn:ss") when `value` has a time of day.
std::string DateTimeToStr(TDateTime value);
