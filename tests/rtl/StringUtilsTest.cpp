#include <gtest/gtest.h>

#include "rtl/StringUtils.h"

namespace {

TEST(StringUtils, PortugueseCase) {
  const struct {
    const char* lower;
    const char* upper;
  } pairs[] = {
      {"ação", "AÇÃO"},
      {"áàâãéêíóôõúüç", "ÁÀÂÃÉÊÍÓÔÕÚÜÇ"},
      {"coração é útil", "CORAÇÃO É ÚTIL"},
      {"abc 123 -_/", "ABC 123 -_/"},
      {"", ""},
  };
  for (const auto& p : pairs) {
    EXPECT_EQ(AnsiUpperCase(p.lower), p.upper);
    EXPECT_EQ(AnsiLowerCase(p.upper), p.lower);
    EXPECT_TRUE(AnsiSameText(p.lower, p.upper));
  }
  EXPECT_EQ(AnsiUpperCase("São Paulo"), "SÃO PAULO");
  EXPECT_FALSE(AnsiSameText("acao", "ação"));
  EXPECT_FALSE(AnsiSameText("ação", "açãox"));
}

TEST(StringUtils, InvalidUtf8IsReturnedUnchanged) {
  const std::string bad[] = {"\xC3(", "ab\xFF", "\x80", "a\xC3", "\xED\xA0\x80", "ção\xC0\xAF"};
  for (const std::string& s : bad) {
    EXPECT_EQ(AnsiUpperCase(s), s);
    EXPECT_EQ(AnsiLowerCase(s), s);
    EXPECT_TRUE(AnsiSameText(s, s));
  }
}

TEST(StringUtils, SameTextIsAsciiOnly) {
  EXPECT_TRUE(SameText("CodigoEmpresa", "CODIGOEMPRESA"));
  EXPECT_FALSE(SameText("a", "ab"));
  EXPECT_FALSE(SameText("ação", "AÇÃO"));
}

TEST(StringUtils, Trim) {
  EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
  EXPECT_EQ(TrimLeft("  x "), "x ");
  EXPECT_EQ(TrimRight("  x "), "  x");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("ção"), "ção");
}

TEST(StringUtils, QuotedStrReplaceAllAndLength) {
  EXPECT_EQ(QuotedStr("O'Brien"), "'O''Brien'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(QuotedStr("''"), "''''''");
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("a.b.c", ".", ""), "abc");
  EXPECT_EQ(ReplaceAll("abab", "ab", "ba"), "baba");
  EXPECT_EQ(Utf8Length("ação"), 4u);
  EXPECT_EQ(Utf8Length(""), 0u);
  EXPECT_EQ(Utf8Length("\xFF\xFE"), 2u);
}

}  // namespace
