// The inventory listing: the query it builds for each option, and the printing with its
// totals, asserted on the trace of the real plug-in run by the real host.

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <tuple>

#include "basekit/ExecutarSQL.h"
#include "listing/stockListing.h"
#include "reportkit/Report.h"
#include "rtl/Exception.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Params = std::vector<std::pair<std::string, std::string>>;
using Texts = std::vector<std::string>;

class Listing : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    // Company 1: prices with 3 decimals, quantities with none; establishment 2 has no lines.
    // Company 2 has no inventory configuration (2 decimals) and no chart of accounts.
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL) values
        (1, 'Alfa', 1, '11222333000181'), (2, 'Beta', 1, '11444777000161');
      insert into CFGEMPRESAINV (CODIGOEMPRESA, QTDECASADECIMAL, QTDECASADECIMALQTD)
        values (1, 3, 0);
      insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL,
                         DATAINICIOATIV) values
        (1, 1, 'Matriz', 1, '11222333000181', '2020-01-01'),
        (1, 2, 'Sem estoque', 1, '11222333000262', '2020-01-01'),
        (1, 3, 'Filial', 1, '11222333000343', '2020-01-01'),
        (2, 1, 'Beta Matriz', 1, '11444777000161', '2020-01-01');
      insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA,
                           CODIGOGRUPOPRODUTO) values
        (1, 10, 'Parafuso', 'UN', 5), (1, 20, 'Arruela', 'UN', 5), (2, 10, 'Cimento', 'SC', 7);
      insert into PLANOESPEC (CODIGOEMPRESA, CONTACTB, CLASSIFCONTA, DESCRCONTA, TIPOCONTA) values
        (1, 1141, '1.1.04.01', 'Matérias-primas', 2), (1, 1145, '1.1.04.05', 'Em terceiros', 2);
      insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO,
                           MOTIVOINVENTARIO, QTDEESTOQUE, PRECOUNIT, VALORTOTAL) values
        (1, 1, '2025-12-31', 10, 1, 1, 1, 1),
        (1, 1, '2026-01-31', 10, 1, 3, 0.335, 1.01),
        (1, 1, '2026-02-28', 10, 1, 10, 2.5, 25),
        (1, 1, '2026-01-31', 20, 2, 4, 1.25, 5),
        (1, 3, '2026-01-31', 20, 1, 2, 100, 200),
        (2, 1, '2026-01-31', 10, 1, 5, 3.333, 16.67);
      insert into LCTOINVPROPRIEDADE (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO,
                                      MOTIVOINVENTARIO, SEQPROPRIEDADE, INDICADORPROPRIEDADE,
                                      QUANTIDADE, PRECOUNIT, VALORTOTAL, CONTACTB) values
        (1, 1, '2025-12-31', 10, 1, 1, 0, 1, 1, 1, 1141),
        (1, 1, '2026-01-31', 10, 1, 1, 0, 3, 0.335, 1.01, 1141),
        (1, 1, '2026-02-28', 10, 1, 1, 0, 6, 2.5, 15, 1141),
        (1, 1, '2026-02-28', 10, 1, 2, 1, 4, 2.5, 10, 1145),
        (1, 1, '2026-01-31', 20, 2, 1, 2, 4, 1.25, 5, null),
        (1, 3, '2026-01-31', 20, 1, 1, 7, 2, 100, 200, 999),
        (2, 1, '2026-01-31', 10, 1, 1, 9, 5, 3.333, 16.67, 1141);
    )");
  }

  static Params With(Params extra) {
    Params p{{"pDataInicial", "01/01/2026"}, {"pDataFinal", "31/12/2026"}};
    p.insert(p.end(), extra.begin(), extra.end());
    return p;
  }

  // The query the report builds for these parameters.
  std::string Query(const Params& params) {
    module_ = OpenReportModule("stockListing");
    TnrwReport* report = module_->GetReport();
    for (const auto& [name, value] : params) report->GetParams()->SetValues(name, value);
    TstockListing listing(report);
    listing.LerParametros();
    return listing.MontarSQL();
  }

  // One pass straight through the plug-in, without the host's clean-up of the hooks.
  void PrintPass(const Params& params, ProgressHandler progress) {
    module_ = OpenReportModule("stockListing");
    TnrwReport* report = module_->GetReport();
    for (const auto& [name, value] : params) report->GetParams()->SetValues(name, value);
    report->OpenMainQuery();
    trace_ = std::make_unique<TraceDevice>();
    trace_->BeginDocument({"teste", 0});
    ReportDocument document;
    document.device = trace_.get();
    document.progress = std::move(progress);
    report->BeginPass(&document);
    try {
      RunPluginPass(*report, false);
    } catch (...) {
      report->EndPass();
      throw;
    }
    report->EndPass();
  }

  Texts Captions() const { return Shown(11, "pLblTotal"); }
  Texts Amounts() const { return Shown(11, "TotValor"); }
};

