// Broken definition files are reported with the file and what is wrong.

#include <gtest/gtest.h>

#include <fstream>

#include "ReportFixture.h"
#include "reportkit/DMReport.h"
#include "reportkit/ParamDefault.h"
#include "reportkit/Report.h"
#include "reportkit/ReportDefinition.h"
#include "rtl/Exception.h"

namespace stock::test {
namespace {

struct Broken {
  const char* json;
  const char* expected;  // part of the message
};

const Broken kBroken[] = {
    {R"({"name": "x", "sections": [)", "JSON inválido"},
    {R"([1, 2])", "objeto JSON"},
    {R"({"sections": []})", "\"name\""},
    {R"({"name": "x"})", "\"sections\""},
    {R"({"name": "x", "sections": [{"number": 2, "height": 10}]})", "falta a seção 1"},
    {R"({"name": "x", "sections": [{"number": 1, "height": "alta"}]})",
     "\"height\" deve ser um número"},
    {R"({"name": "x", "sections": [{"number": 1, "height": 10}, {"number": 1, "height": 5}]})",
     "seção 1 repetida"},
    {R"({"name": "x", "sections": [{"number": 1, "height": 2000}]})", "mais alta"},
    {R"({"name": "x", "sections": [{"number": 1, "height": 10,
        "labels": [{"name": "L", "param": "pNada"}]}]})",
     "pNada"},
    {R"({"name": "x", "sections": [{"number": 1, "height": 10,
        "labels": [{"name": "L", "align": "middle"}]}]})",
     "alinhamento"},
    {R"({"name": "x", "sections": [{"number": 1, "height": 10,
        "labels": [{"name": "L", "stretch": true}]}]})",
     "wordWrap"},
    {R"({"name": "x", "sections": [{"number": 1, "height": 10,
        "labels": [{"name": "L"}, {"name": "l"}]}]})",
     "repetido"},
    {R"({"name": "x", "query": "select * from T where A = :pA",
        "sections": [{"number": 1, "height": 10}]})",
     "pA"},
    {R"({"name": "x", "query": "select 1 {{interval pA A", "parameters": [{"name": "pA"}],
        "sections": [{"number": 1, "height": 10}]})",
     "sem fechamento"},
    {R"({"name": "x", "query": "select 1 {{intervalo pA A}}", "parameters": [{"name": "pA"}],
        "sections": [{"number": 1, "height": 10}]})",
     "{{intervalo pA A}}"},
    {R"({"name": "x", "query": "select 1 {{interval pA}}", "parameters": [{"name": "pA"}],
        "sections": [{"number": 1, "height": 10}]})",
     "{{interval pA}}"},
    {R"({"name": "x", "query": "select 1 {{interval pB A}}", "parameters": [{"name": "pA"}],
        "sections": [{"number": 1, "height": 10}]})",
     "pB"},
    {R"({"name": "x", "query": "select 'it''s :pA", "parameters": [{"name": "pA"}],
        "sections": [{"number": 1, "height": 10}]})",
     "apóstrofos sem fechamento"},
    {R"({"name": "x", "query": "select 1 /* :pA", "parameters": [{"name": "pA"}],
        "sections": [{"number": 1, "height": 10}]})",
     "comentário /* sem fechamento"},
    {R"({"name": "x", "parameters": [{"name": "p", "type": "moeda"}],
        "sections": [{"number": 1, "height": 10}]})",
     "moeda"},
    {R"({"name": "x", "page": {"orientation": "diagonal"}, "sections": [{"number": 1, "height": 10}]})",
     "diagonal"},
    {R"({"name": "x", "footer": 5, "sections": [{"number": 1, "height": 10}]})", "rodapé"},
    {R"({"name": "x", "functions": [{"name": "f"}], "sections": [{"number": 1, "height": 10}]})",
     "função f"},
    // Found by fuzzing: a number beyond a double, a number beyond an int, margins that leave
    // no page (or overflow the sums made with them).
    {R"({"name": "x", "sections": [{"number": 1, "height": -1e3000}]})", "JSON inválido"},
    {R"({"name": "x", "sections": [{"number": 1e300, "height": 10}]})",
     "\"number\" fora do intervalo"},
    {R"({"name": "x", "sections": [{"number": 1, "height": 10,
        "labels": [{"name": "L", "left": -3e9}]}]})",
     "\"left\" fora do intervalo"},
    {R"({"name": "x", "page": {"margins": {"top": 600, "bottom": 600}},
        "sections": [{"number": 1, "height": 10}]})",
     "margens"},
    {R"({"name": "x", "page": {"margins": {"left": -5}}, "sections": [{"number": 1, "height": 10}]})",
     "margens"},
    {R"({"name": "x", "text": 132, "sections": [{"number": 1, "height": 10}]})", "\"columns\""},
    {R"({"name": "x", "text": {"columns": "132"}, "sections": [{"number": 1, "height": 10}]})",
     "\"columns\" deve ser um número"},
    {R"({"name": "x", "text": {"columns": 5000}, "sections": [{"number": 1, "height": 10}]})",
     "entre 20 e 1000"},
    {R"({"name": "x", "text": {"lines": 0}, "sections": [{"number": 1, "height": 10}]})",
     "entre 10 e 1000"},
    {R"({"name": "x", "text": {"columns": 1e300}, "sections": [{"number": 1, "height": 10}]})",
     "fora do intervalo"},
    {R"({"name": "x", "parameters": [{"name": "pData", "type": "date", "default": "@ontem"}],
        "sections": [{"number": 1, "height": 10}]})",
     "data relativa desconhecida \"@ontem\""},
};

TEST(Definition, BrokenFilesNameTheFileAndTheProblem) {
  for (const Broken& b : kBroken) {
    try {
      ParseReportDefinition(b.json, "definitions/quebrado.json");
      ADD_FAILURE() << "accepted: " << b.json;
    } catch (const Exception& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find("definitions/quebrado.json"), std::string::npos) << message;
      EXPECT_NE(message.find(b.expected), std::string::npos) << message;
    }
  }
}

TEST(Definition, RelativeDateDefaultsCountFromTheDayOfTheRun) {
  struct Case {
    const char* name;
    std::vector<std::string> expected;  // on 15/03/2024, 01/01/2025, 31/12/2026
  };
  const TDateTime days[] = {EncodeDate(2024, 3, 15) + 0.75, EncodeDate(2025, 1, 1),
                            EncodeDate(2026, 12, 31)};
  const std::vector<Case> cases = {
      {"@hoje", {"15/03/2024", "01/01/2025", "31/12/2026"}},
      {"@inicioMes", {"01/03/2024", "01/01/2025", "01/12/2026"}},
      {"@fimMes", {"31/03/2024", "31/01/2025", "31/12/2026"}},
      {"@inicioMesAnterior", {"01/02/2024", "01/12/2024", "01/11/2026"}},
      {"@fimMesAnterior", {"29/02/2024", "31/12/2024", "30/11/2026"}},
      {"@inicioAno", {"01/01/2024", "01/01/2025", "01/01/2026"}},
      {"@fimAno", {"31/12/2024", "31/12/2025", "31/12/2026"}},
      {"@inicioAnoAnterior", {"01/01/2023", "01/01/2024", "01/01/2025"}},
      {"@fimAnoAnterior", {"31/12/2023", "31/12/2024", "31/12/2025"}},
  };
  for (const Case& c : cases) {
    for (size_t i = 0; i < 3; ++i)
      EXPECT_EQ(RelativeDate(c.name, days[i]), c.expected[i]) << c.name << " " << i;
  }
  EXPECT_THROW(RelativeDate("@amanha", days[0]), Exception);

  // Only date parameters resolve; a fixed default stays as written.
  auto def = ParseReportDefinition(R"({"name": "x", "parameters": [
      {"name": "pIni", "type": "date", "default": "@inicioAnoAnterior"},
      {"name": "pFixa", "type": "date", "default": "01/01/2026"},
      {"name": "pTexto", "default": "@fimAno"}],
      "sections": [{"number": 1, "height": 10}]})",
                                   "x.json");
  EXPECT_EQ(DefaultValue(def->params[0], days[2]), "01/01/2025");
  EXPECT_EQ(DefaultValue(def->params[1], days[2]), "01/01/2026");
  EXPECT_EQ(DefaultValue(def->params[2], days[2]), "@fimAno");
  // A report starts with the resolved date.
  TnrwReport report(def);
  EXPECT_EQ(report.GetParams()->GetValues("pIni"), DefaultValue(def->params[0]));
  EXPECT_EQ(report.GetParams()->GetValues("pTexto"), "@fimAno");
}

TEST(Definition, MissingFileAndOddNamesAreRefused) {
  EXPECT_THROW(LoadReportDefinition("/nao/existe.json"), Exception);
  EXPECT_THROW(DefinitionPath("../etc/passwd"), Exception);
  EXPECT_THROW(DefinitionPath(""), Exception);
}

TEST(Definition, LandscapeSwapsThePageAndSectionsAreKeptInOrder) {
  auto def = ParseReportDefinition(R"({"name": "x", "page": {"orientation": "landscape"},
      "sections": [{"number": 8, "height": 5}, {"number": 1, "height": 10}]})",
                                   "x.json");
  EXPECT_GT(def->page.width, def->page.height);
  ASSERT_EQ(def->sections.size(), 2u);
  EXPECT_EQ(def->sections[0].number, 1);
  EXPECT_NE(def->FindSection(8), nullptr);
  EXPECT_EQ(def->FindSection(9), nullptr);
}

TEST(Definition, TextGridFromTheDefinitionOrTheDefaultOfThePrintableArea) {
  auto chosen = ParseReportDefinition(R"({"name": "x", "text": {"columns": 132, "lines": 66},
      "sections": [{"number": 1, "height": 10}]})",
                                      "x.json");
  EXPECT_EQ(chosen->text.columns, 132);
  EXPECT_EQ(chosen->text.lines, 66);
  // Without a block, or with one member, the printable area decides: A4 landscape with
  // 1 cm margins is 1047 x 718 layout units.
  auto half = ParseReportDefinition(R"({"name": "x", "page": {"orientation": "landscape"},
      "text": {"lines": 50}, "sections": [{"number": 1, "height": 10}]})",
                                    "x.json");
  EXPECT_EQ(half->text.columns, 209);
  EXPECT_EQ(half->text.lines, 50);
  auto none = ParseReportDefinition(R"({"name": "x", "sections": [{"number": 1, "height": 10}]})",
                                    "x.json");
  EXPECT_EQ(none->text.columns, 144);
  EXPECT_EQ(none->text.lines, 87);
}

TEST(Definition, UserFunctionsFillTemplates) {
  auto def = ParseReportDefinition(R"({"name": "x", "sections": [{"number": 1, "height": 10}],
      "functions": [{"name": "gemVTextoTermo", "text": ["Livro {1}, ", "folhas {2}{3}."]}]})",
                                   "x.json");
  TnReportFunctions functions(def);
  EXPECT_EQ(functions.IndexOfFunction("GEMVTEXTOTERMO"), 0);
  EXPECT_EQ(functions.IndexOfFunction("outra"), -1);
  EXPECT_EQ(functions.CallFunction(0, {"0001", "12"}), "Livro 0001, folhas 12.");
  EXPECT_THROW(functions.CallFunction(3, {}), Exception);
}

}  // namespace
}  // namespace stock::test
