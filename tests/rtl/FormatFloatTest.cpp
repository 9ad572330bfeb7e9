#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>

#include "rtl/CasasDecimais.h"
#include "rtl/DecimalDigits.h"
#include "rtl/FormatFloat.h"
#include "rtl/StrConv.h"

namespace {

struct Case {
  const char* mask;
  double value;
  const char* expected;
};

TEST(FormatFloat, PictureMasks) {
  const Case cases[] = {
      {"##,###,##0.00", 1234567.891, "1.234.567,89"},
      {"##,###,##0.00", -1234567.891, "-1.234.567,89"},
      {"##,###,##0.00", 0.005, "0,01"},
      {"##,###,##0.00", 0, "0,00"},
      {"##,###,##0.00", 1234567890123.45, "1.234.567.890.123,45"},
      {"##,###,##0.", 12.5, "13"},
      {"##,###,##0.", 1234.4, "1.234"},
      {"##,###,##0.0000", 0.12345, "0,1235"},
      {"0000", 7, "0007"},
      {"0000", 12345, "12345"},
      {"#,##0.000", 0, "0,000"},
      {"#,##0", 999.5, "1.000"},
      {"#,##0", 123456789012.0, "123.456.789.012"},
      {"#,##0", -1000, "-1.000"},
      {"0", 0.5, "1"},
      {"0", -0.5, "-1"},
      {"0", 0.49, "0"},
      {"#", 0, ""},
      {"0.##", 1, "1"},
      {"0.##", 1.5, "1,5"},
      {"0.0#", 1.5, "1,5"},
      {"0.0#", 1.255, "1,26"},
      {".00", 0.5, ",50"},
      {"\"R$ \"#,##0.00", 1234.5, "R$ 1.234,50"},
      {"'Total: '0", 3, "Total: 3"},
      {"0.00%", 12.5, "12,50%"},
      {"0.000000", 0.1 + 0.2, "0,300000"},
      {"", 1.5, "1,5"},
      {"##,###,##0.00", 1e18, "1E18"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatFloat(c.mask, c.value), c.expected) << c.mask << " " << c.value;
  }
}

// Halves are decided on the decimal digits, not on the nearest binary value (1.005 is stored as
// 1.00499999999999989...).
TEST(FormatFloat, RoundsDecimalHalvesAwayFromZero) {
  const Case cases[] = {
      {"0.00", 1.005, "1,01"},  {"0.00", -1.005, "-1,01"}, {"0.00", 2.675, "2,68"},
      {"0.00", 1.115, "1,12"},  {"0.00", 0.125, "0,13"},   {"0.00", 99.995, "100,00"},
      {"0.00", 0.285, "0,29"},  {"0", 2.5, "3"},           {"0", -2.5, "-3"},
      {"0.00", 1.0049, "1,00"}, {"0.0", 0.05, "0,1"},      {"0.00", 0.335 * 3, "1,01"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatFloat(c.mask, c.value), c.expected) << c.mask << " " << c.value;
  }
}

TEST(FormatFloat, NegativeThatRoundsToZeroHasNoSign) {
  EXPECT_EQ(FormatFloat("0.00", -0.004), "0,00");
  EXPECT_EQ(FormatFloat("##,###,##0.", -0.4), "0");
  EXPECT_EQ(FormatFloat("0.00", -1e-20), "0,00");
  EXPECT_EQ(FormatFloat("0.00", -0.0), "0,00");
}

TEST(FormatFloat, Sections) {
  const Case cases[] = {
      {"0.00;(0.00)", -5, "(5,00)"},       {"0.00;(0.00)", 5, "5,00"},
      {"0.00;(0.00);\"zero\"", 0, "zero"}, {"0.00;(0.00);\"zero\"", -0.001, "zero"},
      {"0.00;;\"zero\"", -5, "-5,00"},     {"0.00;\"a;b\"0", -5, "a;b5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatFloat(c.mask, c.value), c.expected) << c.mask << " " << c.value;
  }
}

// Every whole number of cents between -2000 and 2000 prints as the integer arithmetic says.
TEST(FormatFloat, CentsAgreeWithIntegerArithmetic) {
  char expected[64];
  for (int cents = -200000; cents <= 200000; cents += 7) {
    const int a = cents < 0 ? -cents : cents;
    std::snprintf(expected, sizeof expected, "%s%d,%02d", cents < 0 ? "-" : "", a / 100, a % 100);
    ASSERT_EQ(FormatFloat("0.00", cents / 100.0), expected);
  }
}

// The digits behind every mask are the value's 15 significant digits as printf rounds them:
// random bit patterns (every exponent, subnormals included), prices and products of prices.
TEST(DecimalDigits, AreTheFifteenDigitRoundingOfTheValue) {
  std::mt19937_64 rng(20261209);
  auto check = [](double value) {
    if (value == 0) return;  // no digits: count 0
    char reference[64];
    std::snprintf(reference, sizeof reference, "%.14e", value);
    std::string digits(reference + (value < 0 ? 1 : 0), reference + std::strcspn(reference, "e"));
    digits.erase(1, 1);  // the point after the first digit
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    const int point = std::atoi(std::strchr(reference, 'e') + 1) + 1;
    const stock::DecimalDigits d = stock::ToDecimalDigits(value);
    ASSERT_EQ(std::string(d.digits, static_cast<size_t>(d.count)), digits) << reference;
    ASSERT_EQ(d.point, point) << reference;
    ASSERT_EQ(d.negative, value < 0) << reference;
  };
  for (int i = 0; i < 300000; ++i) {
    const double any = std::bit_cast<double>(rng());
    if (std::isfinite(any) && any != 0) check(any);
    const double cents = static_cast<double>(rng() % 100000000000) / 100;
    check(cents);
    check(-cents * (static_cast<double>(rng() % 1000000) / 1000));
    const double whole = static_cast<double>(rng() % 1000000000000000);
    check(whole);
    check(whole / 1e6);
    check(whole / 1e8);
    check(whole / 1e9);
    check(static_cast<double>(rng() % 1000) / 1e8);
  }
  for (double edge : {std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
                      std::numeric_limits<double>::max(), 0.1, 1.005, 999999999999999.9, 1e15,
                      9.999999999999995e-5, 1e-8, 999999999999999.0, 99999999.99999999}) {
    check(edge);
    check(-edge);
  }
}

// Masks of digits, grouping and one point take a short path; an empty quoted text at their end
// sends the same mask through the general one. Both must print the same, for random masks and
// values (long masks included, which outgrow the short path's buffer).
TEST(FormatFloat, PlainMasksPrintAsTheGeneralPath) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 200000; ++i) {
    std::string mask;
    const int length = 1 + static_cast<int>(rng() % (i % 100 == 0 ? 60 : 12));
    bool point = false;
    for (int k = 0; k < length; ++k) {
      const int pick = static_cast<int>(rng() % 9);
      if (pick < 4) {
        mask += '#';
      } else if (pick < 7) {
        mask += '0';
      } else if (pick == 7) {
        mask += ',';
      } else if (!point) {
        mask += '.';
        point = true;
      }
    }
    double value = static_cast<double>(static_cast<int64_t>(rng() % 2000000001) - 1000000000) /
                   static_cast<double>(int64_t{1} << (rng() % 20));
    if (i % 50 == 0) value = 0;
    ASSERT_EQ(FormatFloat(mask, value), FormatFloat(mask + "''", value)) << mask << " " << value;
  }
}

TEST(FormatFloat, NonFiniteFallsBackToFloatToStr) {
  EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<double>::infinity()), "-INF");
}

// A company's decimals setting: one rule for every report. Out of 0 to 10 it is clamped; what
// is no integer gives 2.
TEST(CasasDecimais, ReadsTheSettingAndClampsItToZeroToTen) {
  const std::pair<const char*, int> cases[] = {
      {"3", 3}, {" 4 ", 4}, {"0", 0}, {"10", 10}, {"-1", 0},           {"11", 10},
      {"", 2},  {"  ", 2},  {"x", 2}, {"2,5", 2}, {"99999999999", 10}, {"-99999999999", 0},
  };
  for (const auto& [texto, casas] : cases) EXPECT_EQ(CasasDecimais(texto), casas) << texto;
  EXPECT_EQ(MascaraCasasDecimais(3), "##,###,##0.000");
  EXPECT_EQ(MascaraCasasDecimais(0), "##,###,##0.");
  EXPECT_EQ(MascaraCasasDecimais(12), "##,###,##0.0000000000");
  EXPECT_EQ(FormatFloat(MascaraCasasDecimais(CasasDecimais("12")), 1.5), "1,5000000000");
}

}  // namespace
