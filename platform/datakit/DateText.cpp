#include "datakit/DateText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "rtl/StrConv.h"

namespace stock {

namespace {

bool Digits(std::string_view text, size_t pos, size_t count, int& value) {
  if (pos + count > text.size()) return false;
  value = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

void SplitTime(TDateTime value, int& h, int& n, int& s) {
  // Rounded to the second so that 23:59:59.9999 does not print as 23:59:59 of a wrong day.
  double day = std::floor(value);
  long long secs = std::llround((value - day) * 86400.0);
  if (secs >= 86400) secs = 86399;
  h = static_cast<int>(secs / 3600);
  n = static_cast<int>(secs / 60 % 60);
  s = static_cast<int>(secs % 60);
}

}  // namespace

bool HasTimeOfDay(TDateTime value) { return value != std::floor(value); }

bool TryParseIsoDateTime(std::string_view text, TDateTime& result, bool* has_time) {
  text = TrimBlanks(text);
  int y, m, d;
  if (!Digits(text, 0, 4, y) || text.size() < 10 || text[4] != '-' || !Digits(text, 5, 2, m) ||
      text[7] != '-' || !Digits(text, 8, 2, d))
    return false;
  TDateTime date;
  if (!TryEncodeDate(y, m, d, date)) return false;
  if (text.size() == 10) {
    result = date;
    if (has_time != nullptr) *has_time = false;
    return true;
  }
  int h = 0, n = 0, s = 0;
  double fraction = 0;
  if (text[10] != ' ' && text[10] != 'T') return false;
  if (!Digits(text, 11, 2, h) || text.size() < 16 || text[13] != ':' || !Digits(text, 14, 2, n))
    return false;
  size_t end = 16;
  if (text.size() > 16) {
    if (text[16] != ':' || !Digits(text, 17, 2, s)) return false;
    end = 19;
    if (text.size() > 19 && text[19] == '.') {  // fraction of a second
      end = 20;
      for (double scale = 0.1; end < text.size() && text[end] >= '0' && text[end] <= '9';
           ++end, scale /= 10) {
        fraction += (text[end] - '0') * scale;
      }
      if (end == 20) return false;
    }
  }
  if (end != text.size() || h > 23 || n > 59 || s > 59) return false;
  result = date + (h * 3600.0 + n * 60.0 + s + fraction) / 86400.0;
  if (has_time != nullptr) *has_time = true;
  return true;
}

bool TryParseAnyDate(std::string_view text, TDateTime& result) {
  if (TryParseIsoDateTime(text, result)) return true;
  return TryStrToDateTime(text, result);
}

std::string FormatIsoDateTime(TDateTime value, bool with_time) {
  DateParts p = DecodeDate(value);
  char buf[40];
  if (!with_time) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.year, p.month, p.day);
  } else {
    int h, n, s;
    SplitTime(value, h, n, s);
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, h, n,
                  s);
  }
  return buf;
}

std::string FormatShortDateTime(TDateTime value, bool with_time) {
  DateParts p = DecodeDate(value);
  char buf[40];
  if (!with_time) {
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", p.day, p.month, p.year);
  } else {
    int h, n, s;
    SplitTime(value, h, n, s);
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", p.day, p.month, p.year, h, n,
                  s);
  }
  return buf;
}

std::string PlainNumber(double value) {
  if (value == 0) return "0";  // also -0
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

}  // namespace stock
