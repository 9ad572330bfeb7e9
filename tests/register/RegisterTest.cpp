// The inventory register book: periods, groups, totals and deductions, the column layouts, the
// checks and dialogs of a run, the book control's record, and the empty pages, asserted on the
// trace of the real plug-in run by the real host over a small database.

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "basekit/ExecutarSQL.h"
#include "basekit/MessageDlg.h"
#include "datakit/ClientDataSet.h"
#include "datakit/HostEnv.h"
#include "reportkit/Report.h"
#include "rtl/Exception.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Params = std::vector<std::pair<std::string, std::string>>;
using Texts = std::vector<std::string>;

class Register : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    // Company 1, book model 7 with ICMS per item. Establishment 1 is open, 2 closed on
    // 15/02/2026, 3 opened on 01/03/2026. Product 40 belongs to no group.
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL) values
        (1, 'Alfa Metais', 1, '11222333000181');
      insert into CFGEMPRESAINV (CODIGOEMPRESA, QTDECASADECIMAL, QTDECASADECIMALQTD, LIVROMODELO7,
                                 MASCCLASSIFFISCALPROD, LANCAICMSRECUP, DETALHARPISCOFINSITEM,
                                 PERIODOINVENTARIO)
        values (1, 3, 0, 1, '9999.99.99', 1, 0, 1);
      insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, APELIDOESTAB, TIPOINSCR,
                         INSCRFEDERAL, INSCRESTAD, DATAINICIOATIV, DATAENCERATIV) values
        (1, 1, 'Matriz', 'Centro', 1, '11222333000181', '123456789012', '2020-01-01', null),
        (1, 2, 'Filial', null, 1, '11222333000262', null, '2020-01-01', '2026-02-15'),
        (1, 3, 'Nova', null, 2, '12345678909', null, '2026-03-01', null);
      insert into GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, CLASSIFGRUPOPRODUTO,
                                DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO) values
        (1, 1, '01', 'Metais', 2), (1, 2, '02', 'Tintas', 2);
      insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA, CODIGONCM,
                           CODIGOGRUPOPRODUTO) values
        (1, 10, 'Arruela', 'UN', '7318.22.00', 1), (1, 20, 'Parafuso', 'UN', null, 1),
        (1, 30, 'Tinta', 'GL', '3208.90.29', 2), (1, 40, 'Avulso', 'UN', null, 99);
      insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, QTDEESTOQUE,
                           PRECOUNIT, VALORTOTAL, VALORICMS, VALORPIS, VALORCOFINS, OBSLCTOINV) values
        (1, 1, '2026-01-31', 10, 3, 0.333, 1, 0.18, 0.02, 0.08, null),
        (1, 1, '2026-01-31', 20, 10, 2.5, 25, 4.5, 0.41, 1.9, 'Em poder de terceiros'),
        (1, 1, '2026-01-31', 30, 2, 100.005, 200.01, 36, 3.3, 15.2, ''),
        (1, 1, '2026-01-31', 40, 1, 7, 7, 0, 0, 0, null),
        (1, 1, '2026-03-31', 10, 1, 1, 1, 0.18, 0.02, 0.08, null),
        (1, 2, '2026-01-31', 10, 5, 1, 5, 0, 0, 0, null),
        (1, 2, '2026-02-15', 10, 4, 1, 4, 0, 0, 0, null);
    )");
  }

  // Prints the register of establishment 1 for January 2026 unless `extra` says otherwise,
  // answering the dialogs with `answer` and recording them.
  RunOutcome Run(Params extra = {}, int answer = 0, ProgressHandler progress = nullptr) {
    Params params{{"pCodigoEmpresa", "1"},
                  {"pCodigoEstab", "1"},
                  {"pCompetInicial", "01/01/2026"},
                  {"pCompetFinal", "31/01/2026"}};
    for (const auto& [name, value] : extra) {
      auto it = std::find_if(params.begin(), params.end(),
                             [&](const auto& p) { return p.first == name; });
      if (it != params.end())
        it->second = value;
      else
        params.emplace_back(name, value);
    }
    dialogs_.clear();
    DialogHandlerGuard guard([&](const DialogRequest& r) {
      dialogs_.push_back(r.text);
      return answer;
    });
    return Print("stockRegister", params, std::move(progress));
  }

  int Count(const std::string& sql) {
    SQLDataSetPtr cur(ExecutarSQL(sql, Variant(), true, false, -1, "", nullptr, true));
    return static_cast<int>(cur->Fields(0)->AsInteger());
  }

  Texts Totals(const std::string& label = "EtqTotal") const { return Shown(10, label); }
  Texts Captions() const { return Shown(10, "EtqDescrTotal"); }

  Texts dialogs_;
};

