// Balances by product group printed through their plug-in, over a stand-in for the balance
// module (so that each case controls the group rows exactly) and once over the real module.

#include <map>

#include "basekit/DataModules.h"
#include "datakit/ClientDataSet.h"
#include "invkit/InvDPGerarSaldoInv.h"
#include "rtl/Exception.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Strings = std::vector<std::string>;

struct GroupRow {
  int empresa, estab, tipo;
  std::string classif, descr;
  double valor, totalEstab;
};

// What the stand-in module returns and what it saw.
struct StandIn {
  static inline std::vector<GroupRow> rows;
  static inline std::map<std::string, std::string> received;
  static inline bool fail = false;
  static inline int created = 0;
  static inline int alive = 0;
};

class StandInBalance : public TnDMPowerParam {
 public:
  StandInBalance() {
    ++StandIn::created;
    ++StandIn::alive;
    for (const char* name :
         {"pCodigoEmpresa", "pCodigoEstab", "pDataInicial", "pClassifConta", "pMotivoInventario"})
      GetParams()->Add(name, TnParamType::Text, name, "");
  }
  ~StandInBalance() override { --StandIn::alive; }

  void Executar() override {
    for (int i = 0; i < GetParams()->Count(); ++i)
      StandIn::received[GetParams()->Items(i)->GetName()] = GetParams()->Items(i)->GetValue();
    if (StandIn::fail) throw Exception("falha ao gerar o saldo");
    TFieldDefs& defs = rows_.FieldDefs();
    defs.Add("CODIGOEMPRESA", ftInteger);
    defs.Add("CODIGOESTAB", ftInteger);
    defs.Add("TIPOGRUPOPRODUTO", ftInteger);
    defs.Add("CLASSIFGRUPOPRODUTO", ftString);
    defs.Add("DESCRGRUPOPRODUTO", ftString);
    defs.Add("VALORLCTO", ftFloat);
    defs.Add("TOTALESTAB", ftFloat);
    rows_.CreateDataSet();
    for (const GroupRow& r : StandIn::rows) {
      rows_.Append();
      rows_.Fields(0)->SetAsInteger(r.empresa);
      rows_.Fields(1)->SetAsInteger(r.estab);
      rows_.Fields(2)->SetAsInteger(r.tipo);
      rows_.Fields(3)->SetAsString(r.classif);
      rows_.Fields(4)->SetAsString(r.descr);
      rows_.Fields(5)->SetAsFloat(r.valor);
      rows_.Fields(6)->SetAsFloat(r.totalEstab);
      rows_.Post();
    }
    SetComponent("nClientDataSetGrupoProduto", &rows_);
  }

 private:
  TnClientDataSet rows_;
};

class Balances : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    StandIn::rows.clear();
    StandIn::received.clear();
    StandIn::fail = false;
    StandIn::created = StandIn::alive = 0;
    RegisterDataModule("TnInvDPGerarSaldoInv", [] { return std::make_unique<StandInBalance>(); });
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL) values
        (1, 'Alfa', 1, '11222333000181'), (2, 'Beta', 1, '11444777000161');
      insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL,
                         DATAINICIOATIV) values
        (1, 1, 'Matriz Alfa', 1, '11222333000181', '2020-01-01'),
        (1, 2, 'Filial Alfa', 1, '11222333000262', '2020-01-01'),
        (2, 1, 'Matriz Beta', 1, '11444777000161', '2020-01-01');
      insert into CFGEMPRESAINV (CODIGOEMPRESA, QTDECASADECIMAL) values (1, 2), (2, 2);
    )");
  }
  void TearDown() override {
    RegisterDataModule("TnInvDPGerarSaldoInv",
                       [] { return std::make_unique<TnInvDPGerarSaldoInv>(); });
    PluginTest::TearDown();
  }
  RunOutcome PrintOn(const std::string& date,
                     std::vector<std::pair<std::string, std::string>> more = {},
                     ProgressHandler progress = nullptr) {
    more.insert(more.begin(), {"pDataInicial", date});
    return Print("stockBalances", more, std::move(progress));
  }
  void TwoCompanies() {
    // The first establishment's TOTALESTAB changes on its last row: that one is its total.
    StandIn::rows = {{1, 1, 1, "01", "Matérias-primas", 300, 111},
                     {1, 1, 2, "01.001", "Aços", 300, 300.5},
                     {1, 2, 2, "02.001", "Tintas", 50, 50},
                     {2, 1, 2, "01.001", "Aços", 7, 7}};
  }
};

