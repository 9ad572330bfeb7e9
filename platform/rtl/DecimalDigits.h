#pragma once
// Internal to the run-time: the decimal digits of a double, as FormatFloat and FloatToStr use
// them. Not part of the platform's public contract.

namespace stock {

// |value| = 0.d1d2...dn x 10^point, with at most 15 significant digits (the run-time's precision
// for doubles) and no trailing zeros. Zero has count 0.
struct DecimalDigits {
  char digits[20];
  int count = 0;
  int point = 0;
  bool negative = false;
};

// The digits of `value` rounded to 15 significant digits. REQUIRES: value is finite.
DecimalDigits ToDecimalDigits(double value);

// Rounds `d` half away from zero to `decimals` digits after the decimal point (negative
// `decimals` rounds to tens, hundreds ...). The decision is taken on the decimal digits, so
// 1.005 rounds to 1.01.
void RoundDecimalDigits(DecimalDigits& d, int decimals);

}  // namespace stock
