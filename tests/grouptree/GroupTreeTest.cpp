// The product group tree printed through its plug-in, asserted on the trace.

#include <stdexcept>

#include "datakit/ClientDataSet.h"
#include "rtl/Exception.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Strings = std::vector<std::string>;

class GroupTree : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    // Company 1 has two branches, one of them holding a classification with a quote; company 2
    // starts with a summary group; company 3 has a single analytic group.
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL) values
        (1, 'Alfa', 1, '11222333000181'), (2, 'Beta', 1, '11444777000161'),
        (3, 'Gama', 1, '11444777000242');
      insert into GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, CLASSIFGRUPOPRODUTO,
                                DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO) values
        (1, 1, '01', 'Matérias-primas', 1), (1, 2, '01.001', 'Aços', 2),
        (1, 3, '01.002', 'Cobre', 2), (1, 4, '02', 'Acabados', 1),
        (1, 5, '02.001', 'Ferragens', 2), (1, 6, '02''X', 'Aspas', 2),
        (2, 1, '01', 'Revenda', 1), (2, 2, '01.001', 'Construção', 2),
        (3, 1, '03.001', 'Avulsos', 2);
    )");
  }
  Strings Classifs() const { return Shown(8, "Classif"); }
};

TEST_F(GroupTree, SummaryGroupsAreMarkedAndEachCompanyStartsAtPageOne) {
  Print("stockGroupTree", {{"pPularLinha", "1"}});
  // The empty line comes before every summary group, also before the very first line; no page
  // end comes before the first company.
  EXPECT_EQ(
      Events(),
      (Strings{"page 1 begin", "section 1", "section 9", "section 8", "section 8",  "section 8",
               "section 9",    "section 8", "section 8", "section 8", "page 1 end", "page 1 begin",
               "section 1",    "section 9", "section 8", "section 8", "page 1 end", "page 1 begin",
               "section 1",    "section 8", "page 1 end"}));
  EXPECT_EQ(Shown(8, "Tipo"), (Strings{"S", "", "", "S", "", "", "S", "", ""}));
  EXPECT_EQ(Shown(1, "CabEmpresa"), (Strings{"0001 - Alfa", "0002 - Beta", "0003 - Gama"}));
  EXPECT_EQ(Shown(1, "CabPagina"), (Strings{"Página 1", "Página 1", "Página 1"}));
  // Levels show as indentation of the description.
  EXPECT_EQ(Shown(8, "Descricao")[1], "    Aços");

  for (const char* without : {"0", "2"}) {
    Print("stockGroupTree", {{"pPularLinha", without}});
    EXPECT_TRUE(Lines("section 9").empty()) << without;
    EXPECT_EQ(Classifs().size(), 9u) << without;
  }
}

TEST_F(GroupTree, PrefixFiltersTheBranchAndBlankSwitchesTheFilterOff) {
  const struct {
    const char* prefix;
    Strings classifs;
  } cases[] = {
      {" 01.0 ", {"01.001", "01.002", "01.001"}},
      {"02'", {"02'X"}},      // a quote is a literal character of the pattern
      {"02' or '1'='1", {}},  // and cannot widen the filter
      {"9", {}},
  };
  for (const auto& c : cases) {
    Print("stockGroupTree", {{"pClassifGrupoProduto", c.prefix}, {"pPularLinha", "0"}});
    EXPECT_EQ(Classifs(), c.classifs) << c.prefix;
  }

  // A blank prefix only switches off a filter that was on.
  TnClientDataSet* ds = OpenFiltered("stockGroupTree", "CodigoEmpresa = 2");
  Print("stockGroupTree", {{"pClassifGrupoProduto", " "}, {"pPularLinha", "0"}});
  EXPECT_EQ(Classifs().size(), 9u);
  EXPECT_FALSE(ds->GetFiltered());
}

TEST_F(GroupTree, StopEndsAfterTheGroupJustPrinted) {
  RunOutcome outcome = Print("stockGroupTree", {{"pPularLinha", "1"}}, [](int done, int total) {
    EXPECT_EQ(total, 9);
    return done == 6;  // the last group of company 1
  });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(Classifs(), (Strings{"01", "01.001", "01.002", "02", "02'X", "02.001"}));
  EXPECT_FALSE(module_->GetReport()->GetCSLIsPageEnd());  // company 2 was never reached
  EXPECT_FALSE(module_->GetReport()->HasHooks());
}

TEST_F(GroupTree, NonIntegerEmptyLineOptionRaisesTheConversionError) {
  try {
    Print("stockGroupTree", {{"pClassifGrupoProduto", "01"}, {"pPularLinha", "sim"}});
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'sim' não é um valor inteiro válido");
  }
  EXPECT_TRUE(Lines("section").empty());
  // The prefix filter was set before the option was read and stays as it is.
  EXPECT_TRUE(module_->GetReport()->GetDataSet()->GetFiltered());
  EXPECT_FALSE(module_->GetReport()->HasHooks());
}

TEST_F(GroupTree, ErrorDuringTheListingReachesTheHostUnchanged) {
  try {
    Print("stockGroupTree", {{"pPularLinha", "0"}}, [](int done, int) -> bool {
      if (done == 2) throw Exception("falha no meio");
      return false;
    });
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "falha no meio");
  }
  EXPECT_EQ(Classifs().size(), 2u);
  EXPECT_FALSE(module_->GetReport()->HasHooks());
}

TEST_F(GroupTree, ACompanyThatDoesNotExistIsToldAndNothingPrints) {
  EXPECT_EQ(PrintError("stockGroupTree", {{"pCodigoEmpresa", "9"}, {"pPularLinha", "1"}}),
            "Empresa 9 não existe");
  EXPECT_TRUE(Lines("section").empty());
}

}  // namespace
}  // namespace stock::test