TEST_F(Listing, QueryPiecesFollowTheOptions) {
  struct Case {
    Params params;
    Texts present;
    Texts absent;
  };
  const std::vector<Case> cases = {
      {{{"pModelo", "0"}, {"pIndPropriedade", "1"}},
       {", L.PRECOUNIT , L.CODIGOPRODUTO , L.QTDEESTOQUE FROM PRODUTO P "},
       {"LCTOINVPROPRIEDADE", "PLANOESPEC", "INDICADORPROPRIEDADE"}},
      {{{"pModelo", "1"}, {"pIndPropriedade", "3"}},
       {", D.PRECOUNIT ", ", D.QUANTIDADE QTDEESTOQUE ", " INNER JOIN LCTOINVPROPRIEDADE D ",
        " LEFT JOIN PLANOESPEC PLA "},
       {"D.INDICADORPROPRIEDADE ="}},
      {{{"pModelo", "1"}, {"pIndPropriedade", "0"}}, {"AND D.INDICADORPROPRIEDADE = 0 "}, {}},
      {{{"pModelo", "1"}, {"pIndPropriedade", "2"}}, {"AND D.INDICADORPROPRIEDADE = 2 "}, {}},
      // Any model but 0 lists by indicator, joins included.
      {{{"pModelo", "7"}, {"pIndPropriedade", "1"}},
       {" INNER JOIN LCTOINVPROPRIEDADE D ", "AND D.INDICADORPROPRIEDADE = 1 "},
       {}},
      {{{"pModelo", "x"}}, {", L.QTDEESTOQUE "}, {"LCTOINVPROPRIEDADE"}},
      {{{"pMotivoInventario", "0"}}, {}, {"AND L.MOTIVOINVENTARIO"}},
      {{{"pMotivoInventario", ""}}, {}, {"AND L.MOTIVOINVENTARIO"}},
      {{{"pMotivoInventario", "2"}}, {" AND L.MOTIVOINVENTARIO = 2 ORDER BY "}, {}},
      {{{"pCodigoEstab", "   "}}, {"WHERE (1 = 1) AND L.DATAINVENT BETWEEN "}, {"(L.CODIGOESTAB"}},
      {{{"pCodigoEmpresa", "1"}, {"pCodigoEstab", "2;4..5"}},
       {"WHERE (L.CODIGOEMPRESA = 1) "
        " and (L.CODIGOESTAB = 2 or L.CODIGOESTAB between 4 and 5) AND L.DATAINVENT "},
       {}},
  };
  for (const Case& c : cases) {
    const std::string sql = Query(c.params);
    for (const std::string& piece : c.present)
      EXPECT_NE(sql.find(piece), std::string::npos) << piece << "\n" << sql;
    for (const std::string& piece : c.absent)
      EXPECT_EQ(sql.find(piece), std::string::npos) << piece << "\n" << sql;
    // Every variant is a query the database runs.
    SQLDataSetPtr cur(ExecutarSQL(sql,
                                  VarArrayOf({Variant::FromDate(EncodeDate(2026, 1, 1)),
                                              Variant::FromDate(EncodeDate(2026, 12, 31))}),
                                  true, false, -1, "", nullptr, true));
    EXPECT_TRUE(cur != nullptr);
  }

  // Selections are validated, never pasted.
  for (const char* bad : {"1; drop table LCTOINV", "1 or 1=1", "2..1"}) {
    EXPECT_THROW(Query({{"pCodigoEstab", bad}}), Exception) << bad;
  }
}

