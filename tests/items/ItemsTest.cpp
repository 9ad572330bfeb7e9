// The product list printed through its plug-in, asserted on the trace.

#include "datakit/ClientDataSet.h"
#include "rtl/Exception.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

class Items : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    // Company 1 keeps the model-7 book, company 2 does not; company 3 has no configuration.
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL) values
        (1, 'Alfa', 1, '11222333000181'), (2, 'Beta', 1, '11444777000161'),
        (3, 'Gama', 1, '11444777000242');
      insert into CFGEMPRESAINV (CODIGOEMPRESA, LIVROMODELO7) values (1, 1), (2, 0);
      insert into GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, CLASSIFGRUPOPRODUTO,
                                DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO) values
        (1, 1, '01.001', 'Aços', 2), (1, 2, '02.001', 'Tintas', 2), (1, 3, '01''X', 'Aspas', 2),
        (2, 1, '01.001', 'Aços', 2), (3, 1, '01.002', 'Outros', 2);
      insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA, CODIGONCM,
                           CODIGOGRUPOPRODUTO) values
        (1, 1, 'Chapa', 'KG', '7209.16.00', 1), (1, 2, 'Tinta', 'GL', '3208.90.10', 2),
        (1, 3, 'Com aspas', 'UN', null, 3),
        (2, 1, 'Barra', 'KG', '7214.99.10', 1), (2, 2, 'Perfil', 'KG', null, 1),
        (3, 1, 'Avulso', 'UN', null, 1);
    )");
  }
  std::vector<std::string> Codes() const { return Shown(8, "Step_1.Codigoproduto"); }
};

TEST_F(Items, PageBreakPerCompanyHappensOnlyBetweenCompanies) {
  Print("stockItems", {{"pQuebra", "1"}});
  EXPECT_EQ(Events(), (std::vector<std::string>{
                          "page 1 begin", "section 1", "section 8", "section 8", "section 8",
                          "page 1 end", "page 1 begin", "section 1", "section 8", "section 8",
                          "page 1 end", "page 1 begin", "section 1", "section 8", "page 1 end"}));
  for (const char* no_break : {"0", "2"}) {
    Print("stockItems", {{"pQuebra", no_break}});
    EXPECT_EQ(Lines("page").size(), 2u) << no_break;  // one page, begin and end
  }
}

TEST_F(Items, ModelSevenColumnsAreShownPerRecord) {
  Print("stockItems", {{"pQuebra", "0"}});
  EXPECT_EQ(Shown(8, "Step_1.Codigoncm"),
            (std::vector<std::string>{"7209.16.00", "3208.90.10", "", "", "", ""}));
  EXPECT_EQ(Shown(8, "Step_1.ClassifGrupoProduto"),
            (std::vector<std::string>{"01.001", "02.001", "01'X", "", "", ""}));
}

TEST_F(Items, PrefixFiltersExactlyTheBranchAndBlankLeavesEverything) {
  Print("stockItems", {{"pClassifGrupoProduto", " 01.0 "}, {"pQuebra", "0"}});
  EXPECT_EQ(Codes(), (std::vector<std::string>{"000001", "000001", "000002", "000001"}));
  // A quote in the prefix is a literal character of the pattern.
  Print("stockItems", {{"pClassifGrupoProduto", "01'"}, {"pQuebra", "0"}});
  EXPECT_EQ(Codes(), (std::vector<std::string>{"000003"}));

  // A blank prefix switches off a filter that was set before.
  TnClientDataSet* ds = OpenFiltered("stockItems", "CodigoEmpresa = 2");
  Print("stockItems", {{"pClassifGrupoProduto", " "}, {"pQuebra", "0"}});
  EXPECT_EQ(Codes().size(), 6u);
  EXPECT_FALSE(ds->GetFiltered());
  EXPECT_EQ(ds->GetFilter(), "");
}

TEST_F(Items, StopEndsRightAfterTheSectionJustPrinted) {
  RunOutcome outcome = Print("stockItems", {{"pQuebra", "1"}}, [](int done, int total) {
    EXPECT_EQ(total, 6);
    return done == 3;
  });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(Codes().size(), 3u);
  EXPECT_FALSE(module_->GetReport()->GetCSLIsPageEnd());  // none was requested for that record
}

TEST_F(Items, NonIntegerBreakOptionRaisesTheConversionError) {
  try {
    Print("stockItems", {{"pQuebra", "abc"}});
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' não é um valor inteiro válido");
  }
  EXPECT_TRUE(Lines("section").empty());
  EXPECT_FALSE(module_->GetReport()->HasHooks());
}

TEST_F(Items, ACompanyThatDoesNotExistIsToldAndNothingPrints) {
  EXPECT_EQ(PrintError("stockItems", {{"pCodigoEmpresa", "9"}}), "Empresa 9 não existe");
  EXPECT_EQ(PrintError("stockItems", {{"pCodigoEmpresa", "1;9"}}), "Empresa 9 não existe");
  EXPECT_TRUE(Lines("section").empty());
  EXPECT_EQ(PrintError("stockItems", {{"pCodigoEmpresa", "5..9"}}), "");  // a range may have gaps
}

}  // namespace
}  // namespace stock::test
