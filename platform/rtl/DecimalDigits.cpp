#include "rtl/DecimalDigits.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "rtl/Assert.h"

namespace stock {

namespace {

// Reads "d.ddde+XX" (or "de+XX") into `d`. Returns false when it holds more than 15 digits.
bool ReadScientific(const char* p, const char* end, DecimalDigits& d) {
  d.count = 0;
  while (p < end && *p != 'e') {
    if (*p != '.') {
      if (d.count == 15) return false;
      d.digits[d.count++] = *p;
    }
    ++p;
  }
  int exponent = 0;
  bool exponent_negative = false;
  if (p < end) ++p;  // 'e'
  if (p < end && (*p == '+' || *p == '-')) exponent_negative = *p++ == '-';
  while (p < end) exponent = exponent * 10 + (*p++ - '0');
  d.point = (exponent_negative ? -exponent : exponent) + 1;
  while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
  return true;
}

// Money and quantities are mostly short decimals: when n / 10^k (n below 10^15, k at most 8)
// reads back as `magnitude`, that decimal has at most 15 digits and is, by the reasoning below,
// its 15-digit rounding. Found with a few multiplications instead of a conversion to text.
// False when no such n and k exist (then the caller converts).
bool ShortDecimal(double magnitude, DecimalDigits& d) {
  static constexpr double kPow10[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
  if (!(magnitude >= 1e-8 && magnitude < 1e15)) return false;
  for (int k = 0; k <= 8; ++k) {
    const double scaled = magnitude * kPow10[k];
    if (scaled >= 1e15) return false;
    const double n = std::nearbyint(scaled);
    if (n == 0 || n / kPow10[k] != magnitude) continue;
    uint64_t whole = static_cast<uint64_t>(n);
    char reversed[20];
    int length = 0;
    while (whole > 0) {
      reversed[length++] = static_cast<char>('0' + whole % 10);
      whole /= 10;
    }
    d.count = 0;
    for (int i = length - 1; i >= 0; --i) d.digits[d.count++] = reversed[i];
    d.point = length - k;
    while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
    return true;
  }
  return false;
}

}  // namespace

DecimalDigits ToDecimalDigits(double value) {
  STOCK_ASSERT(std::isfinite(value), "ToDecimalDigits de um valor não finito");
  DecimalDigits d;
  d.negative = value < 0;
  if (value == 0) {
    d.negative = false;
    return d;
  }
  const double magnitude = d.negative ? -value : value;
  if (ShortDecimal(magnitude, d)) return d;
  char text[40];
  // The shortest digits that read back as `value` are its 15-digit rounding whenever they are
  // 15 digits or fewer: a normal double is closer to them than half a unit of the 15th digit
  // (2^-53 < 5 x 10^-16 relative), so rounding its exact value to 15 digits lands on them.
  // Subnormals carry fewer bits and take the long way.
  if (magnitude >= std::numeric_limits<double>::min()) {
    const auto res =
        std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
    if (ReadScientific(text, res.ptr, d)) return d;
  }
  // "d.dddddddddddddde+XX": 15 significant digits, correctly rounded.
  const auto res =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 14);
  ReadScientific(text, res.ptr, d);
  return d;
}

void RoundDecimalDigits(DecimalDigits& d, int decimals) {
  const int keep = d.point + decimals;
  if (keep >= d.count) return;
  if (keep < 0) {
    d.count = 0;
    d.point = 0;
    return;
  }
  const bool up = d.digits[keep] >= '5';
  d.count = keep;
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') --i;
    if (i < 0) {  // all nines (or nothing kept): carries into a new leading digit
      d.digits[0] = '1';
      d.count = 1;
      ++d.point;
    } else {
      ++d.digits[i];
      d.count = i + 1;
    }
  }
  while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
  if (d.count == 0) d.point = 0;
}

}  // namespace stock
