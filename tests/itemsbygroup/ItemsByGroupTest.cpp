// Products by product group printed through its plug-in, asserted on the trace.

#include "basekit/Conexao.h"
#include "datakit/ClientDataSet.h"
#include "rtl/Exception.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Strings = std::vector<std::string>;

class ItemsByGroup : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    // Company 1 keeps the model-7 book and has two first levels; 01.004 is analytic without
    // products. Company 2 does not keep model 7; company 3 has no configuration.
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL) values
        (1, 'Alfa', 1, '11222333000181'), (2, 'Beta', 1, '11444777000161'),
        (3, 'Gama', 1, '11444777000242');
      insert into CFGEMPRESAINV (CODIGOEMPRESA, LIVROMODELO7) values (1, 1), (2, 0);
      insert into GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, CLASSIFGRUPOPRODUTO,
                                DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO) values
        (1, 1, '01', 'Matérias-primas', 1), (1, 2, '01.002', 'Cobre', 2),
        (1, 3, '01.003', 'Tintas', 2), (1, 4, '01.004', 'Vazio', 2),
        (1, 5, '02', 'Acabados', 1), (1, 6, '02.001', 'Ferragens', 2),
        (1, 7, '02.0''X', 'Aspas', 3),
        (2, 1, '01', 'Revenda', 1), (2, 2, '01.001', 'Construção', 2),
        (3, 1, '03.001', 'Avulsos', 2);
      insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA, CODIGONCM,
                           CODIGOGRUPOPRODUTO) values
        (1, 12, 'Vergalhão', 'KG', '7407.10.10', 2), (1, 11, 'Barra', 'KG', '7407.21.10', 2),
        (1, 13, 'Esmalte', 'GL', '3208.90.10', 3), (1, 14, 'Parafuso', 'CT', null, 6),
        (1, 15, 'Fora da lista', 'UN', null, 5),
        (2, 1, 'Cimento', 'SC', '2523.29.10', 2), (3, 1, 'Avulso', 'UN', null, 1);
    )");
  }
  Strings Groups() const { return Shown(8, "GR3"); }
  Strings Products() const { return Shown(9, "AR1"); }
  // For each page: its number, then the classifications of the groups printed on it.
  std::vector<Strings> GroupsByPage() const {
    std::vector<Strings> pages;
    const Strings groups = Groups();
    size_t next = 0;
    for (const std::string& line : Lines()) {
      if (line.rfind("page", 0) == 0 && line.find(" begin") != std::string::npos) {
        pages.push_back({line.substr(0, line.find(" begin"))});
      } else if (line.rfind("section 8:", 0) == 0) {
        pages.back().push_back(groups[next].substr(0, groups[next].find(' ')));
        ++next;
      }
    }
    return pages;
  }
};

TEST_F(ItemsByGroup, GroupsAreFollowedByTheirProductsAndCompaniesRestartAtPageOne) {
  Print("stockItemsByAccount", {{"pQuebra", "0"}});
  EXPECT_EQ(Events(),
            (Strings{"page 1 begin", "section 1",  "section 8",                   // 01
                     "section 8",    "section 9",  "section 9",    "section 10",  // 01.002
                     "section 8",    "section 9",  "section 10",                  // 01.003
                     "section 8",                  // 01.004: no products
                     "section 8",    "section 8",  // 02, 02.0'X of neither kind
                     "section 8",    "section 9",  "section 10",   "page 1 end",  // 02.001
                     "page 1 begin", "section 1",  "section 8",    "section 8",  "section 9",
                     "section 10",   "page 1 end", "page 1 begin", "section 1",  "section 8",
                     "section 9",    "section 10", "page 1 end"}));
  EXPECT_EQ(Groups(), (Strings{"01     Matérias-primas", "01.002     Cobre", "01.003     Tintas",
                               "01.004     Vazio", "02     Acabados", "02.0'X     Aspas",
                               "02.001     Ferragens", "01     Revenda", "01.001     Construção",
                               "03.001     Avulsos"}));
  EXPECT_EQ(Shown(8, "GR1"), (Strings{"1", "2", "3", "4", "5", "7", "6", "1", "2", "1"}));
  EXPECT_EQ(Shown(8, "GR2"), (Strings{"S", "", "", "", "S", "", "", "S", "", ""}));
  // Products in code order; a summary group's products are never listed.
  EXPECT_EQ(Products(), (Strings{"11", "12", "13", "14", "1", "1"}));
  EXPECT_EQ(Shown(9, "AR2")[0], "Barra");
  EXPECT_EQ(Shown(9, "AR4")[0], "KG");
  // The NCM column shows only for the model-7 company, title included.
  EXPECT_EQ(Shown(9, "AR3"), (Strings{"7407.21.10", "7407.10.10", "3208.90.10", "", "", ""}));
  EXPECT_EQ(Shown(1, "Step_1.Codigoncm"), (Strings{"NCM", "", ""}));
  EXPECT_EQ(Shown(1, "CabEmpresa"), (Strings{"0001 - Alfa", "0002 - Beta", "0003 - Gama"}));
  EXPECT_EQ(module_->GetReport()->GetParams()->GetValues("pNomeEmpresa"), "Gama");

  // With a single company the company name is never looked up.
  Print("stockItemsByAccount", {{"pCodigoEmpresa", "1"}, {"pQuebra", "1"}});
  EXPECT_EQ(module_->GetReport()->GetParams()->GetValues("pNomeEmpresa"), "");
}