TEST_F(Register, GroupsTotalsAndSummaryOfOnePeriod) {
  const RunOutcome outcome = Run();
  EXPECT_EQ(outcome.pages, 1);
  // One block, the establishment's own goods: items without a group come first without a
  // header; each group closes with 15 and 10, the block with its total.
  EXPECT_EQ(Events(), (Texts{"page 1 begin", "section 1",  "section 19", "section 9",  "section 15",
                             "section 10",   "section 8",  "section 9",  "section 18", "section 9",
                             "section 15",   "section 10", "section 15", "section 8",  "section 9",
                             "section 15",   "section 10", "section 15", "section 10", "section 15",
                             "section 10",   "section 10", "section 10", "page 1 end"}));
  EXPECT_EQ(Captions(), (Texts{"Total de ", "Total de Metais", "Total de Tintas",
                               "Total de mercadorias próprias em poder do estabelecimento",
                               "Total Geral: ", "(-) ICMS Recuperável: ", "Total p/I.R: "}));
  // 3 x 0,333 is 1,00 before it is added: 1,00 + 25,00 = 26,00; 2 x 100,005 = 200,01.
  EXPECT_EQ(Totals(), (Texts{"7,00", "26,00", "200,01", "233,01", "233,01", "40,68", "192,33"}));
  // Inside a group, by NCM code (none first), then description.
  EXPECT_EQ(Shown(9, "CustoTotal"), (Texts{"7,00", "25,00", "1,00", "200,01"}));
  EXPECT_EQ(Shown(9, "TotalNCM"), (Texts{"7,00", "25,00", "1,00", "200,01"}));
  // Prices with the company's 3 decimals, quantities with none.
  EXPECT_EQ(Shown(9, "PrecoUnit"), (Texts{"7,000", "2,500", "0,333", "100,005"}));
  EXPECT_EQ(Shown(9, "QtdeEstoque"), (Texts{"1", "10", "3", "2"}));
  // Book model 7: the NCM code, or the classification mask in zeros, before the description.
  EXPECT_EQ(Shown(9, "DescrProduto"), (Texts{"0000.00.00  Avulso", "0000.00.00  Parafuso",
                                             "7318.22.00  Arruela", "3208.90.29  Tinta"}));
  EXPECT_EQ(Shown(18, "ObsLctoInv"), (Texts{"Em poder de terceiros"}));
  // Group ICMS per group total; hidden in the block total and the summary lines.
  EXPECT_EQ(Totals("EtqTotalICMS"), (Texts{"0,00", "4,68", "36,00", "", "", "", ""}));
  const Texts header = Lines("section 1:");
  ASSERT_EQ(header.size(), 1u);
  for (const char* piece :
       {"NomeEmpresa=0001 Alfa Metais - Centro", "InscrFed=11.222.333/0001-81",
        "InscrEstad=Inscrição Estadual: 123.456.789.012",
        "DescrProdutoL=Class.Fiscal  Descrição Produto", "DataInventario= 31 de janeiro de 2026",
        "pPeriodoIni=Período : 01/01/2026 a 31/01/2026", "NumLivro=Livro: 0001",
        "NumFolha=Folha: 0001"}) {
    EXPECT_NE(header[0].find(piece), std::string::npos) << piece << "\n" << header[0];
  }
}

