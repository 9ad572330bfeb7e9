// Literals, interval conditions, rounding and text splitting.

#include <cmath>
#include <iomanip>
#include <optional>
#include <random>

#include <gtest/gtest.h>

#include "datakit/FieldDefs.h"
#include "datakit/FilterExpression.h"
#include "datakit/FilterInterval.h"
#include "datakit/HostEnv.h"
#include "datakit/Rounding.h"
#include "datakit/SqlLiterals.h"
#include "datakit/StringArray.h"
#include "rtl/Assert.h"
#include "rtl/Exception.h"

namespace {

TEST(ValorParaSQL, WritesLiteralsByKindAndByFieldType) {
  const TDateTime day = EncodeDate(2026, 1, 31);
  struct Case {
    Variant value;
    std::optional<TFieldType> type;
    std::string expected;
  } cases[] = {
      {Variant::Null(), {}, "NULL"},
      {Variant::Null(), ftInteger, "NULL"},
      {Variant(42), {}, "42"},
      {Variant(-7), ftSmallint, "-7"},
      {Variant(1.5), {}, "1.5"},
      {Variant(0.1 + 0.2), {}, "0.30000000000000004"},
      {Variant(1e20), {}, "100000000000000000000"},
      {Variant("O'Brien"), {}, "'O''Brien'"},
      {Variant("x'; drop table EMPRESA; --"), ftString, "'x''; drop table EMPRESA; --'"},
      {Variant::FromDate(day), {}, "'2026-01-31'"},
      {Variant::FromDate(day + EncodeTime(14, 5, 9)), {}, "'2026-01-31 14:05:09'"},
      {Variant::FromDate(day + EncodeTime(14, 5, 9)), ftDate, "'2026-01-31'"},
      {Variant::FromDate(day), ftDateTime, "'2026-01-31 00:00:00'"},
      {Variant("31/01/2026"), ftDate, "'2026-01-31'"},
      {Variant("2026-01-31"), ftDate, "'2026-01-31'"},
      {Variant(" 12 "), ftInteger, "12"},
      {Variant("3,25"), ftFloat, "3.25"},
      {Variant(12), ftString, "'12'"},
      {Variant(true), {}, "1"},
      {Variant(0), ftBoolean, "0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.type ? ValorParaSQL(c.value, *c.type) : ValorParaSQL(c.value), c.expected)
        << c.expected;
  }
  EXPECT_THROW(ValorParaSQL(Variant("1; drop table EMPRESA"), ftInteger), EConvertError);
  EXPECT_THROW(ValorParaSQL(Variant("abc"), ftFloat), EConvertError);
  EXPECT_THROW(ValorParaSQL(Variant("31/02/2026"), ftDate), EConvertError);
  EXPECT_THROW(ValorParaSQL(Variant(std::nan(""))), Exception);
  EXPECT_THROW(ValorParaSQL(VarArrayOf({1, 2})), Exception);
  // The statement would end at the NUL byte, inside the quotes (found by fuzzing).
  EXPECT_THROW(ValorParaSQL(Variant(std::string("a\0b", 3))), Exception);
  EXPECT_THROW(ValorParaSQL(Variant(std::string("\0", 1)), ftString), Exception);
}

TEST(ValorParaFiltro, WritesLiteralsOfTheFilterLanguage) {
  const TDateTime day = EncodeDate(2026, 3, 5);
  EXPECT_EQ(ValorParaFiltro(Variant::FromDate(day), ftDate), "'05/03/2026'");
  EXPECT_EQ(ValorParaFiltro(Variant::FromDate(day + 0.5), ftDateTime), "'05/03/2026 12:00:00'");
  EXPECT_EQ(ValorParaFiltro(Variant("it's"), ftString), "'it''s'");
  EXPECT_EQ(ValorParaFiltro(Variant(2.5), ftFloat), "2.5");
  EXPECT_EQ(ValorParaFiltro(Variant("7"), ftInteger), "7");
  EXPECT_EQ(ValorParaFiltro(Variant::Null(), ftString), "null");
  EXPECT_THROW(ValorParaFiltro(Variant("sete"), ftInteger), EConvertError);
}

TEST(RoundValor, RoundsTheDecimalDigitsHalfAwayFromZero) {
  struct Case {
    double value;
    int decimals;
    double rounded, truncated;
  } cases[] = {
      {0.125, 2, 0.13, 0.12},
      {1.005, 2, 1.01, 1.00},
      {2.675, 2, 2.68, 2.67},
      {-2.675, 2, -2.68, -2.67},
      {1.0049999, 2, 1.0, 1.0},
      {0.5, 0, 1, 0},
      {-0.5, 0, -1, 0},
      {9.995, 2, 10.0, 9.99},
      {123.456, 0, 123, 123},
      {1234.5, -2, 1200, 1200},
      {0.004, 2, 0, 0},
      {1e-20, 2, 0, 0},
      {3.0, 2, 3.0, 3.0},
      {1.23456789012345e15, 2, 1.23456789012345e15, 1.23456789012345e15},
      {19.99 * 3, 2, 59.97, 59.97},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RoundValor(c.value, c.decimals), c.rounded) << c.value << " " << c.decimals;
    EXPECT_EQ(TruncateValor(c.value, c.decimals), c.truncated) << c.value << " " << c.decimals;
  }
  EXPECT_TRUE(std::isnan(RoundValor(std::nan(""), 2)));
  EXPECT_TRUE(std::signbit(RoundValor(-0.0, 2)));  // zero comes back as it was
}

// Products of quantity and unit price whose double lands just below or just above the half
// cent round as the exact decimal product does (and as SQL's round and the stored totals do).
TEST(RoundValor, ProductsRoundAsTheirExactDecimalValue) {
  struct Case {
    double value;
    int decimals;
    double rounded, truncated;
  } cases[] = {
      {325 * 2.635, 2, 856.38, 856.37},           // 856.3749999999999
      {1090.875 * 51.16, 2, 55809.17, 55809.16},  // 55809.16499999999
      {950.66 * 14.25, 2, 13546.91, 13546.90},    // 13546.904999999999
      {1413.3 * 997.55, 2, 1409837.42, 1409837.41},
      {1061.825 * 582.2, 2, 618194.52, 618194.51},  // 618194.5150000001
      {1486.5 * 180.71, 2, 268625.42, 268625.41},   // 268625.41500000004
      {-325 * 2.635, 2, -856.38, -856.37},
      {-(1090.875 * 51.16), 2, -55809.17, -55809.16},
      {0.7 * 3, 2, 2.1, 2.1},             // 2.0999999999999996
      {856.37499999, 2, 856.37, 856.37},  // a value meant below the half cent
      {856.37500001, 2, 856.38, 856.37},
      {0.9999999999999999, 2, 1.0, 1.0},
      // From 10^13 up the cent lies beyond 15 digits: the value is read as written.
      {9999999999999.99, 2, 9999999999999.99, 9999999999999.99},
      {10000000000000.01, 2, 10000000000000.01, 10000000000000.01},
      {1234567890123.455, 2, 1234567890123.46, 1234567890123.45},
      {-1234567890123.455, 2, -1234567890123.46, -1234567890123.45},
      {99999999999999.98, 2, 99999999999999.98, 99999999999999.98},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RoundValor(c.value, c.decimals), c.rounded) << std::setprecision(17) << c.value;
    EXPECT_EQ(TruncateValor(c.value, c.decimals), c.truncated) << std::setprecision(17) << c.value;
  }
}

