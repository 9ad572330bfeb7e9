#include "rtl/DecimalDigits.h"

#include <charconv>

namespace stock {

DecimalDigits ToDecimalDigits(double value) {
  DecimalDigits d;
  d.negative = value < 0;
  if (value == 0) {
    d.negative = false;
    return d;
  }
  // "d.dddddddddddddde+XX": 15 significant digits, correctly rounded.
  char text[40];
  const auto res = std::to_chars(text, text + sizeof text, d.negative ? -value : value,
                                 std::chars_format::scientific, 14);
  const char* p = text;
  const char* end = res.ptr;
  while (p < end && *p != 'e') {
    if (*p != '.') d.digits[d.count++] = *p;
    ++p;
  }
  int exponent = 0;
  bool exponent_negative = false;
  if (p < end) ++p;  // 'e'
  if (p < end && (*p == '+' || *p == '-')) exponent_negative = *p++ == '-';
  while (p < end) exponent = exponent * 10 + (*p++ - '0');
  d.point = (exponent_negative ? -exponent : exponent) + 1;
  while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
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