TEST_F(Balances, EstablishmentAndCompanyBlocksWithTheirTotals) {
  TwoCompanies();
  PrintOn("31/12/2026");
  EXPECT_EQ(Events(),
            (Strings{"page 1 begin", "section 1",  "section 10",   "section 9",  "section 8",
                     "section 8",    "section 9",  "section 11",   "section 12", "section 10",
                     "section 8",    "section 9",  "section 11",   "section 12", "section 9",
                     "section 11",   "page 1 end", "page 1 begin", "section 1",  "section 10",
                     "section 8",    "section 9",  "section 11",   "section 12", "section 9",
                     "section 11",   "page 1 end"}));
  EXPECT_EQ(Shown(1, "CabEmpresa"), (Strings{"0001 - Alfa", "0002 - Beta"}));
  EXPECT_EQ(Shown(10, "NomeEstab"),
            (Strings{"0001 Matriz Alfa", "0002 Filial Alfa", "0001 Matriz Beta"}));
  EXPECT_EQ(Shown(8, "Tipo"), (Strings{"S", "", "", ""}));
  EXPECT_EQ(Shown(8, "Grupo"), (Strings{"01     Matérias-primas", "01.001     Aços",
                                        "02.001     Tintas", "01.001     Aços"}));
  EXPECT_EQ(Shown(11, "TotalTexto"),
            (Strings{"Total:", "Total:", "Total da empresa:", "Total:", "Total da empresa:"}));
  EXPECT_EQ(Shown(11, "TotalValor"), (Strings{"300,50", "50,00", "350,50", "7,00", "7,00"}));
}

TEST_F(Balances, TitleDateAndWhatTheModuleReceives) {
  TwoCompanies();
  PrintOn(" 31/12/2026 ", {{"pCodigoEmpresa", " 1;2 "},
                           {"pCodigoEstab", " 1..2 "},
                           {"pClassifGrupoProduto", " 01 "},
                           {"pMotivoInventario", " 1 "}});
  EXPECT_EQ(Shown(1, "CabData")[0], "Saldos em  31 de dezembro de 2026");
  EXPECT_EQ(StandIn::received, (std::map<std::string, std::string>{{"pCodigoEmpresa", "1;2"},
                                                                   {"pCodigoEstab", "1..2"},
                                                                   {"pDataInicial", " 31/12/2026 "},
                                                                   {"pClassifConta", "01"},
                                                                   {"pMotivoInventario", "1"}}));

  // The balance date only names the title; the module still computes at pDataInicial.
  PrintOn("31/12/2026", {{"pDataSaldo", "01/02/2027"}});
  EXPECT_EQ(Shown(1, "CabData")[0], "Saldos em  1 de fevereiro de 2027");
  EXPECT_EQ(StandIn::received["pDataInicial"], "31/12/2026");
}

TEST_F(Balances, UnreadableDateStopsBeforeAnythingPrints) {
  TwoCompanies();
  for (auto [inicial, saldo] : std::vector<std::pair<std::string, std::string>>{
           {"31/02/2026", ""}, {"", ""}, {"31/12/2026", "amanhã"}}) {
    EXPECT_THROW(PrintOn(inicial, {{"pDataSaldo", saldo}}), EConvertError) << inicial << saldo;
    EXPECT_TRUE(Lines("section").empty());
    EXPECT_EQ(StandIn::created, 0);
  }
}

