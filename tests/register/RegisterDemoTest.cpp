// The register over the demo database, for every establishment and month of 2026: each group
// total, grand total, deduction and "Total p/I.R" it prints is, to the cent, what SQL sums from
// the stored values of the same inventory lines (ICMS per item for one company, PIS and COFINS
// per item for the other).

#include <cstdint>
#include <string>
#include <vector>

#include "basekit/Conexao.h"
#include "basekit/ExecutarSQL.h"
#include "demo/DemoDatabase.h"
#include "rtl/FormatFloat.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

std::string Amount(int64_t cents) { return FormatFloat("##,###,##0.00", cents / 100.0); }

class RegisterOverDemo : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    CreateDemoDatabase(dir_ + "/demo.db", DemoOptions{});
    SetConexaoPadrao(
        std::make_unique<TnConexao>(dir_ + "/demo.db", TnModoAbertura::LeituraEscrita));
  }

  int64_t Scalar(const std::string& sql) {
    SQLDataSetPtr cur(ExecutarSQL(sql, Variant(), true, false, -1, ""));
    return cur->Fields(0)->IsNull() ? 0 : static_cast<int64_t>(cur->Fields(0)->AsFloat());
  }

  // The total lines the register must print for one establishment over the months of 2026, as
  // "caption | total | tax columns...", from SQL over the stored values: per ownership block
  // (the portions of a line where it has them), group totals and the block's total; the
  // company's own goods (blocks 0 and 1) in "Total Geral", the deductions and "Total p/I.R";
  // third parties' goods (block 2) after them, with their total as a memo.
  std::vector<std::string> Expected(int empresa, int estab) {
    const bool icms = Scalar(
                          "select LIVROMODELO7 * LANCAICMSRECUP from CFGEMPRESAINV where "
                          "CODIGOEMPRESA = " +
                          std::to_string(empresa)) != 0;
    const bool pis =
        Scalar("select DETALHARPISCOFINSITEM from CFGEMPRESAINV where CODIGOEMPRESA = " +
               std::to_string(empresa)) != 0;
    const char* const block_totals[3] = {
        "Total de mercadorias próprias em poder do estabelecimento",
        "Total de mercadorias próprias em poder de terceiros",
        "Mercadorias de terceiros em poder do estabelecimento (não incluídas no total)"};
    std::vector<std::string> out;
    for (int month = 1; month <= 12; ++month) {
      char from[16], to[16];
      std::snprintf(from, sizeof from, "2026-%02d-01", month);
      std::snprintf(to, sizeof to, "2026-%02d-31", month);
      const std::string lines =
          " from LCTOINV L join PRODUTO P on P.CODIGOEMPRESA = L.CODIGOEMPRESA and "
          "P.CODIGOPRODUTO = L.CODIGOPRODUTO join GRUPOPRODUTO G on G.CODIGOEMPRESA = "
          "P.CODIGOEMPRESA and G.CODIGOGRUPOPRODUTO = P.CODIGOGRUPOPRODUTO left join "
          "LCTOINVPROPRIEDADE D on D.CODIGOEMPRESA = L.CODIGOEMPRESA and D.CODIGOESTAB = "
          "L.CODIGOESTAB and D.DATAINVENT = L.DATAINVENT and D.CODIGOPRODUTO = L.CODIGOPRODUTO "
          "and D.MOTIVOINVENTARIO = L.MOTIVOINVENTARIO where L.CODIGOEMPRESA = " +
          std::to_string(empresa) + " and L.CODIGOESTAB = " + std::to_string(estab) +
          " and L.DATAINVENT between '" + from + "' and '" + to + "'";
      const std::string first = "(D.SEQPROPRIEDADE is null or D.SEQPROPRIEDADE = 1)";
      std::vector<std::string> third;
      int64_t total = 0, total_icms = 0, total_pis = 0, total_cofins = 0, any = 0;
      for (int block = 0; block < 3; ++block) {
        SQLDataSetPtr groups(ExecutarSQL(
            "select G.DESCRGRUPOPRODUTO, sum(round(coalesce(D.VALORTOTAL, L.VALORTOTAL) * 100)), "
            "sum(case when " +
                first +
                " then round(L.VALORICMS * 100) else 0 end), "
                "sum(case when " +
                first +
                " then round(L.VALORPIS * 100) else 0 end), "
                "sum(case when " +
                first + " then round(L.VALORCOFINS * 100) else 0 end)" + lines +
                " and coalesce(D.INDICADORPROPRIEDADE, L.INDICADORPROPRIEDADE) = " +
                std::to_string(block) +
                " group by G.CLASSIFGRUPOPRODUTO, G.DESCRGRUPOPRODUTO order by "
                "G.CLASSIFGRUPOPRODUTO",
            Variant(), true, false, -1, ""));
        if (groups->IsEmpty()) continue;
        std::vector<std::string>& rows = block < 2 ? out : third;
        int64_t block_total = 0;
        for (; !groups->GetEof(); groups->Next()) {
          const auto cents = [&](int i) {
            return static_cast<int64_t>(groups->Fields(i)->AsFloat());
          };
          std::string row = "Total de " + groups->Fields(0)->AsString() + " | " + Amount(cents(1));
          if (icms) row += " | " + Amount(cents(2));
          if (pis) row += " | " + Amount(cents(3)) + " | " + Amount(cents(4));
          rows.push_back(row);
          block_total += cents(1);
          if (block < 2) {
            total_icms += cents(2);
            total_pis += cents(3);
            total_cofins += cents(4);
          }
        }
        rows.push_back(std::string(block_totals[block]) + " | " + Amount(block_total));
        if (block < 2) total += block_total;
        any = 1;
      }
      if (!any) continue;  // a period without items prints its no-movement page
      out.push_back("Total Geral:  | " + Amount(total));
      int64_t ir = total;
      if (icms && total_icms != 0) {
        out.push_back("(-) ICMS Recuperável:  | " + Amount(total_icms));
        ir -= total_icms;
      }
      if (pis) {
        if (total_pis != 0) out.push_back("(-) PIS não cumulativo:  | " + Amount(total_pis));
        if (total_cofins != 0)
          out.push_back("(-) COFINS não cumulativo:  | " + Amount(total_cofins));
        ir -= total_pis + total_cofins;
      }
      out.push_back("Total p/I.R:  | " + Amount(ir));
      out.insert(out.end(), third.begin(), third.end());
    }
    return out;
  }

  // Inside each group of a book model 7 the items come in NCM order, and each "Total" cell is
  // the sum of the partial values of its run of one NCM code. Returns the first fault found, ""
  // when none.
  std::string CheckNcmRuns() const {
    std::string group_ncm;
    int64_t run = 0;
    std::string previous;
    auto value = [](const std::string& line, const std::string& label) {
      const size_t at = line.find(label + "=");
      if (at == std::string::npos) return std::string();
      const size_t from = at + label.size() + 1, end = line.find(" | ", from);
      return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
    };
    auto cents = [](std::string text) {
      std::string digits;
      for (char c : text) {
        if (c >= '0' && c <= '9') digits.push_back(c);
      }
      return digits.empty() ? int64_t{0} : std::stoll(digits) * (text[0] == '-' ? -1 : 1);
    };
    for (const std::string& line : Lines("section ")) {
      if (line.rfind("section 8:", 0) == 0 || line.rfind("section 19:", 0) == 0) {
        group_ncm.clear();
        previous.clear();
        run = 0;
        continue;
      }
      if (line.rfind("section 9:", 0) != 0) continue;
      const std::string descr = value(line, "DescrProduto");
      // The NCM code shows before the description in a book model 7 only.
      const size_t gap = descr.find("  ");
      if (gap == std::string::npos) continue;
      const std::string ncm = descr.substr(0, gap);
      if (!previous.empty() && ncm < previous) return "NCM " + ncm + " after " + previous;
      if (ncm != previous) run = 0;
      previous = ncm;
      run += cents(value(line, "CustoTotal"));
      const std::string total = value(line, "TotalNCM");
      if (!total.empty()) {
        if (cents(total) != run)
          return "Total " + total + " of NCM " + ncm + " is not " + Amount(run);
        run = 0;
      }
    }
    return "";
  }

  // The total lines printed: section 10's visible values joined as Expected writes them.
  std::vector<std::string> Printed() const {
    std::vector<std::string> out;
    for (const std::string& line : Lines("section 10: ")) {
      std::string row;
      size_t at = line.find(": ") + 2;
      while (at < line.size()) {
        const size_t end = line.find(" | ", at);
        const std::string field =
            line.substr(at, end == std::string::npos ? std::string::npos : end - at);
        const size_t eq = field.find('=');
        if (eq != std::string::npos) row += (row.empty() ? "" : " | ") + field.substr(eq + 1);
        if (end == std::string::npos) break;
        at = end + 3;
      }
      out.push_back(row);
    }
    return out;
  }
};

TEST_F(RegisterOverDemo, EveryTotalIsTheSumOfTheStoredValuesToTheCent) {
  const std::vector<std::pair<int, int>> establishments = {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}};
  for (const auto& [empresa, estab] : establishments) {
    SCOPED_TRACE("empresa " + std::to_string(empresa) + ", estabelecimento " +
                 std::to_string(estab));
    const RunOutcome outcome = Print("stockRegister", {{"pCodigoEmpresa", std::to_string(empresa)},
                                                       {"pCodigoEstab", std::to_string(estab)},
                                                       {"pCompetInicial", "01/01/2026"},
                                                       {"pCompetFinal", "31/12/2026"}});
    ASSERT_GT(outcome.pages, 0);
    const std::vector<std::string> expected = Expected(empresa, estab);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Printed(), expected);
    EXPECT_EQ(CheckNcmRuns(), "");
  }
}

}  // namespace
}  // namespace stock::test
