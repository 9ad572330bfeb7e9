// The engine's page and hook semantics, asserted on the trace.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ReportFixture.h"
#include "datakit/ClientDataSet.h"
#include "reportkit/output/WordWrap.h"
#include "rtl/Exception.h"

namespace stock::test {
namespace {

using Engine = ReportTest;

std::vector<std::string> Events(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines) {
    if (l.rfind("page", 0) == 0)
      out.push_back(l);
    else if (l.rfind("section", 0) == 0)
      out.push_back(l.substr(0, l.find(':')));
  }
  return out;
}

TEST_F(Engine, FirstSectionOpensAPageWithItsHeader) {
  TnrwReport& r = StartReport(SmallDefinition());
  r.RepPrintSection(8);
  EXPECT_EQ(Events(trace_.Lines()),
            (std::vector<std::string>{"page 1 begin", "section 1", "section 8"}));
  EXPECT_EQ(Lines("section 1")[0], "section 1: Pagina=Página 1");
}

TEST_F(Engine, SectionThatDoesNotFitMovesToANewPageUnderTheHeader) {
  TnrwReport& r = StartReport(SmallDefinition());
  for (int i = 0; i < 6; ++i) r.RepPrintSection(8);
  r.EndPass();
  EXPECT_EQ(Events(trace_.Lines()),
            (std::vector<std::string>{"page 1 begin", "section 1", "section 8", "section 8",
                                      "section 8", "section 8", "page 1 end", "page 2 begin",
                                      "section 1", "section 8", "section 8", "page 2 end"}));
  EXPECT_EQ(Lines("section 1")[1], "section 1: Pagina=Página 2");
}

TEST_F(Engine, PageEndOnAnEmptyPageSetsTheStateButCallsNoHook) {
  TnrwReport& r = StartReport(SmallDefinition());
  int after_page = 0;
  r.SetOnAfterPage([&](TObject*) { ++after_page; });
  r.SetCSLIsPageEnd(true);
  EXPECT_TRUE(r.GetCSLIsPageEnd());
  EXPECT_EQ(after_page, 0);
  r.RepPrintSection(8);
  EXPECT_FALSE(r.GetCSLIsPageEnd());  // opening a page clears it
  r.SetCSLIsPageEnd(true);
  EXPECT_EQ(after_page, 1);
  EXPECT_TRUE(r.GetCSLIsPageEnd());
}

TEST_F(Engine, AfterPageHookRunsAtThePageEndAndPrintsOnTheNextPage) {
  TnrwReport& r = StartReport(SmallDefinition());
  r.SetOnAfterPage([&](TObject*) {
    EXPECT_EQ(Events(trace_.Lines()).back(), "page 1 end");  // called at the moment of the end
    r.SetOnAfterPage(nullptr);
    r.RepPrintSection(9);
  });
  r.RepPrintSection(8);
  r.SetCSLIsPageEnd(true);
  r.EndPass();
  EXPECT_EQ(Events(trace_.Lines()),
            (std::vector<std::string>{"page 1 begin", "section 1", "section 8", "page 1 end",
                                      "page 2 begin", "section 1", "section 9", "page 2 end"}));
}

TEST_F(Engine, HooksPrintSectionsAroundTheirSection) {
  TnrwReport& r = StartReport(SmallDefinition());
  std::vector<std::string> calls;
  r.SetOnBeforeSection([&](TObject*, int n) {
    calls.push_back("before " + std::to_string(n));
    if (n == 8) r.RepPrintSection(9);  // a hook may print a section of its own
  });
  r.SetOnAfterSection([&](TObject*, int n) {
    calls.push_back("after " + std::to_string(n));
    if (n == 1) r.RepPrintSection(2);  // column headings right under the page header
  });
  r.RepPrintSection(8);
  EXPECT_EQ(Events(trace_.Lines()),
            (std::vector<std::string>{"page 1 begin", "section 1", "section 2", "section 9",
                                      "section 8"}));
  EXPECT_EQ(calls, (std::vector<std::string>{"before 1", "after 1", "before 2", "after 2",
                                             "before 8", "before 9", "after 9", "after 8"}));
}

TEST_F(Engine, PageNumberRestartsAfterSetPageNoZero) {
  TnrwReport& r = StartReport(SmallDefinition());
  r.RepPrintSection(8);
  r.SetCSLIsPageEnd(true);
  r.RepPrintSection(8);
  r.SetCSLIsPageEnd(true);
  r.SetPageNo(0);
  r.RepPrintSection(8);
  EXPECT_EQ(Lines("section 1"),
            (std::vector<std::string>{"section 1: Pagina=Página 1", "section 1: Pagina=Página 2",
                                      "section 1: Pagina=Página 1"}));
}

TEST_F(Engine, LabelsShowParametersWithMasksAndTheirCurrentProperties) {
  TnrwReport& r = StartReport(SmallDefinition());
  r.GetParams()->SetValues("pLinha", "x");
  r.GetParams()->SetValues("pValor", "1234567,891");
  r.RepPrintSection(8);
  r.LabelByName("linha")->SetVisible(false);  // names are case-insensitive
  r.GetParams()->SetValues("pValor", "-5");
  r.RepPrintSection(8);
  EXPECT_EQ(Lines("section 8"), (std::vector<std::string>{"section 8: Linha=x | Valor=1.234.567,89",
                                                          "section 8: Valor=-5,00"}));
  EXPECT_THROW(r.LabelByName("NaoExiste"), Exception);
  EXPECT_THROW(r.RepPrintSection(77), Exception);
}

TEST_F(Engine, MainQueryBindsParametersAndFeedsColumnLabels) {
  OpenDatabase(
      "create table PRODUTO (CODIGO integer, NOME varchar(40), PRECO numeric(15,2), DATA date);"
      "insert into PRODUTO values (1, 'Óleo', 12.5, '2026-01-05'), (2, 'Açúcar', 3, '2026-02-01'),"
      " (3, 'Sal', 1, '2026-03-01');");
  TnrwReport& r =
      StartReport(R"({"name": "q", "query": ["select CODIGO, NOME, PRECO, DATA from PRODUTO",
      "where DATA >= :pDesde {{interval pCodigos CODIGO}} order by CODIGO"],
    "parameters": [{"name": "pDesde", "type": "date", "default": "01/02/2026"},
                   {"name": "pCodigos", "type": "interval", "default": "2..9"}],
    "sections": [{"number": 1, "height": 10},
      {"number": 8, "height": 10, "labels": [{"name": "C", "column": "CODIGO", "mask": "0000"},
        {"name": "N", "column": "NOME"}, {"name": "P", "column": "PRECO", "mask": "#,##0.00"},
        {"name": "D", "column": "DATA", "mask": "mm/yyyy"}]}]})");
  r.OpenMainQuery();
  TnClientDataSet* ds = r.GetDataSet();
  ASSERT_NE(ds, nullptr);
  for (ds->First(); !ds->GetEof(); ds->Next()) r.RepPrintSection(8);
  EXPECT_EQ(Lines("section 8"),
            (std::vector<std::string>{"section 8: C=0002 | N=Açúcar | P=3,00 | D=02/2026",
                                      "section 8: C=0003 | N=Sal | P=1,00 | D=03/2026"}));

  r.GetParams()->SetValues("pCodigos", "1; drop table PRODUTO");
  EXPECT_THROW(r.OpenMainQuery(), Exception);
}