// Quantities of three decimals times prices of two, against integer arithmetic: the cents of
// the exact product, halves away from zero, and cut toward zero.
TEST(RoundValor, RandomProductsAgreeWithIntegerArithmetic) {
  std::mt19937_64 rng(20261209);
  for (int i = 0; i < 1000000; ++i) {
    const int64_t quantity = static_cast<int64_t>(rng() % 100000000);  // up to 99.999,999
    const int64_t price = static_cast<int64_t>(rng() % 10000000);      // up to 99.999,99
    const int64_t exact = quantity * price;                            // in 10^-5
    const bool negative = rng() % 4 == 0;
    const double value = (negative ? -1.0 : 1.0) * (static_cast<double>(quantity) / 1000) *
                         (static_cast<double>(price) / 100);
    const double sign = negative ? -1.0 : 1.0;
    const double rounded = sign * static_cast<double>((exact + 500) / 1000) / 100;
    const double truncated = sign * static_cast<double>(exact / 1000) / 100;
    ASSERT_EQ(RoundValor(value, 2), rounded == 0 ? 0.0 : rounded) << quantity << " x " << price;
    ASSERT_EQ(TruncateValor(value, 2), truncated == 0 ? 0.0 : truncated)
        << quantity << " x " << price;
  }
}

TEST(FilterInterval, BuildsConditionsFromListsAndRanges) {
  const TnTiposInclusao incluir{tiIncluir};
  struct Case {
    std::string columns, text;
    bool conjunction;
    std::string expected;
  } cases[] = {
      {"L.CODIGOEMPRESA", "1", false, "(L.CODIGOEMPRESA = 1) "},
      {"COL", "1;3;5..9", false, "(COL = 1 or COL = 3 or COL between 5 and 9) "},
      {"COL", " 01 ; 7 .. 7 ", true, " and (COL = 1 or COL = 7) "},
      {"COL", "", false, "(1 = 1) "},
      {"COL", "   ", true, ""},
      {"A, B", "2..4", false, "((A between 2 and 4) and (B between 2 and 4)) "},
      {"A;B", "1", true, " and ((A = 1) and (B = 1)) "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FilterInterval(c.columns, c.text, incluir, c.conjunction, 6), c.expected) << c.text;
  EXPECT_EQ(FilterInterval(std::vector<std::string>{"F.CODIGOESTAB"}, "2", incluir, false, 6),
            "(F.CODIGOESTAB = 2) ");
  EXPECT_EQ(FilterInterval("COL", "3", {tiExcluir}, true, 0), " and not (COL = 3) ");

  for (const char* bad : {"1; drop table EMPRESA", "abc", "1..", ";;", "1;", "..3", "9..5", "-1",
                          "1 2", "1,2", "1...3", "99999999999999999999", "1 or 1=1"}) {
    try {
      FilterInterval("COL", bad, incluir, true, 6);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), std::string("Intervalo inválido: '") + bad + "'");
    }
  }
  EXPECT_THROW(FilterInterval("COL = 1 or 1", "1", incluir, true, 6), Exception);
}

