// The physical count sheet printed through its plug-in, asserted on the trace.

#include "datakit/HostEnv.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Strings = std::vector<std::string>;

class CountSheet : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    // Company 1 (3 price decimals) has two establishments, company 2 (2 decimals) one.
    // Lines come by company, establishment, group classification and product.
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL) values
        (1, 'Alfa', 1, '11222333000181'), (2, 'Beta', 1, '11444777000161');
      insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL,
                         DATAINICIOATIV) values
        (1, 1, 'Matriz Alfa', 1, '11222333000181', '2020-01-01'),
        (1, 2, 'Filial Alfa', 1, '11222333000262', '2020-01-01'),
        (2, 1, 'Matriz Beta', 1, '11444777000161', '2020-01-01');
      insert into CFGEMPRESAINV (CODIGOEMPRESA, QTDECASADECIMAL) values (1, 3), (2, 2);
      insert into GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, CLASSIFGRUPOPRODUTO,
                                DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO) values
        (1, 1, '01.001', 'Aços', 2), (1, 2, '01''X', 'Aspas', 2), (2, 1, '02.001', 'Tintas', 2);
      insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA,
                           CODIGOGRUPOPRODUTO) values
        (1, 1, 'Chapa', 'KG', 1), (1, 2, 'Barra', 'KG', 1), (1, 3, 'Com aspas', 'UN', 2),
        (2, 1, 'Tinta', 'GL', 1);
      insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, QTDEESTOQUE,
                           PRECOUNIT, VALORTOTAL) values
        (1, 1, '2024-03-31', 1, 1, 1234.5, 1234.5), (1, 2, '2024-03-31', 1, 1, 7, 7),
        (1, 1, '2024-03-30', 2, 1, 99, 99), (2, 1, '2024-03-31', 1, 1, 12.5, 12.5);
    )");
  }
  Strings Products() const { return Shown(10, "Codigoproduto"); }
  Strings Prices() const { return Shown(10, "Etq_PrecoUnitDet"); }
};

TEST_F(CountSheet, EstablishmentsAndCompaniesSeparateAsALayoutExpects) {
  Print("stockCountSheet");
  EXPECT_EQ(Events(),
            (Strings{"page 1 begin", "section 1", "section 9", "section 10", "section 10",
                     "section 10", "section 11", "section 9", "section 10", "section 10",
                     "section 10", "section 11", "page 1 end", "page 1 begin", "section 1",
                     "section 9", "section 10", "section 11", "page 1 end"}));
  EXPECT_EQ(Products(),
            (Strings{"000003", "000001", "000002", "000003", "000001", "000002", "000001"}));
  EXPECT_EQ(Shown(1, "CabEmpresa"), (Strings{"0001 - Alfa", "0002 - Beta"}));
  EXPECT_EQ(Shown(9, "EstabNome"), (Strings{"Matriz Alfa", "Filial Alfa", "Matriz Beta"}));
}

TEST_F(CountSheet, PricesComeFromTheInventoryOfExactlyThatDay) {
  Print("stockCountSheet", {{"pInclUltimoCusto", "1"}, {"pDataUltimoCusto", "31/03/2024"}});
  // Company 1 prints 3 decimals, company 2 two; a product without an inventory line that day
  // in its establishment shows zero.
  EXPECT_EQ(Prices(), (Strings{"0,000", "1.234,500", "0,000", "0,000", "7,000", "0,000", "12,50"}));
  EXPECT_EQ(Shown(1, "Etq_PrecoUnit"), (Strings{"Último custo", "Último custo"}));
  EXPECT_EQ(Shown(1, "Etq_Periodo"), (Strings{"em 03/2024", "em 03/2024"}));

  // Another day of March: same caption, no inventory that day.
  Print("stockCountSheet",
        {{"pInclUltimoCusto", "1"}, {"pDataUltimoCusto", "01/03/2024"}, {"pCodigoEmpresa", "2"}});
  EXPECT_EQ(Prices(), (Strings{"0,00"}));
  EXPECT_EQ(Shown(1, "Etq_Periodo"), (Strings{"em 03/2024"}));
}

TEST_F(CountSheet, PricesAreOffForAnythingButOne) {
  // With prices off no price query runs: without the inventory table the sheet still prints.
  Exec("drop table LCTOINV");
  for (const char* option : {"0", "2", "", "S", " 1x"}) {
    Print("stockCountSheet", {{"pInclUltimoCusto", option}, {"pDataUltimoCusto", "31/03/2024"}});
    EXPECT_EQ(Prices(), Strings(7, "")) << option;
    EXPECT_EQ(Shown(1, "Etq_PrecoUnit"), Strings(2, "")) << option;
    EXPECT_EQ(Shown(1, "Etq_Periodo"), Strings(2, "")) << option;
  }
  // With prices on, a failing price query ends the run with its error.
  EXPECT_THROW(Print("stockCountSheet", {{"pInclUltimoCusto", "1"}}), Exception);
  EXPECT_FALSE(module_->GetReport()->HasHooks());
}

TEST_F(CountSheet, PriceDateThatIsNoDateMeansToday) {
  module_ = OpenReportModule("stockCountSheet");
  module_->GetReport()->GetParams()->SetValues("pDataUltimoCusto", "não é data");
  trace_ = std::make_unique<TraceDevice>();
  RunReport(*module_, {"stockCountSheet", {{"pInclUltimoCusto", "1"}}, nullptr}, *trace_);
  EXPECT_EQ(Shown(1, "Etq_Periodo")[0], "em " + FormatDateTime("mm/yyyy", Date()));
}

TEST_F(CountSheet, ClassificationPrefixFiltersTheLines) {
  // A quote in the prefix is a literal character of the pattern.
  Print("stockCountSheet", {{"pClassifGrupoProduto", " 01' "}});
  EXPECT_EQ(Products(), (Strings{"000003", "000003"}));
  EXPECT_EQ(Events(), (Strings{"page 1 begin", "section 1", "section 9", "section 10", "section 11",
                               "section 9", "section 10", "section 11", "page 1 end"}));
  // A prefix that matches nothing leaves the first heading alone.
  Print("stockCountSheet", {{"pClassifGrupoProduto", "99"}});
  EXPECT_EQ(Events(), (Strings{"page 1 begin", "section 1", "section 9", "page 1 end"}));
  EXPECT_EQ(Shown(1, "CabEmpresa"), (Strings{"0001 - Alfa"}));
}

TEST_F(CountSheet, EmptySelectionPrintsNothingAndStopEndsTheWalk) {
  EXPECT_EQ(PrintError("stockCountSheet", {{"pCodigoEmpresa", "9"}}), "Empresa 9 não existe");
  EXPECT_EQ(PrintError("stockCountSheet", {{"pCodigoEstab", "9"}}),
            "Estabelecimento 9 não existe em nenhuma empresa");
  EXPECT_TRUE(Lines("section").empty());

  RunOutcome outcome = Print("stockCountSheet", {}, [](int done, int total) {
    EXPECT_EQ(total, 7);
    return done == 4;
  });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(Products().size(), 4u);
  EXPECT_EQ(Lines("section").back().rfind("section 10:", 0), 0u);
}

}  // namespace
}  // namespace stock::test
