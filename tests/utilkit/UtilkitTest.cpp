#include <gtest/gtest.h>

#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "utilkit/DataFinalPeriodo.h"
#include "utilkit/InscrFederal.h"
#include "utilkit/InscricaoEstadual.h"
#include "utilkit/VarToIntDef.h"

namespace {

TEST(VarToIntDef, ValueOrDefault) {
  const struct {
    Variant value;
    int expected;
  } cases[] = {
      {Variant(), -1},
      {Variant(""), -1},
      {Variant("abc"), -1},
      {Variant("12x"), -1},
      {Variant("42"), 42},
      {Variant(" 42 "), 42},
      {Variant("2,6"), 3},
      {Variant(7), 7},
      {Variant(2.5), 3},
      {Variant(-2.5), -3},
      {Variant(true), 1},
      {Variant(int64_t{1} << 40), -1},
      {Variant("99999999999"), -1},
      {Variant(1e300), -1},
      {VarArrayOf({1}), -1},
      {Variant::FromDate(EncodeDate(2026, 1, 5) + 0.9), 46027},
      // The 32-bit range, after rounding half away from zero.
      {Variant(-2147483648.5), -1},
      {Variant("-2147483648,5"), -1},
      {Variant(-2147483648.4), -2147483647 - 1},
      {Variant(2147483647.4), 2147483647},
      {Variant(2147483647.5), -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VarToIntDef(c.value, -1), c.expected)
        << (c.value.IsArray() ? std::string("array") : c.value.AsString());
  }
}

TEST(FormatarInscrFederal, Layouts) {
  using K = TnTipoInscrFederal;
  const struct {
    K kind;
    const char* number;
    bool formatar;
    const char* expected;
  } cases[] = {
      {K::CNPJ, "12345678000195", true, "12.345.678/0001-95"},
      {K::CNPJ, "12.345.678/0001-95", true, "12.345.678/0001-95"},
      {K::CNPJ, " 12345678000195 ", true, "12.345.678/0001-95"},
      {K::CPF, "12345678909", true, "123.456.789-09"},
      {K::CPF, "123.456.789-09", true, "123.456.789-09"},
      {K::CEI, "123456789012", true, "12.345.67890/12"},
      {K::CNPJ, "12345678909", true, "12345678909"},  // CPF-sized number as a CNPJ
      {K::CPF, " 123-4 ", true, "123-4"},
      {K::CEI, "12345678000195", true, "12345678000195"},
      {K::CNPJ, "12.345.678/0001-95", false, "12345678000195"},
      {K::CPF, "1-2", false, "12"},
      {K::CNPJ, "", true, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatarInscrFederal(c.kind, c.number, 1, c.formatar), c.expected) << c.number;
  }
}

TEST(FormatarInscricaoEstadual, Layouts) {
  const struct {
    const char* number;
    const char* expected;
  } cases[] = {
      {" 123456789012 ", "123.456.789.012"},
      {"isento", "ISENTO"},
      {" ISENTO ", "ISENTO"},
      {"12345", "12345"},
      {"123.456.789.012", "123.456.789.012"},
      {"12345678901a", "12345678901a"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatarInscricaoEstadual(c.number), c.expected) << c.number;
}

TEST(GerarDataFinalPeriodo, PeriodEnds) {
  const struct {
    TDateTime start;
    int kind;
    const char* expected;
  } cases[] = {
      {EncodeDate(2026, 1, 5), 5, "31/01/2026"},
      {EncodeDate(2024, 2, 1), 0, "29/02/2024"},
      {EncodeDate(2026, 1, 1), 6, "31/03/2026"},
      {EncodeDate(2026, 4, 1), 6, "30/06/2026"},
      {EncodeDate(2026, 11, 1), 6, "31/01/2027"},
      {EncodeDate(2026, 2, 15), 6, "14/05/2026"},
      {EncodeDate(2026, 1, 31), 6, "29/04/2026"},
      {EncodeDate(2026, 1, 1), 7, "31/12/2026"},
      {EncodeDate(2026, 7, 1), 7, "30/06/2027"},
      {EncodeDate(2026, 3, 10), 99, "31/03/2026"},
      {EncodeDate(2026, 3, 10), -1, "31/03/2026"},
      {EncodeDate(2026, 1, 5) + 0.6, 5, "31/01/2026"},
      {EncodeDate(2026, 12, 31) + 0.6, 5, "31/12/2026"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateTimeToStr(GerarDataFinalPeriodo(c.start, c.kind)), c.expected)
        << DateTimeToStr(c.start) << " kind " << c.kind;
  }
}

TEST(GerarDataFinalPeriodo, NeverBeforeStartAndRaisesPastTheCalendar) {
  for (TDateTime day = EncodeDate(2023, 12, 1); day < EncodeDate(2025, 2, 1); day += 1) {
    for (int kind : {0, 5, 6, 7, 1}) {
      const TDateTime end = GerarDataFinalPeriodo(day + 0.75, kind);
      ASSERT_GE(end, day);
      ASSERT_EQ(end, DateOf(end));
    }
  }
  EXPECT_THROW(GerarDataFinalPeriodo(EncodeDate(9999, 12, 1), 7), EConvertError);
}

}  // namespace
