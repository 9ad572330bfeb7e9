// The standard header, the company-name look-up and query user functions over the suite's
// tables.

#include "basekit/ExecutarSQL.h"
#include "reportkit/ReportHeader.h"
#include "rtl/Exception.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

class Header : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL) values
        (1, 'Alfa Ltda', 1, '11222333000181'), (2, 'João da Silva', 2, '52998224725');
      insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL,
                         DATAINICIOATIV) values (1, 3, 'Filial Centro', 1, '11222333000262', '2020-01-01');
    )");
    report_ = std::make_unique<TnrwReport>(ParseReportDefinition(R"({"name": "h", "title": "Título",
      "parameters": [{"name": "pCabEmpresa", "input": false}, {"name": "pCabInscricao", "input": false},
                     {"name": "pCabEstab", "input": false}, {"name": "pCabTitulo", "input": false},
                     {"name": "pCabEmissao", "input": false}],
      "sections": [{"number": 1, "height": 10}],
      "functions": [{"name": "gemVDadosTermo", "separator": "|",
                     "query": "select NOMEEMPRESA, INSCRFEDERAL from EMPRESA where CODIGOEMPRESA = :p1"},
                    {"name": "semArgumento", "query": "select ':p1 -- ' || :p2 /* :p3 */ -- :p4"},
                    {"name": "nomeErrado", "query": "select :p1x"},
                    {"name": "numeroLongo", "query": "select :p99999999999999999999999"}]})",
                                                                 "h.json"));
  }
  std::string Param(const char* name) const { return report_->GetParams()->GetValues(name); }
  std::unique_ptr<TnrwReport> report_;
};

TEST_F(Header, ExecutarLoadsTheCompanyIntoTheHeaderParameters) {
  TnCabecalhoRelatorio header(report_.get(), false, false, true, false, true, Variant(), -1, 0, 0,
                              " 3 ", "", false);
  header.Executar(1);
  EXPECT_EQ(Param("pCabEmpresa"), "0001 - Alfa Ltda");
  EXPECT_EQ(Param("pCabInscricao"), "CNPJ: 11.222.333/0001-81");
  EXPECT_EQ(Param("pCabEstab"), "Estab.: 0003 - Filial Centro");
  EXPECT_EQ(Param("pCabTitulo"), "Título");
  EXPECT_EQ(Param("pCabEmissao").rfind("Emissão: ", 0), 0u);
  header.Executar(2);
  EXPECT_EQ(Param("pCabEmpresa"), "0002 - João da Silva");
  EXPECT_EQ(Param("pCabInscricao"), "CPF: 529.982.247-25");
  header.Executar(9);  // no such company: the code alone
  EXPECT_EQ(Param("pCabEmpresa"), "0009");
  EXPECT_EQ(Param("pCabInscricao"), "");
}

TEST_F(Header, CompanyNameLookUpReusesTheCallersDataset) {
  TDataSet* dataset = nullptr;
  SQLDataSetGuard guard(dataset);
  EXPECT_EQ(ImprimeNomeEmpresa(1, dataset), "Alfa Ltda");
  TDataSet* first = dataset;
  EXPECT_EQ(ImprimeNomeEmpresa(2, dataset), "João da Silva");
  EXPECT_EQ(dataset, first);
  EXPECT_EQ(ImprimeNomeEmpresa(7, dataset), "");
}

TEST_F(Header, QueryFunctionsJoinTheFirstRowsColumns) {
  TnReportFunctions* functions = report_->ReportFunctions();
  const int index = functions->IndexOfFunction("gemVDadosTermo");
  EXPECT_EQ(functions->CallFunction(index, {"1"}), "Alfa Ltda|11222333000181");
  EXPECT_EQ(functions->CallFunction(index, {"8"}), "");
  // An argument is bound, never pasted into the SQL.
  EXPECT_EQ(functions->CallFunction(index, {"1 or 1 = 1"}), "");
}

TEST_F(Header, QueryFunctionsBindOnlyTheParametersOutsideQuotesAndComments) {
  TnReportFunctions* functions = report_->ReportFunctions();
  // Only :p2 is a parameter here; an argument not given is NULL.
  EXPECT_EQ(functions->CallFunction(functions->IndexOfFunction("semArgumento"), {"a", "b"}),
            ":p1 -- b");
  EXPECT_EQ(functions->CallFunction(functions->IndexOfFunction("semArgumento"), {"a"}), "");
  for (const char* name : {"nomeErrado", "numeroLongo"}) {
    SCOPED_TRACE(name);
    try {
      functions->CallFunction(functions->IndexOfFunction(name), {"1"});
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("não é um argumento"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace stock::test