TEST_F(Engine, QuotesAndCommentsNeverHideOrFakeParametersAndPlaceholders) {
  OpenDatabase(
      "create table T (A integer, \"it's\" varchar(10));"
      "insert into T values (1, 'um'), (2, 'dois'), (3, 'três');");
  // An apostrophe in a comment, a quoted column name with one, and ':x' and '{{...}}' inside
  // strings and comments, all around a real placeholder and a real parameter.
  TnrwReport& r = StartReport(R"({"name": "q", "query": [
      "-- the company's groups: :nada, {{interval nada X}}",
      "select A, \"it's\" as N, ':pNao {{x}}' as L from T /* it's */",
      "where A <> :pFora {{interval pCodigos A}} order by A"],
    "parameters": [{"name": "pFora", "type": "integer", "default": "2"},
                   {"name": "pCodigos", "type": "interval", "default": "1..3"}],
    "sections": [{"number": 1, "height": 10},
      {"number": 8, "height": 10, "labels": [{"name": "A", "column": "A"},
        {"name": "N", "column": "N"}, {"name": "L", "column": "L"}]}]})");
  r.OpenMainQuery();
  TnClientDataSet* ds = r.GetDataSet();
  ASSERT_NE(ds, nullptr);
  for (ds->First(); !ds->GetEof(); ds->Next()) r.RepPrintSection(8);
  EXPECT_EQ(Lines("section 8"),
            (std::vector<std::string>{"section 8: A=1 | N=um | L=:pNao {{x}}",
                                      "section 8: A=3 | N=três | L=:pNao {{x}}"}));
}

