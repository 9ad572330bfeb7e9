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
#include "support/BenchUtil.h"

int main(int argc, char** argv) {
  const int products = argc > 1 ? std::atoi(argv[1]) : 200000;
  const std::string folder = argc > 2 ? argv[2] : "/tmp";
  stock::bench::UseBuildFolders(stock::SetPluginDirectory, stock::SetDefinitionDirectory);

  const std::string db = folder + "/bench_countsheet.db";
  std::filesystem::remove(db);
  DemoOptions options;
  options.products = products;
  options.months = 1;
  stock::bench::Stopwatch demo_clock;
  const DemoSummary summary = CreateDemoDatabase(db, options);
  std::printf("demo database: %d products, %d establishments, %lld inventory lines in %.2f s\n",
              summary.products, summary.establishments,
              static_cast<long long>(summary.inventoryLines), demo_clock.Seconds());
  SetConexaoPadrao(std::make_unique<TnConexao>(db, TnModoAbertura::SomenteLeitura));

  const stock::RunRequest request{
      "stockCountSheet", {{"pInclUltimoCusto", "1"}, {"pDataUltimoCusto", "31/01/2026"}}, nullptr};
  for (const char* ext : {"txt", "pdf"}) {
    const std::string out = folder + "/bench_countsheet." + ext;
    std::unique_ptr<stock::OutputDevice> device = stock::CreateOutputDevice(out);
    stock::bench::Stopwatch clock;
    const stock::RunOutcome outcome = stock::RunReport(request, *device);
    const double seconds = clock.Seconds();
    std::printf("%-30s %6d pages %6.2f s %8.0f pages/s  peak RSS %.1f MB\n", out.c_str(),
                outcome.pages, seconds, outcome.pages / seconds, stock::bench::PeakRssMb());
  }
  SetConexaoPadrao(nullptr);
  return 0;
}
