#include "datakit/Rounding.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Significant decimal digits that every double holds exactly as written.
constexpr int kReliableDigits = 15;

double DecimalAdjust(double value, int decimals, bool round_half_up) {
  if (!std::isfinite(value) || value == 0) return value;
  if (decimals > 340) return value;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  std::string text(buf, r.ptr);
  int exponent = std::atoi(text.c_str() + text.find('e') + 1);
  if (static_cast<long>(exponent) + 1 + decimals < kReliableDigits) {
    // The cut falls inside the reliable digits: read the value to them, dropping the noise.
    r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                      kReliableDigits - 1);
    text.assign(buf, r.ptr);
    value = std::strtod(text.c_str(), nullptr);
    exponent = std::atoi(text.c_str() + text.find('e') + 1);  // 9.99...96 may carry to 10
  }
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t e = text.find('e');
  std::string digits;
  for (size_t i = 0; i < e; ++i)
    if (text[i] != '.') digits += text[i];
  // value = 0.digits x 10^(exponent + 1): keep the digits in front of the cut.
  long keep = static_cast<long>(exponent) + 1 + decimals;
  if (keep >= static_cast<long>(digits.size())) return value;
  bool up = false;
  if (keep < 0) {
    digits.clear();
  } else {
    up = round_half_up && digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
  }
  if (up) {
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0) digits[static_cast<size_t>(i)]++;
    else digits.insert(digits.begin(), '1');
  }
  if (digits.empty()) return 0.0;
  std::string out = (negative ? "-" : "") + digits + "e" + std::to_string(-decimals);
  return std::strtod(out.c_str(), nullptr);
}

}  // namespace

double RoundValor(double value, int decimals) { return DecimalAdjust(value, decimals, true); }

double TruncateValor(double value, int decimals) { return DecimalAdjust(value, decimals, false); }