// The lines of one establishment as a user reads them: product, description, month and,
// by indicator, the portion's indicator.
struct ListedLine {
  int empresa, estab;
  std::string data;  // ISO
  int produto;
  std::string descricao;
  int motivo, seq, indicador;
};

TEST_F(Listing, LinesPrintInTheChosenOrderWithTiesInTheOrderOfTheirKeys) {
  // Product 30 shares its description with 20; product 10 has two reasons on one date.
  Exec(R"(
    insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA,
                         CODIGOGRUPOPRODUTO) values (1, 30, 'Arruela', 'UN', 5);
    insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO,
                         MOTIVOINVENTARIO, QTDEESTOQUE, PRECOUNIT, VALORTOTAL) values
      (1, 1, '2026-03-31', 30, 1, 1, 1, 1), (1, 1, '2026-01-31', 30, 3, 1, 1, 1),
      (1, 1, '2026-02-28', 10, 2, 1, 1, 1);
    insert into LCTOINVPROPRIEDADE (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO,
                                    MOTIVOINVENTARIO, SEQPROPRIEDADE, INDICADORPROPRIEDADE,
                                    QUANTIDADE, PRECOUNIT, VALORTOTAL, CONTACTB) values
      (1, 1, '2026-03-31', 30, 1, 1, 1, 1, 1, 1, null), (1, 1, '2026-01-31', 30, 3, 1, 2, 1, 1, 1, null),
      (1, 1, '2026-02-28', 10, 2, 1, 2, 1, 1, 1, null);
  )");
  // Every portion of the period, written out by hand.
  const std::vector<ListedLine> portions = {
      {1, 1, "2026-01-31", 10, "Parafuso", 1, 1, 0}, {1, 1, "2026-02-28", 10, "Parafuso", 1, 1, 0},
      {1, 1, "2026-02-28", 10, "Parafuso", 1, 2, 1}, {1, 1, "2026-01-31", 20, "Arruela", 2, 1, 2},
      {1, 3, "2026-01-31", 20, "Arruela", 1, 1, 7},  {2, 1, "2026-01-31", 10, "Cimento", 1, 1, 9},
      {1, 1, "2026-03-31", 30, "Arruela", 1, 1, 1},  {1, 1, "2026-01-31", 30, "Arruela", 3, 1, 2},
      {1, 1, "2026-02-28", 10, "Parafuso", 2, 1, 2}};
  using Key = std::tuple<int, int, std::string, std::string, int, int, int>;
  const std::vector<std::pair<std::string, std::function<Key(const ListedLine&)>>> orders = {
      {"0",
       [](const ListedLine& l) {
         return Key{l.empresa, l.estab, std::to_string(l.produto), l.data, l.motivo, l.seq, 0};
       }},
      {"",
       [](const ListedLine& l) {
         return Key{l.empresa, l.estab, std::to_string(l.produto), l.data, l.motivo, l.seq, 0};
       }},
      {"1",
       [](const ListedLine& l) {
         return Key{l.empresa, l.estab, l.descricao, l.data, l.produto, l.motivo, l.seq};
       }},
      {"2",
       [](const ListedLine& l) {
         return Key{l.empresa, l.estab, l.data, std::to_string(l.produto), l.motivo, l.seq, 0};
       }},
      // No order but the establishment's: lines of one reason may come in any order.
      {"5", [](const ListedLine& l) { return Key{l.empresa, l.estab, "", "", 0, 0, 0}; }}};
  for (const auto& [order, key] : orders) {
    for (const bool porIndicador : {false, true}) {
      std::vector<ListedLine> expected = portions;
      if (!porIndicador) {  // one line for each inventory line: its first portion
        std::erase_if(expected, [](const ListedLine& l) { return l.seq != 1; });
      }
      std::stable_sort(expected.begin(), expected.end(),
                       [&](const ListedLine& a, const ListedLine& b) { return key(a) < key(b); });
      Texts want;
      for (const ListedLine& l : expected) {
        want.push_back(std::to_string(l.produto) + " " + l.descricao + " " + l.data.substr(5, 2) +
                       "/" + l.data.substr(0, 4) +
                       (porIndicador ? " " + std::to_string(l.indicador) : ""));
      }
      Print(
          "stockListing",
          With({{"pModelo", porIndicador ? "1" : "0"}, {"pIncluirConta", "0"}, {"pOrdem", order}}));
      const int section = porIndicador ? 14 : 9;
      const std::string prefix = "Lin" + std::to_string(section) + ".";
      const Texts codes = Shown(section, prefix + "Produto"),
                  names = Shown(section, prefix + "Descricao"),
                  months = Shown(section, prefix + "Mes");
      const Texts indicators = porIndicador ? Shown(section, prefix + "Ind") : Texts(codes.size());
      ASSERT_EQ(codes.size(), want.size()) << order;
      Texts got;
      for (size_t i = 0; i < codes.size(); ++i) {
        got.push_back(std::to_string(std::stoi(codes[i])) + " " + names[i] + " " + months[i] +
                      (porIndicador ? " " + indicators[i] : ""));
      }
      if (order == "5") {
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
      }
      EXPECT_EQ(got, want) << "pOrdem " << order << (porIndicador ? " by indicator" : " plain");
    }
  }
}