TEST_F(Balances, StopPrintsNoPendingTotalAndFreesTheModule) {
  TwoCompanies();
  RunOutcome outcome = PrintOn("31/12/2026", {}, [](int done, int total) {
    EXPECT_EQ(total, 4);
    return done == 2;
  });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(Shown(8, "Saldo").size(), 2u);
  EXPECT_TRUE(Lines("section 11").empty());
  EXPECT_EQ(StandIn::created, 1);
  EXPECT_EQ(StandIn::alive, 0);
}

TEST_F(Balances, ModuleIsFreedOnErrorAndOnEmptyResult) {
  StandIn::fail = true;
  try {
    PrintOn("31/12/2026");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "falha ao gerar o saldo");
  }
  EXPECT_EQ(StandIn::alive, 0);

  StandIn::fail = false;  // no rows at all
  RunOutcome outcome = PrintOn("31/12/2026");
  EXPECT_EQ(outcome.pages, 0);
  EXPECT_TRUE(Lines("section").empty());
  EXPECT_EQ(StandIn::created, 2);
  EXPECT_EQ(StandIn::alive, 0);
}

TEST_F(Balances, CompanyDecimalsShapeLinesAndTotals) {
  Exec(
      "update CFGEMPRESAINV set QTDECASADECIMAL = 3 where CODIGOEMPRESA = 1;"
      "update CFGEMPRESAINV set QTDECASADECIMAL = 'x' where CODIGOEMPRESA = 2;");
  // Establishment 9 of company 1 is not in the report's establishments: it is headed by its
  // code and keeps the company's decimals.
  StandIn::rows = {{1, 1, 2, "01", "A", 1234.5675, 1234.5675},
                   {1, 9, 2, "01", "A", 0.0005, 0.0005},
                   {2, 1, 2, "01", "A", 2.675, 2.675}};
  PrintOn("31/12/2026");
  EXPECT_EQ(Shown(8, "Saldo"), (Strings{"1.234,568", "0,001", "2,68"}));
  EXPECT_EQ(Shown(11, "TotalValor"), (Strings{"1.234,568", "0,001", "1.234,568", "2,68", "2,68"}));
  EXPECT_EQ(Shown(10, "NomeEstab"), (Strings{"0001 Matriz Alfa", "0009 ", "0001 Matriz Beta"}));
}

TEST_F(Balances, RealModuleTotalsMatchTheInventory) {
  RegisterDataModule("TnInvDPGerarSaldoInv",
                     [] { return std::make_unique<TnInvDPGerarSaldoInv>(); });
  Exec(R"(
    insert into GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, CLASSIFGRUPOPRODUTO,
                              DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO) values
      (1, 1, '01', 'Matérias-primas', 1), (1, 2, '01.001', 'Aços', 2),
      (1, 3, '01.002', 'Tintas', 2), (2, 1, '05', 'Revenda', 2);
    insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA,
                         CODIGOGRUPOPRODUTO) values
      (1, 1, 'Chapa', 'KG', 2), (1, 2, 'Tinta', 'GL', 3), (2, 1, 'Item', 'UN', 1);
    insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, QTDEESTOQUE,
                         PRECOUNIT, VALORTOTAL) values
      (1, 1, '2026-11-30', 1, 1, 1, 999.99),
      (1, 1, '2026-12-31', 1, 10, 10.1, 101.10), (1, 1, '2026-12-31', 2, 3, 0.7, 2.10),
      (1, 2, '2026-12-31', 2, 1, 0.2, 0.20),
      (2, 1, '2026-12-31', 1, 1, 0.1, 0.10), (2, 1, '2027-01-31', 1, 1, 5, 5.00);
  )");
  PrintOn("31/12/2026");
  EXPECT_EQ(Shown(8, "Grupo"),
            (Strings{"01     Matérias-primas", "01.001     Aços", "01.002     Tintas",
                     "01     Matérias-primas", "01.002     Tintas", "05     Revenda"}));
  EXPECT_EQ(Shown(8, "Saldo"), (Strings{"103,20", "101,10", "2,10", "0,20", "0,20", "0,10"}));
  EXPECT_EQ(Shown(11, "TotalValor"), (Strings{"103,20", "0,20", "103,40", "0,10", "0,10"}));
}

}  // namespace
}  // namespace stock::test
