// The product list for 100,000 products from a scaled demo database, to PDF and to text,
// with the time of the main query alone.
//   bench_items [products] [folder]

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
  const int products = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string folder = argc > 2 ? argv[2] : "/tmp";
  stock::bench::UseBuildFolders(stock::SetPluginDirectory, stock::SetDefinitionDirectory);

  const std::string db = folder + "/bench_items.db";
  DemoOptions options;
  options.products = products;
  options.months = 1;
  stock::bench::Stopwatch demo_clock;
  stock::bench::FreshDemoDatabase(db, options);
  std::printf("demo database: %d products in %.2f s\n", products, demo_clock.Seconds());
  SetConexaoPadrao(std::make_unique<TnConexao>(db, TnModoAbertura::SomenteLeitura));

  {
    stock::bench::Stopwatch clock;
    auto module = stock::OpenReportModule("stockItems");
    module->GetReport()->OpenMainQuery();
    std::printf("main query alone: %.2f s\n", clock.Seconds());
  }
  stock::bench::PrintTextAndPdf({"stockItems", {{"pQuebra", "1"}}, nullptr}, folder, "bench_items");
  SetConexaoPadrao(nullptr);
  return 0;
}
