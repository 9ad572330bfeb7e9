#include "datakit/Rounding.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "rtl/DecimalDigits.h"

namespace {

// Significant decimal digits that every double holds exactly as written.
constexpr int kReliableDigits = 15;

// The exponent of a number written in scientific notation ("-1.25e+03" -> 3).
int ExponentOf(const char* begin, const char* end) {
  const char* e =
      static_cast<const char*>(std::memchr(begin, 'e', static_cast<size_t>(end - begin)));
  int exponent = 0;
  if (e != nullptr) std::from_chars(e + 1 + (e[1] == '+'), end, exponent);
  return exponent;
}

// The double nearest to the decimal text [begin, end), which `end` leaves room to terminate.
double ReadDouble(char* begin, char* end) {
  double value = 0;
  const auto r = std::from_chars(begin, end, value);
  if (r.ec == std::errc() && r.ptr == end) return value;
  *end = '\0';  // out of range: strtod's overflow to infinity and underflow to zero
  return std::strtod(begin, nullptr);
}

double DecimalAdjust(double value, int decimals, bool round_half_up) {
  if (!std::isfinite(value) || value == 0) return value;
  if (decimals > 340) return value;
  // "-d.ddde+XX": at most 17 significant digits, then the 15 that carry the value meant.
  char text[64];
  char* end = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::scientific).ptr;
  int exponent = ExponentOf(text, end);
  if (static_cast<long>(exponent) + 1 + decimals < kReliableDigits) {
    // The cut falls inside the reliable digits: read the value to them, dropping the noise.
    end = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::scientific,
                        kReliableDigits - 1)
              .ptr;
    value = ReadDouble(text, end);
    exponent = ExponentOf(text, end);  // 9.99...96 may carry to 10
  }
  const bool negative = text[0] == '-';
  // digits[1..count]: the significant digits; digits[0] takes a carry out of the first.
  char digits[24];
  int count = 0;
  for (const char* p = text + negative; p < end && *p != 'e'; ++p) {
    if (*p != '.') digits[1 + count++] = *p;
  }
  // value = 0.digits x 10^(exponent + 1): keep the digits in front of the cut.
  const long keep = static_cast<long>(exponent) + 1 + decimals;
  if (keep >= count) return value;
  bool up = false;
  if (keep < 0) {
    count = 0;
  } else {
    up = round_half_up && digits[1 + keep] >= '5';
    count = static_cast<int>(keep);
  }
  char* first = digits + 1;
  if (up) {
    int i = count - 1;
    while (i >= 0 && first[i] == '9') first[i--] = '0';
    if (i >= 0) {
      first[i]++;
    } else {
      *--first = '1';
      ++count;
    }
  }
  if (count == 0) return 0.0;
  // [-]digits e -decimals
  char out[64];
  char* q = out;
  if (negative) *q++ = '-';
  std::memcpy(q, first, static_cast<size_t>(count));
  q += count;
  *q++ = 'e';
  q = std::to_chars(q, out + sizeof out - 1, -decimals).ptr;
  return ReadDouble(out, q);
}

// DecimalAdjust for the usual case, without text: amounts below 10^(14 - decimals), to 0..8
// places. Their cut always falls inside the 15 reliable digits, which ToDecimalDigits gives as
// they are; the digits kept are then at most 15 with at most 14 places after the point or
// before it, so one multiplication or division by an exact power of ten reads them back, as
// correctly rounded as from_chars. False outside that range.
bool DecimalAdjustFast(double value, int decimals, bool round_half_up, double& result) {
  static constexpr double kPow10[] = {1,   1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};
  if (decimals < 0 || decimals > 8) return false;
  if (value == 0) {  // -0 stays -0, as in DecimalAdjust
    result = value;
    return true;
  }
  if (!(std::fabs(value) < kPow10[kReliableDigits - 1 - decimals])) return false;
  stock::DecimalDigits d = stock::ToDecimalDigits(value);
  const int keep = d.point + decimals;
  if (keep < d.count) {
    if (keep < 0) {
      d.count = 0;
    } else if (round_half_up && d.digits[keep] >= '5') {
      stock::RoundDecimalDigits(d, decimals);
    } else {
      d.count = keep;
      while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
    }
  }
  if (d.count == 0) {
    result = 0.0;
    return true;
  }
  uint64_t whole = 0;
  for (int i = 0; i < d.count; ++i) whole = whole * 10 + static_cast<uint64_t>(d.digits[i] - '0');
  const int exponent = d.point - d.count;  // -8 to 14
  const double magnitude = exponent >= 0 ? static_cast<double>(whole) * kPow10[exponent]
                                         : static_cast<double>(whole) / kPow10[-exponent];
  result = d.negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

double RoundValor(double value, int decimals) {
  double result;
  if (DecimalAdjustFast(value, decimals, true, result)) return result;
  return DecimalAdjust(value, decimals, true);
}

double TruncateValor(double value, int decimals) {
  double result;
  if (DecimalAdjustFast(value, decimals, false, result)) return result;
  return DecimalAdjust(value, decimals, false);
}
