#pragma once
// Internal to basekit: the ISO texts in which the database stores dates.

#include <string>
#include <string_view>

#include "rtl/DateTime.h"

namespace stock {

// 'yyyy-mm-dd' for a whole day, 'yyyy-mm-dd hh:nn:ss' (with '.zzz' when there are
// milliseconds) otherwise.
std::string FormatIsoDateTime(TDateTime value);

// Reads 'yyyy-mm-dd', optionally followed by ' ' or 'T' and 'hh:nn[:ss[.fff...]]'. Returns
// false for anything else or an impossible date. `has_time` tells whether a time was written.
bool TryParseIsoDateTime(std::string_view text, TDateTime& result, bool* has_time = nullptr);

}  // namespace stock