TEST_F(Engine, LabelBoundToAMissingColumnIsReportedWhenTheQueryOpens) {
  OpenDatabase("create table T (A integer);");
  TnrwReport& r = StartReport(R"({"name": "q", "query": "select A from T",
    "sections": [{"number": 1, "height": 10},
                 {"number": 8, "height": 10, "labels": [{"name": "Falta", "column": "B"}]}]})");
  try {
    r.OpenMainQuery();
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("teste.json"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("Falta"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("\"B\""), std::string::npos) << e.what();
  }
}

TEST_F(Engine, ProgressAnswersStopOnceAsked) {
  TnrwReport& r = StartReport(SmallDefinition());
  int calls = 0;
  document_.progress = [&](int done, int) {
    ++calls;
    return done >= 2;
  };
  EXPECT_FALSE(r.CSLShowProgress(1, 3));
  EXPECT_TRUE(r.CSLShowProgress(2, 3));
  EXPECT_TRUE(r.CSLShowProgress(3, 3));
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace stock::test

namespace stock::test {
namespace {

TEST_F(Engine, LabelWithoutAutoSizeIsCutToItsWidth) {
  TnrwReport& r = StartReport(SmallDefinition());
  TnLabel* label = r.LabelByName("Linha");
  label->SetAutoSize(false);
  label->SetWidth(static_cast<int>(MeasureText("Ação", label->Font().Spec())) + 1);
  r.GetParams()->SetValues("pLinha", "Ação e reação");
  r.RepPrintSection(8);
  label->SetWidth(1);
  r.RepPrintSection(8);
  EXPECT_EQ(Lines("section 8"), (std::vector<std::string>{"section 8: Linha=Ação | Valor=",
                                                          "section 8: Linha= | Valor="}));
}

}  // namespace
}  // namespace stock::test

namespace stock::test {
namespace {

TEST_F(Engine, ScaledLayoutFitsMoreSectionsOnAPage) {
  auto definition = [](const char* scale) {
    return std::string(R"({"name": "escala", "page": {"size": "A4", "scale": )") + scale +
           R"(}, "sections": [{"number": 1, "height": 100}, {"number": 8, "height": 200}]})";
  };
  // A4 portrait with the default margins: 1047 units of body at scale 1, twice that at 0.5.
  for (const auto& [scale, first_page] : {std::pair{"1", 4}, std::pair{"0.5", 9}}) {
    const size_t before = trace_.Lines().size();
    TnrwReport& r = StartReport(definition(scale));
    for (int i = 0; i < 10; ++i) r.RepPrintSection(8);
    r.EndPass();
    const std::vector<std::string> events =
        Events({trace_.Lines().begin() + static_cast<long>(before), trace_.Lines().end()});
    const auto end = std::find(events.begin(), events.end(), "page 1 end");
    EXPECT_EQ(std::count(events.begin(), end, "section 8"), first_page) << scale;
  }
  EXPECT_THROW(StartReport(definition("0")), Exception);
}

// Records the lines of text drawn, leaving the wrapping of labels to the device's default.
class DrawnLines : public OutputDevice {
 public:
  struct Line {
    TextBox box;
    std::string text;
    double size;
  };
  std::vector<Line> lines;
  int pages = 0;

  void BeginDocument(const DocumentInfo&) override {}
  void BeginPage(int, const PageFormat&) override { ++pages; }
  void DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                TextAlign) override {
    lines.push_back({box, std::string(text), font.size});
  }
  void DrawLine(double, double, double, double, double) override {}
  void EndPage() override {}
  void Finish() override {}
  void Abort() noexcept override {}
};

// A wrapped label in a scaled layout: its lines fit the label's scaled width in the scaled
// font, one under the other from its scaled top, as many as its scaled height holds.
TEST_F(Engine, WrappedLabelBreaksIntoLinesInsideItsScaledBox) {
  TnrwReport& r = StartReport(R"({"name": "termo", "page": {"size": "A4", "scale": 0.5},
    "parameters": [{"name": "pTexto", "input": false}],
    "sections": [{"number": 1, "height": 10},
      {"number": 8, "height": 200, "labels": [{"name": "Texto", "param": "pTexto", "left": 40,
        "top": 20, "width": 300, "height": 90, "wordWrap": true, "font": {"size": 10}}]}]})");
  DrawnLines drawn;
  document_.device = &drawn;
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "palavra" + std::to_string(i) + " ";
  r.GetParams()->SetValues("pTexto", text);
  r.RepPrintSection(8);

  const FontSpec font{5};  // the label's 10 points at half scale
  const double step = LineHeight(font);
  ASSERT_EQ(drawn.lines.size(), 5u);  // 45 units (and half a unit) hold five lines of 8.3
  const double left = 38 + 40 * 0.5, top = 38 + (10 + 20) * 0.5;
  std::string shown;
  for (size_t i = 0; i < drawn.lines.size(); ++i) {
    const DrawnLines::Line& line = drawn.lines[i];
    EXPECT_DOUBLE_EQ(line.box.left, left);
    EXPECT_DOUBLE_EQ(line.box.width, 150);
    EXPECT_NEAR(line.box.top, top + step * static_cast<double>(i), 1e-9);
    EXPECT_DOUBLE_EQ(line.size, 5);
    EXPECT_LE(MeasureText(line.text, font), 150) << line.text;
    shown += line.text + " ";
  }
  EXPECT_EQ(text.rfind(shown, 0), 0u) << "the first words, in order, none left out between";
  EXPECT_GT(MeasureText(drawn.lines[0].text + " palavra", font), 150) << "lines are filled";
}

// A stretched label grows to hold its text; what lies below it in the section, and the next
// section, move down by as much. Justified lines end at the box's right edge.
TEST_F(Engine, StretchedLabelPushesWhatFollowsDown) {
  TnrwReport& r = StartReport(R"({"name": "termo",
    "page": {"size": "A4", "margins": {"left": 0, "top": 0, "right": 0, "bottom": 0}},
    "parameters": [{"name": "pTexto", "input": false}],
    "sections": [{"number": 1, "height": 10},
      {"number": 8, "height": 60, "labels": [
        {"name": "Texto", "param": "pTexto", "top": 10, "width": 300, "height": 20, "wordWrap": true,
         "stretch": true, "align": "justify", "font": {"size": 10}},
        {"name": "Abaixo", "text": "abaixo", "top": 40},
        {"name": "AoLado", "text": "ao lado", "left": 400, "top": 12}]},
      {"number": 9, "height": 10, "labels": [{"name": "Seguinte", "text": "seguinte"}]}]})");
  DrawnLines drawn;
  document_.device = &drawn;
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "palavra" + std::to_string(i) + " ";
  r.GetParams()->SetValues("pTexto", text);
  r.RepPrintSection(8);
  r.RepPrintSection(9);

  const FontSpec font{10};
  const std::vector<std::string> lines = WrapText(text, font, 300);
  ASSERT_GT(lines.size(), 3u);
  const double grown = std::ceil(static_cast<double>(lines.size()) * LineHeight(font) - 20);
  auto find = [&](const std::string& t) {
    auto it =
        std::find_if(drawn.lines.begin(), drawn.lines.end(), [&](auto& l) { return l.text == t; });
    EXPECT_NE(it, drawn.lines.end()) << t;
    return it == drawn.lines.end() ? TextBox{} : it->box;
  };
  EXPECT_DOUBLE_EQ(find("abaixo").top, 10 + 40 + grown);
  EXPECT_DOUBLE_EQ(find("ao lado").top, 10 + 12);  // beside the label, not below it
  EXPECT_DOUBLE_EQ(find("seguinte").top, 10 + 60 + grown);
  // The first line is justified: its last word ends at the right edge.
  const std::string lastOfFirst = lines[0].substr(lines[0].rfind(' ') + 1);
  const TextBox edge = find(lastOfFirst);
  EXPECT_NEAR(edge.left + MeasureText(lastOfFirst, font), 300, 1e-6);
}