TEST(LikeMatch, WildcardsMatchCharactersNotBytes) {
  struct Case {
    const char* text;
    const char* pattern;
    bool match;
  } cases[] = {
      {"ação", "a_ão", true}, {"ação", "a__ão", false}, {"ação", "%ç%", true},
      {"01.02", "01%", true}, {"1.02", "01%", false},   {"Abc", "abc", false},
      {"", "%", true},        {"", "_", false},         {"abcabd", "%abd", true},
      {"abc", "a%c%", true},  {"ab", "a_c", false},     {"x%y", "x%y", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(stock::LikeMatch(c.text, c.pattern), c.match) << c.text << " " << c.pattern;
}

TEST(StrToStrArray, SplitsAtEveryOccurrenceOfTheSeparator) {
  EXPECT_EQ(StrToStrArray("a|b||c", "|"), (TnStringArray{"a", "b", "", "c"}));
  EXPECT_EQ(StrToStrArray("um#$dois#$", "#$"), (TnStringArray{"um", "dois", ""}));
  EXPECT_EQ(StrToStrArray("", "|"), TnStringArray{});
  EXPECT_EQ(StrToStrArray("abc", ""), TnStringArray{"abc"});
}

TEST(HostEnv, TodayHasNoTimeAndCloudModeIsAHostSetting) {
  EXPECT_EQ(Date(), std::floor(Date()));
  EXPECT_FALSE(EhCloud());
  SetEhCloud(true);
  EXPECT_TRUE(EhCloud());
  SetEhCloud(false);
}

}  // namespace

// A broken contract stops a debug build where it happens, naming it; a release build compiles
// STOCK_ASSERT away (its condition is not even evaluated) and keeps STOCK_CHECK.
TEST(Contracts, BrokenRequirementAbortsInDebugBuilds) {
  EXPECT_DEATH(STOCK_CHECK(1 + 1 == 3, "conta errada"), "contrato violado");
#ifdef NDEBUG
  int evaluated = 0;
  STOCK_ASSERT(++evaluated < 0, "nunca avaliado");
  EXPECT_EQ(evaluated, 0);
#else
  TFieldDefs defs;
  defs.Add("CODIGO", ftInteger);
  EXPECT_DEATH(static_cast<void>(defs[1]), "contrato violado");
#endif
}