TEST_F(Listing, PlainListingTotalsEveryEstablishmentAndBreaksBetweenCompanies) {
  std::vector<std::pair<int, int>> progress;
  Print("stockListing", With({{"pModelo", "0"}}), [&](int done, int total) {
    progress.emplace_back(done, total);
    return false;
  });
  EXPECT_EQ(Events(),
            (Texts{"page 1 begin", "section 1",    "section 12", "section 8",  "section 9",
                   "section 9",    "section 9",    "section 11", "section 10", "section 8",
                   "section 11",   "section 10",  // no lines, zero total
                   "section 8",    "section 9",    "section 11", "section 10", "section 11",
                   "page 1 end",   "page 2 begin", "section 1",  "section 12", "section 8",
                   "section 9",    "section 11",   "section 10", "section 11", "page 2 end"}));
  EXPECT_EQ(
      Captions(),
      (Texts{"Total:", "Total:", "Total:", "Total da empresa:", "Total:", "Total da empresa:"}));
  // 3 x 0.335 = 1.005 and 5 x 3.333 = 16.665 round up to the cent; totals add rounded costs.
  EXPECT_EQ(Amounts(), (Texts{"31,01", "0,00", "200,00", "231,01", "16,67", "16,67"}));
  EXPECT_EQ(Shown(9, "Lin9.Custo"), (Texts{"1,01", "25,00", "5,00", "200,00", "16,67"}));
  // Company 1: prices with 3 decimals, quantities without; company 2 without settings: 2 and 2.
  EXPECT_EQ(Shown(9, "Lin9.Preco"), (Texts{"0,335", "2,500", "1,250", "100,000", "3,33"}));
  EXPECT_EQ(Shown(9, "Lin9.Qtde"), (Texts{"3", "10", "4", "2", "5,00"}));
  EXPECT_EQ(Shown(9, "Lin9.Mes"), (Texts{"01/2026", "02/2026", "01/2026", "01/2026", "01/2026"}));
  EXPECT_EQ(Shown(8, "EstCodigo"), (Texts{"0001", "0002", "0003", "0001"}));
  // Each page carries its own company's header and the period.
  EXPECT_EQ(Shown(1, "CabEmpresa"), (Texts{"0001 - Alfa", "0002 - Beta"}));
  EXPECT_EQ(Shown(1, "CabPeriodoIni"), (Texts{"01/2026", "01/2026"}));
  EXPECT_EQ(Shown(1, "CabPeriodoFim"), (Texts{"12/2026", "12/2026"}));
  // One counter over the whole run, against all lines of the query.
  EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
}

