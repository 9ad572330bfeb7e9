#include "demo/FiscalIds.h"

#include <cstdio>

namespace stock::demo {
namespace {

int Digit(char c) { return c - '0'; }

// Modulus-11 check digit with the weights given (one per digit of `digits`): 0 when the
// remainder is below 2, else 11 - remainder.
char Mod11Digit(const std::string& digits, const int* weights) {
  int sum = 0;
  for (size_t i = 0; i < digits.size(); ++i) sum += Digit(digits[i]) * weights[i];
  int rest = sum % 11;
  return static_cast<char>('0' + (rest < 2 ? 0 : 11 - rest));
}

}  // namespace

std::string MakeCnpj(const std::string& root, int branch) {
  char branchText[8];
  std::snprintf(branchText, sizeof branchText, "%04d", branch);
  std::string number = root + branchText;
  static const int w1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int w2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  number += Mod11Digit(number, w1);
  number += Mod11Digit(number, w2);
  return number;
}

std::string MakeCpf(const std::string& base) {
  static const int w1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int w2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
  std::string number = base;
  number += Mod11Digit(number, w1);
  number += Mod11Digit(number, w2);
  return number;
}

std::string MakeInscricaoEstadualSP(const std::string& first8, const std::string& next2) {
  // Digit 9: weights 1,3,4,5,6,7,8,10 over digits 1-8, the units of (sum mod 11).
  static const int w1[] = {1, 3, 4, 5, 6, 7, 8, 10};
  int sum = 0;
  for (int i = 0; i < 8; ++i) sum += Digit(first8[i]) * w1[i];
  std::string number = first8 + static_cast<char>('0' + (sum % 11) % 10) + next2;
  // Digit 12: weights 3,2,10,9,8,7,6,5,4,3,2 over digits 1-11, likewise.
  static const int w2[] = {3, 2, 10, 9, 8, 7, 6, 5, 4, 3, 2};
  sum = 0;
  for (int i = 0; i < 11; ++i) sum += Digit(number[i]) * w2[i];
  number += static_cast<char>('0' + (sum % 11) % 10);
  return number;
}

std::string MakeInscricaoEstadualPR(const std::string& base) {
  static const int w1[] = {3, 2, 7, 6, 5, 4, 3, 2};
  static const int w2[] = {4, 3, 2, 7, 6, 5, 4, 3, 2};
  std::string number = base;
  number += Mod11Digit(number, w1);
  number += Mod11Digit(number, w2);
  return number;
}

}  // namespace stock::demo
