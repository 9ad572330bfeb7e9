// The balance module against a brute-force computation over random inventories, and its
// parameter errors.

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "basekit/DataModules.h"
#include "datakit/ClientDataSet.h"
#include "invkit/InvDPGerarSaldoInv.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

struct Line {
  int empresa, estab;
  std::string data;
  int produto, motivo;
  int64_t centavos;
};

struct Row {
  int empresa, estab, tipo;
  std::string classif;
  int64_t valor, total;  // cents
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << r.empresa << "/" << r.estab << " " << r.classif << " t" << r.tipo << " " << r.valor
            << " " << r.total;
}

bool StartsWith(const std::string& s, const std::string& p) {
  return s.compare(0, p.size(), p) == 0;
}

class BalanceModule : public PluginTest {
 protected:
  // Group trees of two companies, products in the leaves, and three months of inventories of
  // five establishments with reasons 1 and 2, random values.
  void SetUp() override {
    PluginTest::SetUp();
    std::mt19937 rnd(7);
    std::ostringstream sql;
    sql << "begin;";
    const std::vector<std::string> tree = {"01", "01.001", "01.001.001", "01.001.002", "01.002",
                                           "02", "02.001", "02.002",     "02.002.001", "03"};
    for (int empresa = 1; empresa <= 2; ++empresa) {
      for (size_t g = 0; g < tree.size(); ++g) {
        const bool folha = g + 1 == tree.size() || !StartsWith(tree[g + 1], tree[g] + ".");
        classif_[{empresa, static_cast<int>(g + 1)}] = tree[g];
        tipo_[{empresa, tree[g]}] = folha ? 2 : 1;
        sql << "insert into GRUPOPRODUTO values (" << empresa << ", " << g + 1 << ", '" << tree[g]
            << "', 'Grupo " << tree[g] << "', " << (folha ? 2 : 1) << ", null);";
        if (!folha) continue;
        for (int k = 0; k < 4; ++k) {
          const int produto = static_cast<int>(g * 10 + k + 1);
          grupo_[{empresa, produto}] = static_cast<int>(g + 1);
          sql << "insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, "
                 "UNIDADEMEDIDA, CODIGOGRUPOPRODUTO) values ("
              << empresa << ", " << produto << ", 'P', 'UN', " << g + 1 << ");";
        }
      }
    }
    const std::vector<std::pair<int, int>> estabs = {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}};
    for (auto [empresa, estab] : estabs) {
      for (const char* data : {"2026-01-31", "2026-02-28", "2026-03-31"}) {
        if (rnd() % 4 == 0) continue;  // not every establishment takes every inventory
        const int motivo = rnd() % 3 == 0 ? 2 : 1;
        for (const auto& [chave, grupo] : grupo_) {
          if (chave.first != empresa || rnd() % 3 == 0) continue;
          const Line l{empresa,      estab,  data,
                       chave.second, motivo, static_cast<int64_t>(rnd() % 5000000)};
          lines_.push_back(l);
          sql << "insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, "
                 "MOTIVOINVENTARIO, QTDEESTOQUE, PRECOUNIT, VALORTOTAL) values ("
              << empresa << ", " << estab << ", '" << data << "', " << l.produto << ", " << motivo
              << ", 1, 1, " << l.centavos / 100 << "." << (l.centavos % 100 < 10 ? "0" : "")
              << l.centavos % 100 << ");";
        }
      }
    }
    sql << "commit;";
    Exec(sql.str());
  }

  // What the balance should be, computed line by line.
  std::vector<Row> Expected(const std::string& data, const std::set<int>& empresas,
                            const std::set<int>& estabs, const std::string& prefixo,
                            const std::set<int>& motivos) const {
    auto selected = [&](const Line& l) {
      return l.data <= data && (empresas.empty() || empresas.count(l.empresa)) &&
             (estabs.empty() || estabs.count(l.estab)) &&
             (motivos.empty() || motivos.count(l.motivo));
    };
    std::map<std::pair<int, int>, std::string> ultima;
    for (const Line& l : lines_)
      if (selected(l))
        ultima[{l.empresa, l.estab}] = std::max(ultima[{l.empresa, l.estab}], l.data);
    std::map<std::tuple<int, int, std::string>, int64_t> valor;
    std::map<std::pair<int, int>, int64_t> total;
    for (const Line& l : lines_) {
      if (!selected(l) || l.data != ultima[{l.empresa, l.estab}]) continue;
      const std::string& c = classif_.at({l.empresa, grupo_.at({l.empresa, l.produto})});
      if (!StartsWith(c, prefixo)) continue;
      total[{l.empresa, l.estab}] += l.centavos;
      for (const auto& [grupo, tipo] : tipo_) {
        if (grupo.first == l.empresa && StartsWith(grupo.second, prefixo) &&
            (c == grupo.second || StartsWith(c, grupo.second + ".")))
          valor[{l.empresa, l.estab, grupo.second}] += l.centavos;
      }
    }
    std::vector<Row> rows;
    for (const auto& [k, v] : valor) {
      auto [empresa, estab, c] = k;
      rows.push_back({empresa, estab, tipo_.at({empresa, c}), c, v, total.at({empresa, estab})});
    }
    return rows;
  }

  std::vector<Row> Run(const std::string& data, const std::string& empresas,
                       const std::string& estabs, const std::string& prefixo,
                       const std::string& motivos) {
    std::unique_ptr<TObject> modulo(CriarDMNovo("tninvdpgerarsaldoinv"));
    auto* saldo = dynamic_cast<TnDMPowerParam*>(modulo.get());
    EXPECT_NE(saldo, nullptr);
    if (saldo == nullptr) return {};
    saldo->GetParams()->SetValues("pDataInicial", data);
    saldo->GetParams()->SetValues("pCodigoEmpresa", empresas);
    saldo->GetParams()->SetValues("pCodigoEstab", estabs);
    saldo->GetParams()->SetValues("pClassifConta", prefixo);
    saldo->GetParams()->SetValues("pMotivoInventario", motivos);
    saldo->Executar();
    auto* ds = dynamic_cast<TnClientDataSet*>(saldo->FindComponent("nClientDataSetGrupoProduto"));
    EXPECT_NE(ds, nullptr);
    std::vector<Row> rows;
    for (ds->First(); !ds->GetEof(); ds->Next()) {
      rows.push_back({static_cast<int>(ds->FieldByName("CODIGOEMPRESA")->AsInteger()),
                      static_cast<int>(ds->FieldByName("CODIGOESTAB")->AsInteger()),
                      static_cast<int>(ds->FieldByName("TIPOGRUPOPRODUTO")->AsInteger()),
                      ds->FieldByName("CLASSIFGRUPOPRODUTO")->AsString(),
                      std::llround(ds->FieldByName("VALORLCTO")->AsFloat() * 100),
                      std::llround(ds->FieldByName("TOTALESTAB")->AsFloat() * 100)});
    }
    return rows;
  }

  std::map<std::pair<int, int>, std::string> classif_;  // (company, group) -> classification
  std::map<std::pair<int, std::string>, int> tipo_;     // (company, classification) -> type
  std::map<std::pair<int, int>, int> grupo_;            // (company, product) -> group
  std::vector<Line> lines_;
};

