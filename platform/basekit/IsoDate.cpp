#include "basekit/IsoDate.h"

#include <cmath>
#include <cstdio>

namespace stock {

namespace {

bool ReadDigits(std::string_view text, size_t& pos, size_t count, int& value) {
  if (pos + count > text.size()) return false;
  value = 0;
  for (size_t i = 0; i < count; ++i) {
    char c = text[pos + i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  pos += count;
  return true;
}

bool Expect(std::string_view text, size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

std::string FormatIsoDateTime(TDateTime value) {
  // Round to the millisecond first so that 23:59:59.9996 does not print as 24:00.
  double ms_total = std::round(value * 86400000.0);
  TDateTime rounded = ms_total / 86400000.0;
  DateParts d = DecodeDate(rounded);
  char buffer[40];
  long long ms_of_day = static_cast<long long>(ms_total - std::floor(rounded) * 86400000.0);
  if (ms_of_day <= 0 || ms_of_day >= 86400000) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buffer;
  }
  int h = static_cast<int>(ms_of_day / 3600000);
  int n = static_cast<int>(ms_of_day / 60000 % 60);
  int s = static_cast<int>(ms_of_day / 1000 % 60);
  int z = static_cast<int>(ms_of_day % 1000);
  if (z != 0) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year, d.month,
                  d.day, h, n, s, z);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day,
                  h, n, s);
  }
  return buffer;
}

bool TryParseIsoDateTime(std::string_view text, TDateTime& result, bool* has_time) {
  size_t pos = 0;
  int y, m, d;
  if (!ReadDigits(text, pos, 4, y) || !Expect(text, pos, '-') || !ReadDigits(text, pos, 2, m) ||
      !Expect(text, pos, '-') || !ReadDigits(text, pos, 2, d)) {
    return false;
  }
  TDateTime date;
  if (!TryEncodeDate(y, m, d, date)) return false;
  if (pos == text.size()) {
    result = date;
    if (has_time != nullptr) *has_time = false;
    return true;
  }
  if (text[pos] != ' ' && text[pos] != 'T') return false;
  ++pos;
  int h, n, s = 0;
  if (!ReadDigits(text, pos, 2, h) || !Expect(text, pos, ':') || !ReadDigits(text, pos, 2, n)) {
    return false;
  }
  double fraction = 0;
  if (pos < text.size()) {
    if (!Expect(text, pos, ':') || !ReadDigits(text, pos, 2, s)) return false;
    if (pos < text.size()) {
      if (!Expect(text, pos, '.') || pos == text.size()) return false;
      double scale = 0.1;
      for (; pos < text.size(); ++pos, scale /= 10) {
        char c = text[pos];
        if (c < '0' || c > '9') return false;
        fraction += (c - '0') * scale;
      }
    }
  }
  if (h > 23 || n > 59 || s > 59) return false;
  double seconds = h * 3600.0 + n * 60.0 + s + fraction;
  result = date + seconds / 86400.0;
  if (has_time != nullptr) *has_time = true;
  return true;
}

}  // namespace stock