TEST_F(Register, GroupSplitByAnotherGroupGetsTwoTotals) {
  module_ = OpenReportModule("stockRegister");
  TnrwReport* report = module_->GetReport();
  for (const auto& [n, v] :
       Params{{"pCompetInicial", "01/01/2026"}, {"pCompetFinal", "31/01/2026"}}) {
    report->GetParams()->SetValues(n, v);
  }
  report->OpenMainQuery();
  // By description: Arruela (01), Avulso (none), Parafuso (01), Tinta (02).
  report->GetDataSet()->SetIndexFieldNames("DescrProduto");
  trace_ = std::make_unique<TraceDevice>();
  RunReport(*module_, {"stockRegister", {}, nullptr}, *trace_);
  EXPECT_EQ(Captions(), (Texts{"Total de Metais", "Total de ", "Total de Metais", "Total de Tintas",
                               "Total de mercadorias próprias em poder do estabelecimento",
                               "Total Geral: ", "(-) ICMS Recuperável: ", "Total p/I.R: "}));
  EXPECT_EQ(Totals(),
            (Texts{"1,00", "7,00", "25,00", "200,01", "233,01", "233,01", "40,68", "192,33"}));
  EXPECT_EQ(Shown(8, "GrupoClassif"), (Texts{"01", "", "01", "02"}));
}

// A line split between owners appears in each block with its portion; third parties' goods are
// listed after the company's totals, which leave them out, and each names its owner.
TEST_F(Register, OwnershipBlocksKeepThirdPartiesGoodsOutOfTheTotals) {
  Exec(R"(
    insert into TERCEIRO (CODIGOEMPRESA, CODIGOTERCEIRO, NOMETERCEIRO, TIPOINSCR, INSCRFEDERAL)
      values (1, 7, 'Armazém Geral', 1, '11222333000262');
    insert into LCTOINVPROPRIEDADE (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO,
                                    MOTIVOINVENTARIO, SEQPROPRIEDADE, INDICADORPROPRIEDADE,
                                    CODIGOTERCEIRO, QUANTIDADE, PRECOUNIT, VALORTOTAL) values
      (1, 1, '2026-01-31', 30, 1, 1, 0, null, 1.5, 100.005, 150.01),
      (1, 1, '2026-01-31', 30, 1, 2, 2, 7, 0.5, 100.005, 50.00);
  )");
  Run();
  EXPECT_EQ(Shown(19, "BlocoTitulo"),
            (Texts{"Mercadorias próprias em poder do estabelecimento",
                   "Mercadorias de terceiros em poder do estabelecimento"}));
  // The paint's portions: 1,5 in the company's block, 0,5 in the third party's, each with its
  // stored value; the taxes go with the line's first portion.
  EXPECT_EQ(Shown(9, "QtdeEstoque"), (Texts{"1", "10", "3", "2", "1"}));
  EXPECT_EQ(Shown(9, "CustoTotal"), (Texts{"7,00", "25,00", "1,00", "150,01", "50,00"}));
  EXPECT_EQ(Shown(20, "TerceiroLinha"), (Texts{"Proprietário: Armazém Geral"}));
  EXPECT_EQ(Captions(),
            (Texts{"Total de ", "Total de Metais", "Total de Tintas",
                   "Total de mercadorias próprias em poder do estabelecimento",
                   "Total Geral: ", "(-) ICMS Recuperável: ", "Total p/I.R: ", "Total de Tintas",
                   "Mercadorias de terceiros em poder do estabelecimento (não "
                   "incluídas no total)"}));
  EXPECT_EQ(Totals(), (Texts{"7,00", "26,00", "150,01", "183,01", "183,01", "40,68", "142,33",
                             "50,00", "50,00"}));
}