TEST_F(BalanceModule, MatchesTheInventoryToTheCent) {
  struct Case {
    std::string data, empresas, estabs, prefixo, motivos;
    std::string dataIso;
    std::set<int> e, s, m;
  };
  const std::vector<Case> cases = {
      {"31/03/2026", "", "", "", "", "2026-03-31", {}, {}, {}},
      {"15/02/2026", "", "", "", "", "2026-02-15", {}, {}, {}},
      {"31/01/2026", "", "", "", "", "2026-01-31", {}, {}, {}},
      {"31/12/2025", "", "", "", "", "2025-12-31", {}, {}, {}},
      {"31/03/2026", "2", "", "", "", "2026-03-31", {2}, {}, {}},
      {"31/03/2026", "1", "2..3", "", "", "2026-03-31", {1}, {2, 3}, {}},
      {"31/03/2026", "", "", " 01.001 ", "", "2026-03-31", {}, {}, {}},
      {"31/03/2026", "", "", "02", "", "2026-03-31", {}, {}, {}},
      {"31/03/2026", "", "", "0_", "", "2026-03-31", {}, {}, {}},
      {"31/03/2026", "", "", "", "2", "2026-03-31", {}, {}, {2}},
      {"31/03/2026", "1;2", "1", "01", "1", "2026-03-31", {1, 2}, {1}, {1}},
  };
  for (const Case& c : cases) {
    const std::vector<Row> expected = Expected(c.dataIso, c.e, c.s, Trim(c.prefixo), c.m);
    EXPECT_EQ(Run(c.data, c.empresas, c.estabs, c.prefixo, c.motivos), expected)
        << c.data << " [" << c.empresas << "] [" << c.estabs << "] [" << c.prefixo << "] ["
        << c.motivos << "]";
    if (c.prefixo.empty() && c.dataIso >= "2026-01-31") {
      EXPECT_FALSE(expected.empty()) << c.data;
    }
  }
}

TEST_F(BalanceModule, RejectsBadParametersClearly) {
  EXPECT_THROW(
      {
        try {
          Run("  ", "", "", "", "");
        } catch (const Exception& e) {
          EXPECT_STREQ(e.what(), "Data inicial inválida.");
          throw;
        }
      },
      Exception);
  EXPECT_THROW(Run("31/02/2026", "", "", "", ""), EConvertError);
  for (const char* bad : {"1 or 1=1", "1;", "x"}) {
    EXPECT_THROW(Run("31/03/2026", bad, "", "", ""), Exception) << bad;
    EXPECT_THROW(Run("31/03/2026", "", "", "", bad), Exception) << bad;
  }
  // A classification is a bound value, never SQL.
  EXPECT_TRUE(Run("31/03/2026", "", "", "' or 1=1 --", "").empty());
}

TEST_F(BalanceModule, DatasetExistsOnlyAfterARun) {
  std::unique_ptr<TObject> modulo(CriarDMNovo("TnInvDPGerarSaldoInv"));
  auto* saldo = dynamic_cast<TnDMPowerParam*>(modulo.get());
  ASSERT_NE(saldo, nullptr);
  EXPECT_EQ(saldo->FindComponent("nClientDataSetGrupoProduto"), nullptr);
  saldo->GetParams()->SetValues("pDataInicial", "31/03/2026");
  saldo->Executar();
  EXPECT_NE(saldo->FindComponent("NCLIENTDATASETGRUPOPRODUTO"), nullptr);
  EXPECT_EQ(saldo->FindComponent("outro"), nullptr);
  // A failed run leaves no dataset of the previous one behind.
  saldo->GetParams()->SetValues("pDataInicial", "");
  EXPECT_THROW(saldo->Executar(), Exception);
  EXPECT_EQ(saldo->FindComponent("nClientDataSetGrupoProduto"), nullptr);
}

}  // namespace
}  // namespace stock::test