TEST_F(Engine, StretchedTextTallerThanThePageIsAnErrorNamingItsLabel) {
  TnrwReport& r =
      StartReport(R"({"name": "termo", "parameters": [{"name": "pTexto", "input": false}],
    "sections": [{"number": 1, "height": 10},
      {"number": 8, "height": 20, "labels": [{"name": "Observacao", "param": "pTexto", "width": 100,
        "height": 14, "wordWrap": true, "stretch": true}]}]})");
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "palavra ";
  r.GetParams()->SetValues("pTexto", text);
  try {
    r.RepPrintSection(8);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("'Observacao' (seção 8)"), std::string::npos) << e.what();
  }
}

// BeginRow: the next sections share a row of cells, centred, and the page goes on below the
// tallest of them.
TEST_F(Engine, RowOfCellsSharesOneTop) {
  TnrwReport& r = StartReport(R"({"name": "assinaturas",
    "page": {"size": "A4", "margins": {"left": 0, "top": 0, "right": 0, "bottom": 0}},
    "sections": [{"number": 1, "height": 10},
      {"number": 11, "height": 50, "labels": [{"name": "Nome", "text": "nome", "width": 794, "align": "center"}],
       "lines": [{"x1": 247, "y1": 5, "x2": 547, "y2": 5}]},
      {"number": 12, "height": 70, "labels": [{"name": "Contador", "text": "contador", "width": 794}]},
      {"number": 9, "height": 10, "labels": [{"name": "Depois", "text": "depois"}]}]})");
  DrawnLines drawn;
  document_.device = &drawn;
  r.BeginRow(2, 3);
  r.RepPrintSection(11);
  r.RepPrintSection(12);
  r.RepPrintSection(9);
  ASSERT_EQ(drawn.lines.size(), 3u);
  const double cell = 794.0 / 3, first = (794 - 2 * cell) / 2;
  EXPECT_DOUBLE_EQ(drawn.lines[0].box.top, 10);
  EXPECT_NEAR(drawn.lines[0].box.left, first, 1e-9);
  EXPECT_NEAR(drawn.lines[0].box.width, cell, 1e-9);
  EXPECT_DOUBLE_EQ(drawn.lines[1].box.top, 10);
  EXPECT_NEAR(drawn.lines[1].box.left, first + cell, 1e-9);
  EXPECT_DOUBLE_EQ(drawn.lines[2].box.top, 10 + 70);
  EXPECT_THROW(r.BeginRow(4, 3), Exception);

  // A row sized beforehand moves whole to the next page when its tallest cell would not fit,
  // though its first would.
  EXPECT_EQ(r.CellHeight(12, 2, 3, 1), 70);
  for (int top = 80; top < 1070; top += 10) r.RepPrintSection(9);  // 53 units left
  ASSERT_EQ(drawn.pages, 1);
  r.BeginRow(2, 3, r.CellHeight(12, 2, 3, 1));
  r.RepPrintSection(11);
  EXPECT_EQ(drawn.pages, 2);
  r.RepPrintSection(12);
  EXPECT_DOUBLE_EQ(drawn.lines.back().box.top, 10);
}

TEST_F(Engine, LabelShowsAParameterFollowedByAColumn) {
  OpenDatabase("create table T (NOME varchar(20)); insert into T values ('Óleo'), (null);");
  TnrwReport& r = StartReport(R"({"name": "q", "query": "select NOME from T order by NOME desc",
    "parameters": [{"name": "pAntes", "type": "text", "default": "0000.00.00  "}],
    "sections": [{"number": 1, "height": 10},
      {"number": 8, "height": 10, "labels": [{"name": "L", "param": "pAntes", "column": "NOME"}]}]})");
  r.OpenMainQuery();
  TnClientDataSet* ds = r.GetDataSet();
  for (ds->First(); !ds->GetEof(); ds->Next()) r.RepPrintSection(8);
  EXPECT_EQ(Lines("section 8"), (std::vector<std::string>{"section 8: L=0000.00.00  Óleo",
                                                          "section 8: L=0000.00.00  "}));
}

}  // namespace
}  // namespace stock::test