TEST_F(Register, ColumnLayoutsAndDeductionsFollowTheConfiguration) {
  struct Case {
    int icms, pis;
    Params deductions;
    int qtdeLeft;           // QtdeEstoque's left in the layout
    Texts visible, hidden;  // tax labels of the item line
    Texts summary;          // captions after the last group total
    Texts amounts;
  };
  const std::vector<Case> cases = {
      {1,
       1,
       {},
       264,
       {"ValorIcms", "ValorPis", "ValorCofins"},
       {},
       {"Total Geral: ", "(-) ICMS Recuperável: ", "(-) PIS não cumulativo: ",
        "(-) COFINS não cumulativo: ", "Total p/I.R: "},
       {"233,01", "40,68", "3,73", "17,18", "171,42"}},
      // Without per-item taxes the deductions come from the parameters ("x" is 0).
      {0,
       0,
       {{"pValorICMS", "100"}, {"pValorPIS", "x"}, {"pValorCOFINS", "0,5"}},
       402,
       {},
       {"ValorIcms", "ValorPis", "ValorCofins"},
       {"Total Geral: ", "(-) ICMS Recuperável: ", "(-) COFINS não cumulativo: ", "Total p/I.R: "},
       {"233,01", "100,00", "0,50", "132,51"}},
      {1,
       0,
       {},
       396,
       {"ValorIcms"},
       {"ValorPis", "ValorCofins"},
       {"Total Geral: ", "(-) ICMS Recuperável: ", "Total p/I.R: "},
       {"233,01", "40,68", "192,33"}},
      // All deductions 0: the total for income tax alone.
      {0,
       1,
       {{"pValorICMS", "0"}},
       330,
       {"ValorPis", "ValorCofins"},
       {"ValorIcms"},
       {"Total Geral: ", "(-) PIS não cumulativo: ", "(-) COFINS não cumulativo: ",
        "Total p/I.R: "},
       {"233,01", "3,73", "17,18", "212,10"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.icms) + "/" + std::to_string(c.pis));
    Exec("update CFGEMPRESAINV set LANCAICMSRECUP = " + std::to_string(c.icms) +
         ", DETALHARPISCOFINSITEM = " + std::to_string(c.pis));
    Run(c.deductions);
    // After the three group totals and the block total.
    Texts captions = Captions();
    captions.erase(captions.begin(), captions.begin() + 4);
    EXPECT_EQ(captions, c.summary);
    Texts totals = Totals();
    totals.erase(totals.begin(), totals.begin() + 4);
    EXPECT_EQ(totals, c.amounts);
    TnrwReport* report = module_->GetReport();
    EXPECT_EQ(report->LabelByName("QtdeEstoque")->GetLeft(), c.qtdeLeft);
    EXPECT_EQ(report->LabelByName("QtdeEstoqueL")->GetLeft(), c.qtdeLeft);
    for (const std::string& name : c.visible)
      EXPECT_TRUE(report->LabelByName(name)->GetVisible()) << name;
    for (const std::string& name : c.hidden)
      EXPECT_FALSE(report->LabelByName(name)->GetVisible()) << name;
  }
  // No configuration row at all: no tax columns, deductions from the parameters.
  Exec("delete from CFGEMPRESAINV");
  Run({{"pValorICMS", "10"}});
  EXPECT_EQ(Captions().back(), "Total p/I.R: ");
  EXPECT_EQ(Totals().back(), "223,01");
  // Prices and quantities with 2 decimals; not model 7: no NCM, no observation line.
  EXPECT_EQ(Shown(9, "PrecoUnit").front(), "7,00");
  EXPECT_EQ(Shown(9, "DescrProduto").back(), "Tinta");
  EXPECT_TRUE(Shown(18, "ObsLctoInv").empty());
}

TEST_F(Register, EveryPeriodStartsFromTheColumnLayout) {
  Exec("update CFGEMPRESAINV set DETALHARPISCOFINSITEM = 1");
  Run({{"pCompetFinal", "31/03/2026"}});
  // January and March have items; the group totals of March keep their tax columns after
  // January's summary.
  const Texts pis = Totals("EtqTotalPIS");
  ASSERT_FALSE(pis.empty());
  EXPECT_EQ(pis.back(), "");
  const Texts icms = Totals("EtqTotalICMS");
  EXPECT_EQ(std::count(icms.begin(), icms.end(), "0,18"), 1);
  EXPECT_EQ(std::count(pis.begin(), pis.end(), "0,02"), 1);
}

