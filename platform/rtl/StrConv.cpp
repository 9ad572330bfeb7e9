#include "rtl/StrConv.h"

#include <charconv>
#include <cmath>

#include "rtl/DecimalDigits.h"
#include "rtl/Exception.h"
#include "rtl/FormatSettings.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Integer text within [min, max]: blanks around, sign, decimal digits or "$"/"0x" and hex digits.
bool ParseInteger(std::string_view text, int64_t min, int64_t max, int64_t& result) {
  std::string_view s = TrimBlanks(text);
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  const uint64_t limit =
      negative ? static_cast<uint64_t>(-(min + 1)) + 1 : static_cast<uint64_t>(max);
  uint64_t value = 0;
  for (char c : s) {
    const int digit = base == 10 ? (IsDigit(c) ? c - '0' : -1) : HexValue(c);
    if (digit < 0) return false;
    if (value > (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)) return false;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  result = negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
  return true;
}

[[noreturn]] void ThrowNotInteger(std::string_view text) {
  throw EConvertError("'" + std::string(text) + "' não é um valor inteiro válido");
}

// ---- dates ----

// Reads 1 to `max_digits` digits; returns how many were read (0 when none).
int ReadNumber(std::string_view s, size_t& pos, int max_digits, int& value) {
  int n = 0;
  value = 0;
  while (pos < s.size() && IsDigit(s[pos]) && n < max_digits) {
    value = value * 10 + (s[pos++] - '0');
    ++n;
  }
  if (pos < s.size() && IsDigit(s[pos])) return 0;  // too many digits
  return n;
}

bool Expect(std::string_view s, size_t& pos, char c) {
  if (pos < s.size() && s[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// d/m/yy, d/m/yyyy or yyyy-m-d at `pos`. Two-digit years: below 50 are 20xx, else 19xx.
bool ReadDate(std::string_view s, size_t& pos, TDateTime& date, bool& iso) {
  int a, b, c;
  const size_t start = pos;
  const int na = ReadNumber(s, pos, 4, a);
  if (na == 4) {
    iso = true;
    if (!Expect(s, pos, '-') || ReadNumber(s, pos, 2, b) == 0 || !Expect(s, pos, '-') ||
        ReadNumber(s, pos, 2, c) == 0) {
      return false;
    }
    return TryEncodeDate(a, b, c, date);
  }
  iso = false;
  const char sep = FormatSettings().DateSeparator;
  if (na == 0 || na > 2 || !Expect(s, pos, sep) || ReadNumber(s, pos, 2, b) == 0 ||
      !Expect(s, pos, sep)) {
    pos = start;
    return false;
  }
  const int nc = ReadNumber(s, pos, 4, c);
  if (nc == 0 || nc == 3) return false;
  if (nc <= 2) c += c < 50 ? 2000 : 1900;
  return TryEncodeDate(c, b, a, date);
}

// hh:nn[:ss[.zzz]] at `pos`.
bool ReadTime(std::string_view s, size_t& pos, TDateTime& time) {
  const char sep = FormatSettings().TimeSeparator;
  int h, n, sec = 0, ms = 0;
  if (ReadNumber(s, pos, 2, h) == 0 || !Expect(s, pos, sep) || ReadNumber(s, pos, 2, n) == 0) {
    return false;
  }
  if (Expect(s, pos, sep)) {
    if (ReadNumber(s, pos, 2, sec) == 0) return false;
    if (Expect(s, pos, '.') || Expect(s, pos, ',')) {
      const int digits = ReadNumber(s, pos, 3, ms);
      if (digits == 0) return false;
      for (int i = digits; i < 3; ++i) ms *= 10;
    }
  }
  if (h > 23 || n > 59 || sec > 59) return false;
  time = EncodeTime(h, n, sec, ms);
  return true;
}

// A date optionally followed by a time; `keep_time` false drops the time of day.
bool ParseDateTime(std::string_view text, bool keep_time, TDateTime& result) {
  const std::string_view s = TrimBlanks(text);
  size_t pos = 0;
  TDateTime date, time = 0;
  bool iso = false;
  if (!ReadDate(s, pos, date, iso)) return false;
  if (pos < s.size()) {
    if (iso && s[pos] == 'T') {
      ++pos;
    } else {
      if (!IsBlank(s[pos])) return false;
      while (pos < s.size() && IsBlank(s[pos])) ++pos;
    }
    if (!ReadTime(s, pos, time) || pos != s.size()) return false;
  }
  result = keep_time ? date + time : date;
  return true;
}

}  // namespace

std::string IntToStr(int64_t value) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const stock::DecimalDigits d = stock::ToDecimalDigits(value);
  if (d.count == 0) return "0";
  const char comma = FormatSettings().DecimalSeparator;
  std::string out;
  if (d.negative) out += '-';
  if (d.point > 15 || d.point < -4) {  // general format: exponent for very large or small values
    out += d.digits[0];
    if (d.count > 1) {
      out += comma;
      out.append(d.digits + 1, d.count - 1);
    }
    out += 'E';
    out += IntToStr(d.point - 1);
  } else if (d.point <= 0) {
    out += '0';
    out += comma;
    out.append(-d.point, '0');
    out.append(d.digits, d.count);
  } else {
    for (int i = 0; i < d.point; ++i) out += i < d.count ? d.digits[i] : '0';
    if (d.count > d.point) {
      out += comma;
      out.append(d.digits + d.point, d.count - d.point);
    }
  }
  return out;
}

bool TryStrToInt(std::string_view text, int32_t& result) {
  int64_t v;
  if (!ParseInteger(text, INT32_MIN, INT32_MAX, v)) return false;
  result = static_cast<int32_t>(v);
  return true;
}

int32_t StrToInt(std::string_view text) {
  int32_t v;
  if (!TryStrToInt(text, v)) ThrowNotInteger(text);
  return v;
}

int32_t StrToIntDef(std::string_view text, int32_t default_value) {
  int32_t v;
  return TryStrToInt(text, v) ? v : default_value;
}

bool TryStrToInt64(std::string_view text, int64_t& result) {
  return ParseInteger(text, INT64_MIN, INT64_MAX, result);
}

int64_t StrToInt64(std::string_view text) {
  int64_t v;
  if (!TryStrToInt64(text, v)) ThrowNotInteger(text);
  return v;
}

bool TryStrToFloat(std::string_view text, double& result) {
  const std::string_view s = TrimBlanks(text);
  const char comma = FormatSettings().DecimalSeparator;
  const bool has_comma = s.find(comma) != std::string_view::npos;
  // Validate [sign] digits [sep digits] [e [sign] digits] and copy it with a '.' separator.
  char buf[128];
  if (s.empty() || s.size() >= sizeof buf) return false;
  size_t n = 0, i = 0;
  if (s[i] == '+' || s[i] == '-') buf[n++] = s[i++];
  int mantissa_digits = 0;
  while (i < s.size() && IsDigit(s[i])) buf[n++] = s[i++], ++mantissa_digits;
  if (i < s.size() && (s[i] == comma || (!has_comma && s[i] == '.'))) {
    buf[n++] = '.';
    ++i;
    while (i < s.size() && IsDigit(s[i])) buf[n++] = s[i++], ++mantissa_digits;
  }
  if (mantissa_digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    buf[n++] = 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) buf[n++] = s[i++];
    int exponent_digits = 0;
    while (i < s.size() && IsDigit(s[i])) buf[n++] = s[i++], ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  if (i != s.size()) return false;
  const char* begin = buf[0] == '+' ? buf + 1 : buf;
  double v;
  const auto r = std::from_chars(begin, buf + n, v);
  if (r.ec != std::errc() || r.ptr != buf + n || !std::isfinite(v)) return false;
  result = v;
  return true;
}

double StrToFloat(std::string_view text) {
  double v;
  if (!TryStrToFloat(text, v)) {
    throw EConvertError("'" + std::string(text) + "' não é um valor de ponto flutuante válido");
  }
  return v;
}

double StrToFloatDef(std::string_view text, double default_value) {
  double v;
  return TryStrToFloat(text, v) ? v : default_value;
}

bool TryStrToDate(std::string_view text, TDateTime& result) {
  return ParseDateTime(text, false, result);
}

TDateTime StrToDate(std::string_view text) {
  TDateTime v;
  if (!TryStrToDate(text, v))
    throw EConvertError("'" + std::string(text) + "' não é uma data válida");
  return v;
}

TDateTime StrToDateDef(std::string_view text, TDateTime default_value) {
  TDateTime v;
  return TryStrToDate(text, v) ? v : default_value;
}

bool TryStrToDateTime(std::string_view text, TDateTime& result) {
  return ParseDateTime(text, true, result);
}

TDateTime StrToDateTime(std::string_view text) {
  TDateTime v;
  if (!TryStrToDateTime(text, v)) {
    throw EConvertError("'" + std::string(text) + "' não é uma data e hora válida");
  }
  return v;
}
