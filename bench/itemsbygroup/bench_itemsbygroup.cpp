// Products by product group printed to PDF over a large database: 2,000 product groups
// (1,000 per company: 20 summary groups of 49 analytic groups each) and 200,000 products.
// Prints the seconds and pages per second of three runs, and the peak RSS of each report run
// apart from the database creation:
//   queries  the product query prepared once and run again for every analytic group, alone;
//   layout   the whole report into a device that draws nothing (queries and engine);
//   pdf      the whole report into a PDF file.
//
//   bench_itemsbygroup [products] [folder]
// Plug-ins and definitions come from STOCK_PLUGIN_DIR and STOCK_DEFINITION_DIR, else from the
// build's folders.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "basekit/Conexao.h"
#include "basekit/ExecutarSQL.h"
#include "demo/DemoDatabase.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "reportkit/output/OutputDevice.h"
#include "support/BenchUtil.h"

namespace {

constexpr int kSumarios = 20;    // summary groups per company
constexpr int kAnaliticos = 49;  // analytic groups under each summary group

// Replaces the demo's group tree by 1,000 groups per company and spreads the products over
// the analytic ones. Group codes: summary s is s*50+1, its analytic groups s*50+2 .. s*50+50.
void AmpliarGrupos(TnConexao& conexao) {
  std::string sql = "begin; delete from GRUPOPRODUTO;";
  for (int empresa = 1; empresa <= 2; ++empresa) {
    for (int s = 0; s < kSumarios; ++s) {
      char classif[16];
      std::snprintf(classif, sizeof classif, "%02d", s + 1);
      sql += "insert into GRUPOPRODUTO values (" + std::to_string(empresa) + ", " +
             std::to_string(s * 50 + 1) + ", '" + classif + "', 'Grupo sintético " + classif +
             "', 1, null);";
      for (int a = 1; a <= kAnaliticos; ++a) {
        char filho[32];
        std::snprintf(filho, sizeof filho, "%s.%03d", classif, a);
        sql += "insert into GRUPOPRODUTO values (" + std::to_string(empresa) + ", " +
               std::to_string(s * 50 + 1 + a) + ", '" + filho + "', 'Grupo analítico " + filho +
               "', 2, 1141);";
      }
    }
  }
  const int analiticos = kSumarios * kAnaliticos;
  sql += "update PRODUTO set CODIGOGRUPOPRODUTO = (CODIGOPRODUTO % " + std::to_string(analiticos) +
         ") / " + std::to_string(kAnaliticos) + " * 50 + 2 + (CODIGOPRODUTO % " +
         std::to_string(analiticos) + ") % " + std::to_string(kAnaliticos) + "; commit;";
  conexao.ExecutarScript(sql);
}

// The product query of the report, run for every analytic group as the report runs it.
double TempoConsultas() {
  stock::bench::Stopwatch clock;
  TDataSet* grupos = nullptr;
  TDataSet* produtos = nullptr;
  SQLDataSetGuard g1(grupos), g2(produtos);
  grupos = ExecutarSQL(
      "select CODIGOEMPRESA, CODIGOGRUPOPRODUTO from GRUPOPRODUTO where TIPOGRUPOPRODUTO = 2 "
      "order by CODIGOEMPRESA, CLASSIFGRUPOPRODUTO",
      static_cast<TParams*>(nullptr), true, false, -1, "", nullptr, true);
  produtos = ExecutarSQL(
      "SELECT CODIGOPRODUTO, DESCRPRODUTO, CODIGONCM, UNIDADEMEDIDA FROM PRODUTO "
      "WHERE CODIGOEMPRESA = :pCodigoEmpresa AND CODIGOGRUPOPRODUTO = :pCodigoGrupoProduto "
      "ORDER BY +CODIGOPRODUTO",
      VarArrayOf({Variant(0), Variant(0)}), true, true, -1, "", nullptr, true);
  long linhas = 0;
  for (; !grupos->GetEof(); grupos->Next()) {
    RefreshSQL(produtos,
               VarArrayOf({grupos->Fields(0)->AsVariant(), grupos->Fields(1)->AsVariant()}));
    linhas += produtos->RecordCount();
  }
  const double s = clock.Seconds();
  std::printf("queries: %.3f s for %ld products\n", s, linhas);
  return s;
}

// One run of the report, its peak memory measured apart from what came before it.
double Imprimir(const std::string& destino, const char* rotulo) {
  const bool pico = stock::bench::ResetPeakRss();
  std::unique_ptr<stock::OutputDevice> device =
      destino.empty() ? stock::CreateNullDevice() : stock::CreateOutputDevice(destino);
  stock::bench::Stopwatch clock;
  stock::RunOutcome outcome =
      stock::RunReport({"stockItemsByAccount", {{"pQuebra", "1"}}, nullptr}, *device);
  const double s = clock.Seconds();
  std::printf("%s: %.3f s, %d pages, %.0f pages/s", rotulo, s, outcome.pages, outcome.pages / s);
  if (pico) std::printf(", peak RSS %.1f MB", stock::bench::PeakRssMb());
  std::printf("\n");
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  DemoOptions options;
  options.products = argc > 1 ? std::atoi(argv[1]) : 200000;
  options.months = 1;
  options.overwrite = true;
  stock::bench::UseBuildFolders(stock::SetPluginDirectory, stock::SetDefinitionDirectory);
  const std::string base = std::string(argc > 2 ? argv[2] : "/tmp") + "/bench_itemsbygroup";
  try {
    stock::bench::Stopwatch clock;
    CreateDemoDatabase(base + ".db", options);
    SetConexaoPadrao(std::make_unique<TnConexao>(base + ".db", TnModoAbertura::LeituraEscrita));
    AmpliarGrupos(ConexaoPadrao());
    std::printf("database: %d products, %d groups, %.1f s to create; peak RSS so far %.1f MB\n",
                options.products, 2 * kSumarios * (kAnaliticos + 1), clock.Seconds(),
                stock::bench::PeakRssMb());

    const double consultas = TempoConsultas();
    const double layout = Imprimir("", "layout");
    const double pdf = Imprimir(base + ".pdf", "pdf");
    std::printf(
        "split of the pdf run, derived from the three runs above (not timed inside it): "
        "queries %.0f%%, engine %.0f%%, pdf output %.0f%%\n",
        100 * consultas / pdf, 100 * (layout - consultas) / pdf, 100 * (pdf - layout) / pdf);
    std::printf("pdf: %.1f MB\n", std::filesystem::file_size(base + ".pdf") / 1e6);
    SetConexaoPadrao(nullptr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Erro: %s\n", e.what());
    return 1;
  }
  return 0;
}
