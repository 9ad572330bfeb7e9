// The listing over the demo database: every total it prints, per establishment, ownership
// indicator, account and company, is to the cent the sum of the stored VALORTOTAL of the
// portions it lists (each line's value is quantity times unit price rounded to cents, as the
// stored total was).

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "basekit/Conexao.h"
#include "basekit/ExecutarSQL.h"
#include "demo/DemoDatabase.h"
#include "rtl/FormatFloat.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

std::string Amount(int64_t cents) { return FormatFloat("##,###,##0.00", cents / 100.0); }

class ListingOverDemo : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    CreateDemoDatabase(dir_ + "/demo.db", DemoOptions{});
    SetConexaoPadrao(
        std::make_unique<TnConexao>(dir_ + "/demo.db", TnModoAbertura::SomenteLeitura));
  }

  // Stored cents of the listed rows of 2026 by (company, establishment, indicator, account);
  // indicator and account are 0 for the plain listing, a portion without account is account 0.
  std::map<std::tuple<int64_t, int64_t, int64_t, int64_t>, int64_t> StoredCents(bool portions) {
    const std::string sql =
        portions
            ? "select D.CODIGOEMPRESA, D.CODIGOESTAB, D.INDICADORPROPRIEDADE, "
              "coalesce(D.CONTACTB, 0), sum(round(D.VALORTOTAL * 100)) "
              "from LCTOINVPROPRIEDADE D join LCTOINV L on L.CODIGOEMPRESA = D.CODIGOEMPRESA "
              "and L.CODIGOESTAB = D.CODIGOESTAB and L.DATAINVENT = D.DATAINVENT "
              "and L.CODIGOPRODUTO = D.CODIGOPRODUTO and L.MOTIVOINVENTARIO = D.MOTIVOINVENTARIO "
              "join PRODUTO P on P.CODIGOEMPRESA = L.CODIGOEMPRESA "
              "and P.CODIGOPRODUTO = L.CODIGOPRODUTO "
              "where D.DATAINVENT between '2026-01-01' and '2026-12-31' group by 1, 2, 3, 4"
            : "select L.CODIGOEMPRESA, L.CODIGOESTAB, 0, 0, sum(round(L.VALORTOTAL * 100)) "
              "from LCTOINV L join PRODUTO P on P.CODIGOEMPRESA = L.CODIGOEMPRESA "
              "and P.CODIGOPRODUTO = L.CODIGOPRODUTO "
              "where L.DATAINVENT between '2026-01-01' and '2026-12-31' group by 1, 2";
    SQLDataSetPtr cur(ExecutarSQL(sql, Variant(), true, false, -1, ""));
    std::map<std::tuple<int64_t, int64_t, int64_t, int64_t>, int64_t> out;
    for (; !cur->GetEof(); cur->Next()) {
      out[{cur->Fields(0)->AsInteger(), cur->Fields(1)->AsInteger(), cur->Fields(2)->AsInteger(),
           cur->Fields(3)->AsInteger()}] = static_cast<int64_t>(cur->Fields(4)->AsFloat());
    }
    return out;
  }

  // The totals the listing must print, in its order: each establishment of the company
  // (those without lines too), the indicators, the accounts, the company.
  std::vector<std::pair<std::string, std::string>> ExpectedTotals(bool portions) {
    const auto stored = StoredCents(portions);
    std::vector<std::pair<std::string, std::string>> out;
    SQLDataSetPtr estabs(ExecutarSQL("select CODIGOEMPRESA, CODIGOESTAB from ESTAB order by 1, 2",
                                     Variant(), true, false, -1, ""));
    for (; !estabs->GetEof();) {
      const int64_t empresa = estabs->Fields(0)->AsInteger();
      int64_t total = 0;
      std::map<int64_t, int64_t> indicadores, contas;
      for (; !estabs->GetEof() && estabs->Fields(0)->AsInteger() == empresa; estabs->Next()) {
        const int64_t estab = estabs->Fields(1)->AsInteger();
        int64_t subtotal = 0;
        for (const auto& [key, cents] : stored) {
          if (std::get<0>(key) != empresa || std::get<1>(key) != estab) continue;
          subtotal += cents;
          indicadores[std::get<2>(key)] += cents;
          contas[std::get<3>(key)] += cents;
        }
        out.emplace_back("Total:", Amount(subtotal));
        total += subtotal;
      }
      if (portions) {
        for (const auto& [indicador, cents] : indicadores) {
          out.emplace_back("Total Ind. de Propr.: " + std::to_string(indicador), Amount(cents));
        }
        for (const auto& [conta, cents] : contas) {
          out.emplace_back(conta == 0 ? "Total Conta Não Informada"
                                      : "Total Conta " + std::to_string(conta) + " -",
                           Amount(cents));
        }
      }
      out.emplace_back("Total da empresa:", Amount(total));
    }
    return out;
  }

  // The totals printed: each caption cut to the length of the expected one, with its amount.
  std::vector<std::pair<std::string, std::string>> PrintedTotals(
      const std::vector<std::pair<std::string, std::string>>& expected) const {
    const std::vector<std::string> captions = Shown(11, "pLblTotal");
    const std::vector<std::string> amounts = Shown(11, "TotValor");
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t i = 0; i < captions.size() && i < amounts.size(); ++i) {
      const size_t keep = i < expected.size() ? expected[i].first.size() : std::string::npos;
      out.emplace_back(captions[i].substr(0, keep), amounts[i]);
    }
    return out;
  }
};

TEST_F(ListingOverDemo, TotalsByIndicatorAndAccountAreTheSumsOfTheStoredPortionValues) {
  Print("stockListing", {{"pModelo", "1"},
                         {"pIncluirConta", "1"},
                         {"pIndPropriedade", "3"},
                         {"pDataInicial", "01/01/2026"},
                         {"pDataFinal", "31/12/2026"}});
  const auto expected = ExpectedTotals(true);
  EXPECT_EQ(PrintedTotals(expected), expected);
}

TEST_F(ListingOverDemo, PlainTotalsAreTheSumsOfTheStoredLineValues) {
  Print("stockListing",
        {{"pModelo", "0"}, {"pDataInicial", "01/01/2026"}, {"pDataFinal", "31/12/2026"}});
  const auto expected = ExpectedTotals(false);
  EXPECT_EQ(PrintedTotals(expected), expected);
}

}  // namespace
}  // namespace stock::test