TEST_F(ItemsByGroup, FirstLevelBreakEndsPagesOnlyBetweenFirstLevelsOfOneCompany) {
  Print("stockItemsByAccount", {{"pQuebra", "1"}});
  // 01.002 .. 01.004 share a page with 01; 02 opens page 2 (the numbering goes on); each
  // company starts again at page 1.
  EXPECT_EQ(GroupsByPage(), (std::vector<Strings>{{"page 1", "01", "01.002", "01.003", "01.004"},
                                                  {"page 2", "02", "02.0'X", "02.001"},
                                                  {"page 1", "01", "01.001"},
                                                  {"page 1", "03.001"}}));

  for (const char* off : {"0", "2"}) {
    Print("stockItemsByAccount", {{"pCodigoEmpresa", "1"}, {"pQuebra", off}});
    EXPECT_EQ(Lines("page").size(), 2u) << off;
  }
}

TEST_F(ItemsByGroup, PrefixFiltersTheBranchAndBlankClearsAnEarlierFilter) {
  const struct {
    const char* prefix;
    Strings groups;
  } cases[] = {
      {" 01.00 ",
       {"01.002     Cobre", "01.003     Tintas", "01.004     Vazio", "01.001     Construção"}},
      {"02.0'", {"02.0'X     Aspas"}},
      {"02.0' or '1'='1", {}},
  };
  for (const auto& c : cases) {
    Print("stockItemsByAccount", {{"pClassifGrupoProduto", c.prefix}, {"pQuebra", "0"}});
    EXPECT_EQ(Groups(), c.groups) << c.prefix;
  }

  TnClientDataSet* ds = OpenFiltered("stockItemsByAccount", "CodigoEmpresa = 2");
  Print("stockItemsByAccount", {{"pClassifGrupoProduto", " "}, {"pQuebra", "0"}});
  EXPECT_EQ(Groups().size(), 10u);
  EXPECT_FALSE(ds->GetFiltered());
  EXPECT_EQ(ds->GetFilter(), "");
}

TEST_F(ItemsByGroup, StopEndsAfterTheGroupJustHandled) {
  RunOutcome outcome = Print("stockItemsByAccount", {{"pQuebra", "1"}}, [](int done, int total) {
    EXPECT_EQ(total, 10);
    return done == 4;  // 01.004, the last group before the first-level break
  });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(Groups().size(), 4u);
  EXPECT_EQ(Products(), (Strings{"11", "12", "13"}));
  EXPECT_FALSE(module_->GetReport()->GetCSLIsPageEnd());
  EXPECT_FALSE(module_->GetReport()->HasHooks());
}

TEST_F(ItemsByGroup, ErrorsReachTheHostUnchanged) {
  // A break option that is no integer stops the run before the dataset is touched.
  TnClientDataSet* ds = OpenFiltered("stockItemsByAccount", "CodigoEmpresa = 2");
  try {
    Print("stockItemsByAccount", {{"pClassifGrupoProduto", "02"}, {"pQuebra", "1,5"}});
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'1,5' não é um valor inteiro válido");
  }
  EXPECT_TRUE(Lines("section").empty());
  EXPECT_EQ(ds->GetFilter(), "CodigoEmpresa = 2");
  EXPECT_FALSE(module_->GetReport()->HasHooks());

  // An error in the middle of the listing leaves through the run's clean-up; the next run of
  // the same definition works as before.
  try {
    Print("stockItemsByAccount", {{"pQuebra", "0"}}, [](int done, int) -> bool {
      if (done == 8) throw Exception("falha no meio");
      return false;
    });
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "falha no meio");
  }
  EXPECT_EQ(Groups().size(), 8u);
  EXPECT_FALSE(module_->GetReport()->HasHooks());
  Print("stockItemsByAccount", {{"pQuebra", "0"}});
  EXPECT_EQ(Products().size(), 6u);
}

TEST_F(ItemsByGroup, ACompanyThatDoesNotExistIsToldAndNothingPrints) {
  EXPECT_EQ(PrintError("stockItemsByAccount", {{"pCodigoEmpresa", "9"}, {"pQuebra", "1"}}),
            "Empresa 9 não existe");
  EXPECT_TRUE(Lines("section").empty());
}

}  // namespace
}  // namespace stock::test
