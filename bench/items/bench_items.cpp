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
#include "support/BenchUtil.h"

int main(int argc, char** argv) {
  const int products = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string folder = argc > 2 ? argv[2] : "/tmp";
  stock::bench::UseBuildFolders(stock::SetPluginDirectory, stock::SetDefinitionDirectory);

  const std::string db = folder + "/bench_items.db";
  std::filesystem::remove(db);
  DemoOptions options;
  options.products = products;
  options.months = 1;
  stock::bench::Stopwatch demo_clock;
  CreateDemoDatabase(db, options);
  std::printf("demo database: %d products in %.2f s\n", products, demo_clock.Seconds());
  SetConexaoPadrao(std::make_unique<TnConexao>(db, TnModoAbertura::SomenteLeitura));

  {
    stock::bench::Stopwatch clock;
    auto module = stock::OpenReportModule("stockItems");
    module->GetReport()->OpenMainQuery();
    std::printf("main query alone: %.2f s\n", clock.Seconds());
  }
  for (const char* ext : {"txt", "pdf"}) {
    const std::string out = folder + "/bench_items." + ext;
    std::unique_ptr<stock::OutputDevice> device = stock::CreateOutputDevice(out);
    stock::bench::Stopwatch clock;
    stock::RunOutcome outcome = stock::RunReport({"stockItems", {{"pQuebra", "1"}}, nullptr}, *device);
    const double seconds = clock.Seconds();
    std::printf("%-26s %6d pages %6.2f s %8.0f pages/s  peak RSS %.1f MB\n", out.c_str(),
                outcome.pages, seconds, outcome.pages / seconds, stock::bench::PeakRssMb());
  }
  SetConexaoPadrao(nullptr);
  return 0;
}