TEST_F(Listing, IndicatorAndAccountTotalsPerCompany) {
  Print("stockListing", With({{"pModelo", "1"}, {"pIncluirConta", "1"}}));
  EXPECT_EQ(Captions(),
            (Texts{"Total:", "Total:", "Total:", "Total Ind. de Propr.: 0 Estoque Próprio",
                   "Total Ind. de Propr.: 1 Estoque Próprio em poder de Terceiros",
                   "Total Ind. de Propr.: 2 Estoque de Terceiros em poder do Contribuinte",
                   // ascending accounts; a portion without account; an account not in the chart
                   "Total Conta Não Informada ", "Total Conta 999 - ",
                   "Total Conta 1141 - 1.1.04.01 - Matérias-primas",
                   "Total Conta 1145 - 1.1.04.05 - Em terceiros", "Total da empresa:",
                   // company 2: indicator 9 only, so its block is just the closing section
                   "Total:", "Total Conta 1141 - ", "Total da empresa:"}));
  // Indicator 7 (200,00) counts in the establishment and company totals only.
  EXPECT_EQ(Amounts(), (Texts{"31,01", "0,00", "200,00", "16,01", "10,00", "5,00", "5,00", "200,00",
                              "16,01", "10,00", "231,01", "16,67", "16,67", "16,67"}));
  const Texts events = Events();
  ASSERT_GE(events.size(), 12u);
  EXPECT_EQ(
      Texts(events.end() - 12, events.end()),
      (Texts{"page 2 begin", "section 1", "section 15", "section 8", "section 16", "section 11",
             "section 10", "section 10", "section 11", "section 10", "section 11", "page 2 end"}));
}

TEST_F(Listing, AccountTotalsOnlyWhenAskedWithOne) {
  for (const char* flag : {"0", "2", "S", ""}) {
    Print("stockListing", With({{"pModelo", "1"}, {"pIncluirConta", flag}}));
    EXPECT_FALSE(Lines("section 13").empty()) << flag;
    EXPECT_EQ(Lines("section 14").size(), 6u) << flag;
    EXPECT_TRUE(Lines("section 15").empty() && Lines("section 16").empty()) << flag;
    for (const std::string& caption : Captions()) {
      EXPECT_EQ(caption.find("Total Conta"), std::string::npos) << flag;
    }
    Texts indicators = Shown(14, "Lin14.Ind");
    std::sort(indicators.begin(), indicators.end());
    EXPECT_EQ(indicators, (Texts{"0", "0", "1", "2", "7", "9"})) << flag;
  }
  // Model 1 filtered on one indicator lists only its portions.
  Print("stockListing", With({{"pModelo", "1"}, {"pIndPropriedade", "1"}, {"pIncluirConta", "1"}}));
  EXPECT_EQ(Shown(16, "Lin16.Ind"), (Texts{"1"}));
  EXPECT_EQ(Shown(16, "Lin16.Conta"), (Texts{"1145"}));
}

TEST_F(Listing, StopEndsOnlyTheCurrentEstablishmentsLines) {
  // The host remembers the answer: every later establishment stops after its first line.
  int calls = 0;
  RunOutcome outcome = Print("stockListing", With({{"pModelo", "0"}}), [&](int done, int total) {
    ++calls;
    EXPECT_EQ(done, 1);
    EXPECT_EQ(total, 5);
    return true;
  });
  EXPECT_TRUE(outcome.stopped);
  // One line per establishment that has lines; every total still prints.
  EXPECT_EQ(Shown(9, "Lin9.Custo"), (Texts{"1,01", "200,00", "16,67"}));
  EXPECT_EQ(Amounts(), (Texts{"1,01", "0,00", "200,00", "201,01", "16,67", "16,67"}));
  EXPECT_EQ(calls, 1);
}