TEST_F(Register, PeriodsFollowTheInventoryPeriodKind) {
  struct Case {
    const char* periodo;  // PERIODOINVENTARIO, or "none" for no configuration row
    Texts captions;
  };
  const std::vector<Case> cases = {
      {"1",
       {"Período : 01/01/2026 a 31/01/2026", "Período : 01/02/2026 a 28/02/2026",
        "Período : 01/03/2026 a 31/03/2026", "Período : 01/04/2026 a 30/04/2026"}},
      {"9",
       {"Período : 01/01/2026 a 31/01/2026", "Período : 01/02/2026 a 28/02/2026",
        "Período : 01/03/2026 a 31/03/2026", "Período : 01/04/2026 a 30/04/2026"}},
      {"2", {"Período : 01/01/2026 a 31/03/2026", "Período : 01/04/2026 a 30/06/2026"}},
      {"3", {"Período : 01/01/2026 a 31/12/2026"}},
      {"none",
       {"Período : 01/01/2026 a 31/01/2026", "Período : 01/02/2026 a 28/02/2026",
        "Período : 01/03/2026 a 31/03/2026", "Período : 01/04/2026 a 30/04/2026"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.periodo);
    if (std::string(c.periodo) == "none") {
      Exec("delete from CFGEMPRESAINV");
    } else {
      Exec(std::string("update CFGEMPRESAINV set PERIODOINVENTARIO = ") + c.periodo);
    }
    Run({{"pCompetFinal", "15/04/2026"}});
    Texts captions;
    for (const std::string& line : Lines("section 1:")) {
      const size_t at = line.find("pPeriodoIni=");
      const std::string caption = line.substr(at + 12, line.find(" |", at) - at - 12);
      if (captions.empty() || captions.back() != caption) captions.push_back(caption);
    }
    EXPECT_EQ(captions, c.captions);
  }
  // Without pEmitirPeriodo the caption is empty.
  Run({{"pEmitirPeriodo", "0"}});
  EXPECT_NE(Lines("section 1:")[0].find("pPeriodoIni= |"), std::string::npos);
}

TEST_F(Register, InventoryDateOfEachPeriod) {
  auto dates = [this] {
    Texts out;
    for (const std::string& line : Lines("section 1:")) {
      const size_t at = line.find("DataInventario=");
      out.push_back(line.substr(at + 15, line.find(" |", at) - at - 15));
    }
    return out;
  };
  // Equal competences and a stock date: that date.
  Run({{"pCompetFinal", "01/01/2026"}, {"pDataInicial", "10/01/2026"}});
  EXPECT_EQ(dates(), (Texts{" 10 de janeiro de 2026"}));
  // Equal competences without a stock date: the period's end.
  Run({{"pCompetFinal", "01/01/2026"}, {"pDataInicial", ""}});
  EXPECT_EQ(dates(), (Texts{" 31 de janeiro de 2026"}));
  // Closed on 15/02: February's date is the closing date; January keeps its end.
  Run({{"pCodigoEstab", "2"}, {"pCompetFinal", "28/02/2026"}});
  EXPECT_EQ(dates(), (Texts{" 31 de janeiro de 2026", " 15 de fevereiro de 2026"}));
}

TEST_F(Register, PeriodWithoutItemsPrintsTheNoMovementPage) {
  Run({{"pCompetInicial", "01/02/2026"}, {"pCompetFinal", "28/02/2026"}});
  const Texts events = Events();
  EXPECT_EQ(std::count(events.begin(), events.end(), "section 12"), 25);
  EXPECT_EQ(std::count(events.begin(), events.end(), "section 14"), 20);
  EXPECT_EQ(Shown(13, "Etiqueta9"), (Texts{"P E R Í O D O    S E M    M O V I M E N T O"}));
  const Texts rows = Shown(12, "Linha12");
  EXPECT_EQ(rows[13], "");
  EXPECT_EQ(rows[14], std::string(45, ' ') + "**");
  EXPECT_EQ(rows[24], std::string(75, ' ') + "**");
  const Texts after = Shown(14, "Linha14");
  EXPECT_EQ(after[9], std::string(30, ' ') + "**");
  EXPECT_EQ(after[10], "");
  // Landscape: 18 rows before the message.
  Run({{"pCompetInicial", "01/02/2026"},
       {"pCompetFinal", "28/02/2026"},
       {"pEhInventarioPaisagem", "1"}});
  const Texts landscape = Events();
  EXPECT_EQ(std::count(landscape.begin(), landscape.end(), "section 12"), 18);
  // Three months: each period on its own page, February's the no-movement one.
  const RunOutcome three = Run({{"pCompetFinal", "31/03/2026"}});
  EXPECT_EQ(three.pages, 3);
}

TEST_F(Register, CompetenceChecksComeBeforeTheActivityCheck) {
  struct Case {
    Params params;
    const char* error;
  };
  const std::vector<Case> cases = {
      // Establishment 3 is inactive in January: the date message still wins.
      {{{"pCodigoEstab", "3"}, {"pCompetInicial", "abc"}}, "Data inicial inválida."},
      {{{"pCompetFinal", "31/13/2026"}}, "Data final inválida."},
      {{{"pCompetInicial", ""}}, "Data inicial inválida."},
      {{{"pCompetInicial", "01/03/2026"}, {"pCompetFinal", "28/02/2026"}},
       "A Data Inicial deve ser menor que a Data Final!"},
  };
  for (const Case& c : cases) {
    try {
      Run(c.params);
      ADD_FAILURE() << "no error for " << c.error;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.error);
    }
    EXPECT_TRUE(dialogs_.empty()) << c.error;
    EXPECT_TRUE(trace_->Lines().size() <= 1) << c.error;  // nothing printed
  }
}

