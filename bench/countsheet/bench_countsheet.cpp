// The count sheet with last costs for a demo database of 200,000 products (one line per
// product and establishment), to PDF and to text.
//   bench_countsheet [products] [folder]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "basekit/Conexao.h"
#include "demo/DemoDatabase.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "reportkit/output/OutputDevice.h"
#include "support/BenchReport.h"

int main(int argc, char** argv) {
  const int products = argc > 1 ? std::atoi(argv[1]) : 200000;
  const std::string folder = argc > 2 ? argv[2] : "/tmp";
  stock::bench::UseBuildFolders(stock::SetPluginDirectory, stock::SetDefinitionDirectory);

  const std::string db = folder + "/bench_countsheet.db";
  DemoOptions options;
  options.products = products;
  options.months = 1;
  stock::bench::Stopwatch demo_clock;
  const DemoSummary summary = stock::bench::FreshDemoDatabase(db, options);
  std::printf("demo database: %d products, %d establishments, %lld inventory lines in %.2f s\n",
              summary.products, summary.establishments,
              static_cast<long long>(summary.inventoryLines), demo_clock.Seconds());
  SetConexaoPadrao(std::make_unique<TnConexao>(db, TnModoAbertura::SomenteLeitura));

  const stock::RunRequest request{
      "stockCountSheet", {{"pInclUltimoCusto", "1"}, {"pDataUltimoCusto", "31/01/2026"}}, nullptr};
  stock::bench::PrintTextAndPdf(request, folder, "bench_countsheet");
  SetConexaoPadrao(nullptr);
  return 0;
}