TEST_F(Listing, DatesAndEmptySelections) {
  // ISO dates work as well; the period shows month and year.
  Print("stockListing",
        {{"pModelo", "0"}, {"pDataInicial", "2026-01-01"}, {"pDataFinal", "2026-01-31"}});
  EXPECT_EQ(Shown(1, "CabPeriodoIni"), (Texts{"01/2026", "01/2026"}));
  EXPECT_EQ(Shown(9, "Lin9.Custo").size(), 4u);
  // A blank start date lists from the first inventory on.
  Print("stockListing", {{"pModelo", "0"}, {"pDataInicial", ""}, {"pDataFinal", "31/12/2026"}});
  EXPECT_EQ(Shown(9, "Lin9.Custo").size(), 6u);
  EXPECT_EQ(Shown(1, "CabPeriodoIni"), (Texts{"", ""}));

  for (const auto& [name, text, message] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {"pDataInicial", "32/01/2026", "Data inicial inválida: '32/01/2026'."},
           {"pDataFinal", "fim", "Data final inválida: 'fim'."}}) {
    try {
      Print("stockListing", {{name, text}});
      ADD_FAILURE() << "no error for " << text;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), message);
    }
    EXPECT_TRUE(Lines("section").empty());
  }

  // A code that does not exist is told before the dates are looked at.
  EXPECT_EQ(PrintError("stockListing", With({{"pCodigoEmpresa", "9"}, {"pDataFinal", "fim"}})),
            "Empresa 9 não existe");
  EXPECT_EQ(PrintError("stockListing", With({{"pCodigoEmpresa", "1"}, {"pCodigoEstab", "9"}})),
            "Estabelecimento 9 não existe na empresa 1");
  EXPECT_TRUE(Lines("section").empty());

  // One establishment of one company: its header names it.
  Print("stockListing", With({{"pCodigoEmpresa", "1"}, {"pCodigoEstab", "3"}, {"pModelo", "0"}}));
  EXPECT_EQ(Amounts(), (Texts{"200,00", "200,00"}));
  EXPECT_EQ(Shown(1, "CabEstab"), (Texts{"Estab.: 0003 - Filial"}));
}

TEST_F(Listing, HooksAreEmptiedWhenTheRunRaises) {
  // An error in the middle of the lines.
  EXPECT_THROW(PrintPass(With({{"pModelo", "1"}}),
                         [](int done, int) -> bool {
                           if (done == 2) throw std::runtime_error("falha no meio");
                           return false;
                         }),
               std::runtime_error);
  EXPECT_FALSE(module_->GetReport()->HasHooks());
  EXPECT_TRUE(module_->GetReport()->LabelByName("pLblTotal")->GetAutoSize());

  // An error of the query, after the header and the hooks were set up.
  Exec("drop table PLANOESPEC");
  EXPECT_THROW(PrintPass(With({{"pModelo", "1"}}), nullptr), Exception);
  EXPECT_FALSE(module_->GetReport()->HasHooks());
  EXPECT_TRUE(Lines("section").empty());

  // A run that ends normally leaves no hook behind either.
  PrintPass(With({{"pModelo", "0"}}), nullptr);
  EXPECT_FALSE(module_->GetReport()->HasHooks());
  EXPECT_EQ(Amounts().size(), 6u);
}

// A trace that fails when the first ownership-indicator total is printed.
class FailsOnIndicatorTotal : public TraceDevice {
 public:
  void OnSection(int section, const ShownValues& shown) override {
    for (const auto& [label, text] : shown) {
      if (label == "pLblTotal" && text.rfind("Total Ind.", 0) == 0) {
        throw Exception("falha no total");
      }
    }
    TraceDevice::OnSection(section, shown);
  }
};

TEST_F(Listing, TotalLabelSizesItselfAgainWhenAnErrorPassesThroughTheTotals) {
  module_ = OpenReportModule("stockListing");
  FailsOnIndicatorTotal device;
  EXPECT_THROW(RunReport(*module_, {"stockListing", With({{"pModelo", "1"}}), nullptr}, device),
               Exception);
  EXPECT_TRUE(module_->GetReport()->LabelByName("pLblTotal")->GetAutoSize());
}

}  // namespace
}  // namespace stock::test
