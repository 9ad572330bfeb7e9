#include <gtest/gtest.h>

#include "rtl/Exception.h"
#include "rtl/StrConv.h"

namespace {

template <typename F>
std::string MessageOf(F f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(StrConv, IntToStrAndFloatToStr) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-9223372036854775807LL - 1), "-9223372036854775808");
  const struct {
    double value;
    const char* text;
  } floats[] = {
      {1.5, "1,5"},
      {0.1 + 0.2, "0,3"},
      {100, "100"},
      {-2.25, "-2,25"},
      {0, "0"},
      {-0.0, "0"},
      {1e20, "1E20"},
      {1.5e-7, "1,5E-7"},
      {0.00001, "0,00001"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},
      {1.0 / 3, "0,333333333333333"},
      {2.0 / 3, "0,666666666666667"},
  };
  for (const auto& f : floats) EXPECT_EQ(FloatToStr(f.value), f.text) << f.value;
}

TEST(StrConv, Integers) {
  const struct {
    const char* text;
    int32_t value;
  } valid[] = {{"0", 0},
               {"42", 42},
               {" 42 ", 42},
               {"-17", -17},
               {"+5", 5},
               {"007", 7},
               {"$FF", 255},
               {"0x1A", 26},
               {"-$10", -16},
               {"2147483647", 2147483647},
               {"-2147483648", -2147483647 - 1}};
  for (const auto& v : valid) EXPECT_EQ(StrToInt(v.text), v.value) << v.text;

  const char* invalid[] = {"",    " ",          "abc",         "12a", "1.5",
                           "1,5", "2147483648", "-2147483649", "--1", "+",
                           "$",   "1 2",        "0x",          "$G",  "99999999999999999999999"};
  for (const char* text : invalid) {
    int32_t r = 99;
    EXPECT_FALSE(TryStrToInt(text, r)) << text;
    EXPECT_EQ(r, 99);
    EXPECT_EQ(StrToIntDef(text, -1), -1) << text;
    EXPECT_THROW(StrToInt(text), EConvertError) << text;
  }
  EXPECT_EQ(MessageOf([] { StrToInt("abc"); }), "'abc' não é um valor inteiro válido");
}

TEST(StrConv, Int64) {
  EXPECT_EQ(StrToInt64("9223372036854775807"), 9223372036854775807LL);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), -9223372036854775807LL - 1);
  EXPECT_EQ(StrToInt64("2147483648"), 2147483648LL);
  int64_t r = 5;
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", r));
  EXPECT_FALSE(TryStrToInt64("-9223372036854775809", r));
  EXPECT_EQ(r, 5);
  EXPECT_THROW(StrToInt64("x"), EConvertError);
}

TEST(StrConv, Floats) {
  const struct {
    const char* text;
    double value;
  } valid[] = {{"1,5", 1.5},  {"1.5", 1.5},      {"-0,25", -0.25}, {" 3 ", 3},
               {"1e3", 1000}, {"1,5E-2", 0.015}, {",5", 0.5},      {"5,", 5},
               {"+7", 7},     {"100", 100},      {"0,1", 0.1}};
  for (const auto& v : valid) EXPECT_EQ(StrToFloat(v.text), v.value) << v.text;

  const char* invalid[] = {"",      "abc",   "1.234,56", "1,2,3", "1e", "inf",  "nan", "0x10",
                           "1 000", "1.5.2", "1e999",    "-",     ",",  "1,5x", "e5"};
  for (const char* text : invalid) {
    double r = 9;
    EXPECT_FALSE(TryStrToFloat(text, r)) << text;
    EXPECT_EQ(r, 9);
    EXPECT_EQ(StrToFloatDef(text, -1), -1) << text;
  }
  EXPECT_EQ(MessageOf([] { StrToFloat("abc"); }), "'abc' não é um valor de ponto flutuante válido");
}

TEST(StrConv, Dates) {
  const TDateTime jan5 = EncodeDate(2026, 1, 5);
  const struct {
    const char* text;
    TDateTime value;
  } valid[] = {
      {"05/01/2026", jan5},
      {"5/1/2026", jan5},
      {" 05/01/2026 ", jan5},
      {"5/1/26", jan5},
      {"5/1/75", EncodeDate(1975, 1, 5)},
      {"1/1/49", EncodeDate(2049, 1, 1)},
      {"29/02/2024", EncodeDate(2024, 2, 29)},
      {"2026-01-05", jan5},
      {"2026-01-05 10:30:00", jan5},
      {"05/01/2026 10:30", jan5},
      {"01/01/0001", EncodeDate(1, 1, 1)},
  };
  for (const auto& v : valid) EXPECT_EQ(StrToDate(v.text), v.value) << v.text;

  const char* invalid[] = {"31/02/2026",
                           "29/02/2025",
                           "00/01/2026",
                           "32/01/2026",
                           "05/13/2026",
                           "05/01/026",
                           "05/01",
                           "",
                           "abc",
                           "05-01-2026",
                           "2026-13-01",
                           "2026-02-30",
                           "05/01/2026x",
                           "05/01/2026 25:00",
                           "05/01/2026 10:60",
                           "5//2026",
                           "05/01/2026 10",
                           "005/01/2026",
                           "2026/01/05",
                           "05/01/20266",
                           "00/00/0000"};
  for (const char* text : invalid) {
    TDateTime r = 7;
    EXPECT_FALSE(TryStrToDate(text, r)) << text;
    EXPECT_EQ(r, 7);
    EXPECT_EQ(StrToDateDef(text, -1), -1) << text;
  }
  EXPECT_EQ(MessageOf([] { StrToDate("31/02/2026"); }), "'31/02/2026' não é uma data válida");
}

TEST(StrConv, DateTimes) {
  const TDateTime jan5 = EncodeDate(2026, 1, 5);
  EXPECT_EQ(StrToDateTime("05/01/2026 14:30"), jan5 + EncodeTime(14, 30, 0));
  EXPECT_EQ(StrToDateTime("2026-01-05 14:30:15"), jan5 + EncodeTime(14, 30, 15));
  EXPECT_EQ(StrToDateTime("2026-01-05T14:30:15.25"), jan5 + EncodeTime(14, 30, 15, 250));
  EXPECT_EQ(StrToDateTime("05/01/2026"), jan5);
  TDateTime r = 3;
  EXPECT_FALSE(TryStrToDateTime("05/01/2026T14:30", r));
  EXPECT_FALSE(TryStrToDateTime("05/01/2026 24:00", r));
  EXPECT_EQ(r, 3);
  EXPECT_EQ(MessageOf([] { StrToDateTime("x"); }), "'x' não é uma data e hora válida");
}

}  // namespace
