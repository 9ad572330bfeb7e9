// Balances by product group for a demo database with 12 months of inventories whose products
// are spread over 2,000 product groups per company: the balance module alone, then the report
// to PDF and to text.
//   bench_balances [products] [groups] [folder]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "basekit/Conexao.h"
#include "basekit/DataModules.h"
#include "datakit/ClientDataSet.h"
#include "demo/DemoDatabase.h"
#include "invkit/DMPowerParam.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "reportkit/output/OutputDevice.h"
#include "support/BenchReport.h"

namespace {

// Replaces each company's group tree with about `groups` groups in three levels (10 leaves
// under each middle group, 10 middle groups under each top group) and spreads the products
// over the leaves.
void ScaleGroups(TnConexao& db, int groups) {
  const int tops = groups / 111 > 0 ? groups / 111 : 1;
  std::string sql = "begin; delete from GRUPOPRODUTO;";
  int leaves = 0;
  for (int empresa = 1; empresa <= 2; ++empresa) {
    int codigo = 0;
    leaves = 0;
    for (int t = 1; t <= tops; ++t) {
      char top[16];
      std::snprintf(top, sizeof top, "%02d", t);
      sql += "insert into GRUPOPRODUTO values (" + std::to_string(empresa) + ", " +
             std::to_string(++codigo) + ", '" + top + "', 'Grupo " + top + "', 1, null);";
      for (int m = 1; m <= 10; ++m) {
        char mid[32];
        std::snprintf(mid, sizeof mid, "%s.%03d", top, m);
        sql += "insert into GRUPOPRODUTO values (" + std::to_string(empresa) + ", " +
               std::to_string(++codigo) + ", '" + mid + "', 'Subgrupo " + mid + "', 1, null);";
        for (int l = 1; l <= 10; ++l) {
          char leaf[48];
          std::snprintf(leaf, sizeof leaf, "%s.%03d", mid, l);
          sql += "insert into GRUPOPRODUTO values (" + std::to_string(empresa) + ", " +
                 std::to_string(100000 + ++leaves) + ", '" + leaf + "', 'Itens " + leaf +
                 "', 2, null);";
          ++codigo;
        }
      }
    }
  }
  sql += "update PRODUTO set CODIGOGRUPOPRODUTO = 100001 + CODIGOPRODUTO % " +
         std::to_string(leaves) + "; commit;";
  db.ExecutarScript(sql);
}

}  // namespace

int main(int argc, char** argv) {
  const int products = argc > 1 ? std::atoi(argv[1]) : 40000;
  const int groups = argc > 2 ? std::atoi(argv[2]) : 2000;
  const std::string folder = argc > 3 ? argv[3] : "/tmp";
  stock::bench::UseBuildFolders(stock::SetPluginDirectory, stock::SetDefinitionDirectory);

  const std::string db = folder + "/bench_balances.db";
  DemoOptions options;
  options.products = products;
  options.months = 12;
  stock::bench::Stopwatch demo_clock;
  const DemoSummary summary = stock::bench::FreshDemoDatabase(db, options);
  {
    TnConexao escrita(db, TnModoAbertura::LeituraEscrita);
    ScaleGroups(escrita, groups);
  }
  std::printf(
      "demo database: %d products, %lld inventory lines, ~%d groups per company in %.2f s\n",
      summary.products, static_cast<long long>(summary.inventoryLines), groups,
      demo_clock.Seconds());
  SetConexaoPadrao(std::make_unique<TnConexao>(db, TnModoAbertura::SomenteLeitura));

  {
    stock::bench::Stopwatch clock;
    std::unique_ptr<TObject> modulo(CriarDMNovo("TnInvDPGerarSaldoInv"));
    auto* saldo = dynamic_cast<TnDMPowerParam*>(modulo.get());
    saldo->GetParams()->SetValues("pDataInicial", "31/12/2026");
    saldo->Executar();
    auto* rows = dynamic_cast<TnClientDataSet*>(saldo->FindComponent("nClientDataSetGrupoProduto"));
    std::printf("balance module alone: %d group rows in %.2f s\n", rows->RecordCount(),
                clock.Seconds());
  }
  const stock::RunRequest request{"stockBalances", {{"pDataInicial", "31/12/2026"}}, nullptr};
  stock::bench::PrintTextAndPdf(request, folder, "bench_balances");
  SetConexaoPadrao(nullptr);
  return 0;
}