TEST_F(Register, InactiveEstablishmentAndRefusedConfirmationPrintNothing) {
  // Active in the final month only: enough.
  EXPECT_EQ(Run({{"pCodigoEstab", "3"}, {"pCompetFinal", "31/03/2026"}}).pages, 3);
  EXPECT_TRUE(dialogs_.empty());

  // Inactive in January.
  const RunOutcome outcome = Run({{"pCodigoEstab", "3"}});
  EXPECT_EQ(outcome.pages, 0);
  EXPECT_EQ(dialogs_, (Texts{"Esta empresa está inativa no período informado!"}));
  EXPECT_EQ(outcome.messages,
            (std::vector<std::pair<int, std::string>>{{0, "Impressão cancelada."}}));

  // Codes that do not exist are told as such before the dates, and nothing is asked.
  for (const auto& [company, estab, message] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {"1", "9", "Estabelecimento 9 não existe na empresa 1"},
           {"9", "1", "Empresa 9 não existe"}}) {
    try {
      Run({{"pCodigoEmpresa", company}, {"pCodigoEstab", estab}, {"pCompetInicial", "x"}});
      ADD_FAILURE() << message;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), message);
    }
    EXPECT_TRUE(dialogs_.empty());
  }

  const RunOutcome refused = Run({{"pAtualizarControleLivro", "1"}}, /*answer=*/1);
  EXPECT_EQ(refused.pages, 0);
  EXPECT_EQ(
      dialogs_,
      (Texts{
          "Deseja realmente atualizar a numeração dos livros e páginas no controle dos livros?"}));
  EXPECT_EQ(
      refused.messages,
      (std::vector<std::pair<int, std::string>>{{0, "A impressão foi cancelada pelo usuário."}}));
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO"), 0);
}

