// The layout table as data: consistent, and every record it describes written from it and read
// back by the file check; the field rules and the version table.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "efdkit/EfdCheck.h"
#include "efdkit/EfdLayout.h"
#include "efdkit/EfdText.h"
#include "rtl/Exception.h"

namespace {

using namespace stock::efd;

// A value that fits `f`, distinct enough to be found again.
std::string SampleValue(const FieldDef& f, const std::string& reg) {
  if (f.name == "REG") return reg;
  if (f.type == FieldType::Date) return "31122026";
  if (f.type == FieldType::Number) {
    std::string whole = f.exact && f.size > 0 ? std::string(f.size, '1') : "12";
    if (f.decimals > 0) whole += "," + std::string(f.decimals, '5');
    return whole;
  }
  if (f.exact && f.size > 0) return std::string(f.size, 'A');
  return f.size > 0 && f.size < 3 ? std::string(f.size, 'B') : "Abc";
}

TEST(EfdLayoutTest, TableIsConsistent) {
  std::set<std::string> codes;
  for (const RecordDef& r : Records()) {
    EXPECT_TRUE(codes.insert(std::string(r.code)).second) << r.code;
    ASSERT_FALSE(r.fields.empty());
    EXPECT_EQ(r.fields[0].name, "REG") << r.code;
    if (r.level > 1) {
      const RecordDef* parent = FindRecord(r.parent);
      ASSERT_NE(parent, nullptr) << r.code;
      EXPECT_EQ(parent->level, r.level - 1) << r.code;
      EXPECT_LT(RecordOrder(r.parent), RecordOrder(r.code)) << r.code;
    }
    std::set<std::string_view> names;
    for (const FieldDef& f : r.fields)
      EXPECT_TRUE(names.insert(f.name).second) << r.code << " " << f.name;
  }
  EXPECT_EQ(Records().front().code, "0000");
  EXPECT_EQ(Records().back().code, "9999");
  EXPECT_EQ(FindRecord("H010")->fields.size(), 11u);
  EXPECT_EQ(FindRecord("0000")->fields.size(), 15u);
  EXPECT_EQ(FindRecord("C100"), nullptr);
}

// Every record written from the table with a value for each field, in the table's order under
// its parents, with the counts Bloco 9 needs: the check reads it without a problem.
TEST(EfdLayoutTest, RecordsWrittenFromTheTableReadBack) {
  std::map<std::string, int> counts;
  std::string file;
  int lines = 0, block_lines = 0;
  char block = '0';
  auto add = [&](const RecordDef& r, std::map<std::string, std::string> values) {
    if (r.code[0] != block) {
      block = r.code[0];
      block_lines = 0;
    }
    std::string line = "|";
    for (const FieldDef& f : r.fields) {
      const auto given = values.find(std::string(f.name));
      line += (given != values.end() ? given->second : SampleValue(f, std::string(r.code))) + "|";
    }
    file += line + "\r\n";
    ++counts[std::string(r.code)];
    ++lines;
    ++block_lines;
  };
  const std::map<std::string, std::map<std::string, std::string>> fixed = {
      {"0150", {{"COD_PART", "P1"}}},
      {"0190", {{"UNID", "UN"}, {"DESCR", "UNIDADE"}}},
      {"0200", {{"COD_ITEM", "7"}, {"UNID_INV", "UN"}}},
      {"H005", {{"VL_INV", "12,55"}, {"MOT_INV", "02"}}},
      {"H010",
       {{"COD_ITEM", "7"},
        {"UNID", "UN"},
        {"IND_PROP", "1"},
        {"COD_PART", "P1"},
        {"VL_ITEM", "12,55"}}},
  };
  for (const RecordDef& r : Records()) {
    if (r.code[0] == '9' && r.code != "9001") continue;
    auto values = fixed.count(std::string(r.code)) ? fixed.at(std::string(r.code))
                                                   : std::map<std::string, std::string>{};
    if (r.code == "0990" || r.code == "H990")
      values["QTD_LIN_" + std::string(1, r.code[0])] = std::to_string(block_lines + 1);
    add(r, values);
  }
  counts["9900"] = static_cast<int>(counts.size()) + 3;  // the 9900s of 9900, 9990 and 9999
  counts["9990"] = counts["9999"] = 1;
  const std::map<std::string, int> declared = counts;
  for (const auto& [code, n] : declared)
    add(*FindRecord("9900"), {{"REG_BLC", code}, {"QTD_REG_BLC", std::to_string(n)}});
  add(*FindRecord("9990"), {{"QTD_LIN_9", std::to_string(block_lines + 2)}});
  add(*FindRecord("9999"), {{"QTD_LIN", std::to_string(lines + 1)}});

  const FileCheck check = CheckFile(file);
  for (const std::string& p : check.problems) ADD_FAILURE() << p;
  ASSERT_EQ(check.inventories.size(), 1u);
  EXPECT_EQ(check.inventories[0].declared, 1255);
  EXPECT_EQ(check.inventories[0].by_indicator.at(1), 1255);
  EXPECT_EQ(check.inventories[0].motive, 2);
}

TEST(EfdLayoutTest, FieldRules) {
  const FieldDef date{"DT", FieldType::Date, 8, true, -1, true};
  const FieldDef money{"VL", FieldType::Number, 0, false, 2, true};
  const FieldDef cnpj{"CNPJ", FieldType::Number, 14, true, -1, false};
  const FieldDef unit{"UNID", FieldType::Text, 6, false, -1, true};
  struct Case {
    const FieldDef* field;
    const char* value;
    const char* problem;  // "" when it fits
  } cases[] = {
      {&date, "29022028", ""},
      {&date, "29022027", "data"},
      {&date, "2027-02-01", "data"},
      {&date, "", "obrigatório"},
      {&money, "0,01", ""},
      {&money, "1234", ""},
      {&money, "1.234,56", "número"},
      {&money, "1,234", "casas"},
      {&money, "-5,00", "número"},
      {&money, "5,", "número"},
      {&cnpj, "", ""},
      {&cnpj, "1234567800019", "14"},
      {&cnpj, "1234567800019X", "número"},
      {&unit, "METROS", ""},
      {&unit, "METROS2", "mais de 6"},
  };
  for (const Case& c : cases) {
    const std::string problem = CheckField(*c.field, c.value);
    if (*c.problem == '\0')
      EXPECT_EQ(problem, "") << c.value;
    else
      EXPECT_NE(problem.find(c.problem), std::string::npos) << c.value << ": " << problem;
  }
}

TEST(EfdLayoutTest, VersionInForceForThePeriod) {
  EXPECT_EQ(LayoutVersionFor("2027-02-01"), "020");
  EXPECT_EQ(LayoutVersionFor("2026-01-01"), "020");
  EXPECT_EQ(LayoutVersionFor("2025-12-01"), "019");
  EXPECT_EQ(LayoutVersionFor("2024-06-01"), "018");
  EXPECT_THROW(LayoutVersionFor("2018-12-01"), Exception);
}

TEST(EfdTextTest, NumbersAndCharacters) {
  std::string out;
  EXPECT_TRUE(AppendLatin1(out, "Ação Ç"));
  EXPECT_EQ(out, "A\xE7\xE3o \xC7");
  EXPECT_EQ(Latin1ToUtf8(out), "Ação Ç");
  for (const char* bad : {"a|b", "preço €", "tab\there", "\xC3"}) {
    std::string rejected = "x";
    EXPECT_FALSE(AppendLatin1(rejected, bad)) << bad;
    EXPECT_EQ(rejected, "x");
  }
  EXPECT_EQ(Scaled(0.1 + 0.2, 2), 30);
  EXPECT_EQ(Scaled(973.042, 3), 973042);
  EXPECT_EQ(Scaled(1.2345, 3), std::nullopt);  // a fourth decimal the field cannot carry
  EXPECT_EQ(Scaled(-1, 2), std::nullopt);
  std::string text;
  AppendDecimal(text, 5, 3);
  text += "|";
  AppendDecimal(text, 1234567, 2);
  EXPECT_EQ(text, "0,005|12345,67");
  EXPECT_EQ(ParseDecimal("12345,67", 2), 1234567);
  EXPECT_EQ(ParseDecimal("12,5", 2), 1250);
  EXPECT_EQ(ParseDecimal("1,234", 2), std::nullopt);
  EXPECT_EQ(MoneyText(123456789), "1.234.567,89");
}

}  // namespace