TEST_F(Register, BookControlRecordsThePeriodOnce) {
  // Without the update flag nothing is recorded; the missing numbering is reported.
  RunOutcome outcome = Run({{"pCompetFinal", "31/03/2026"}});
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO"), 0);
  EXPECT_EQ(
      outcome.messages,
      (std::vector<std::pair<int, std::string>>{
          {1, "Não foi encontrada a implantação da numeração das páginas para este livro."}}));

  outcome = Run({{"pCompetFinal", "31/03/2026"}, {"pAtualizarControleLivro", "1"}});
  EXPECT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(outcome.messages.size(), 2u);
  const int rows = Count("select count(*) from LIVROPERIODO");
  EXPECT_GT(rows, 0);
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO where COMTERMOS <> 0"), 0);
  EXPECT_EQ(Count("select max(ULTIMAFOLHA) from LIVROPERIODO"), 3);

  // The same months again, in cloud mode: no question, the rows replaced and not doubled,
  // the pages numbered as the first time.
  SetEhCloud(true);
  outcome = Run({{"pCompetFinal", "31/03/2026"}, {"pAtualizarControleLivro", "1"}});
  SetEhCloud(false);
  EXPECT_TRUE(dialogs_.empty());
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO"), rows);
  EXPECT_EQ(Shown(1, "NumFolha"), (Texts{"Folha: 0001", "Folha: 0002", "Folha: 0003"}));

  // The next quarter continues the numbering.
  Run({{"pCompetInicial", "01/04/2026"},
       {"pCompetFinal", "30/04/2026"},
       {"pAtualizarControleLivro", "1"}});
  EXPECT_EQ(Shown(1, "NumFolha"), (Texts{"Folha: 0004"}));
}

TEST_F(Register, StopWritesNoPageAndNoRecord) {
  int calls = 0;
  const RunOutcome outcome = Run({{"pCompetFinal", "31/03/2026"}, {"pAtualizarControleLivro", "1"}},
                                 0, [&](int, int) { return ++calls >= 2; });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(calls, 2);  // the run ended with the period it was stopped in
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO"), 0);
  EXPECT_EQ(Count("select count(*) from LIVRONUMERACAO"), 0);
}

TEST_F(Register, NumbersOnEveryOtherPageAndBlankBackPages) {
  Exec(
      "insert into CONTROLELIVRO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, INCLIVROMES, FRENTEVERSO,"
      " TIPOIMPNUMERACAO, LIMITEFOLHAS, LEGENDAFOLHA) values (1, 1, 11, null, 1, 1, 500, 'Fl.')");
  const RunOutcome outcome = Run({{"pCompetFinal", "31/03/2026"}});
  // Each one-page period ends on a front side: a blank back page follows it.
  EXPECT_EQ(outcome.pages, 6);
  EXPECT_EQ(Shown(1, "NumFolha"), (Texts{"Fl.: 0001", "", "Fl.: 0002", "", "Fl.: 0003", ""}));
  EXPECT_EQ(Shown(1, "NumLivro"), (Texts{"Livro: 0001", "", "Livro: 0001", "", "Livro: 0001", ""}));
  EXPECT_EQ(Shown(13, "Etiqueta9"), (Texts{"            E M     B R A N C O            ",
                                           "P E R Í O D O    S E M    M O V I M E N T O",
                                           "            E M     B R A N C O            ",
                                           "            E M     B R A N C O            "}));
  const TnLabel* message = module_->GetReport()->LabelByName("Etiqueta9");
  EXPECT_FALSE(message->Font().GetStyle().bold);
  EXPECT_EQ(message->Font().GetSize(), 8);
}

TEST_F(Register, BadCodesAreRefusedBeforeAnyQuery) {
  EXPECT_THROW(Run({{"pCodigoEmpresa", "1 or 1=1"}}), EConvertError);
  EXPECT_THROW(Run({{"pCodigoEstab", "x"}}), EConvertError);
  // A deduction no amount can reach.
  try {
    Run({{"pValorCOFINS", "99999999999999999999999"}});
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("pValorCOFINS"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(dialogs_.empty());
}

}  // namespace
}  // namespace stock::test
