// The inventory listing by ownership indicator, with account totals, printed to PDF over a
// demo database of about 1,000,000 ownership portions (69,100 products, 12 months). Prints
// the seconds of the listing query alone (run and loaded), then the seconds, pages per second
// and peak RSS of the whole report into a PDF file. Then the same demo data is written to a
// PostgreSQL server and the same report printed from it: the server named by STOCK_BENCH_PG
// (a libpq connection string), else a throwaway cluster started with tests/pg/cluster.sh when
// the server binaries are installed; otherwise that part is skipped.
//
//   bench_listing [products] [plugin dir] [definition dir]
// The directories default to STOCK_PLUGIN_DIR and STOCK_DEFINITION_DIR, then to the build's.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "basekit/Conexao.h"
#include "basekit/ExecutarSQL.h"
#include "demo/DemoDatabase.h"
#include "listing/stockListing.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "reportkit/Report.h"
#include "reportkit/output/OutputDevice.h"
#include "rtl/LargeAllocations.h"
#include "support/BenchUtil.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

using stock::bench::PeakRssMb;
using stock::bench::ResetPeakRss;

// Resident memory now, in MB.
double CurrentRssMb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// Seconds the sqlite3 shell takes to run `sql` over `db` with the listing's two dates bound,
// its output discarded; a negative number when the shell is not installed or fails.
double ShellSeconds(const std::string& db, const std::string& sql) {
  if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) return -1;
  const std::string script = "/tmp/bench_listing.sql";
  {
    std::ofstream out(script);
    out << ".parameter set :pDataIni \"'2026-01-01'\"\n"
        << ".parameter set :pDataFim \"'2026-12-31'\"\n"
        << sql << ";\n";
  }
  auto start = std::chrono::steady_clock::now();
  int rc = std::system(("sqlite3 " + db + " < " + script + " > /dev/null").c_str());
  double seconds = Seconds(start);
  std::filesystem::remove(script);
  return rc == 0 ? seconds : -1;
}

std::string Dir(int argc, char** argv, int index, const char* env, const char* fallback) {
  if (argc > index) return argv[index];
  if (const char* value = std::getenv(env)) return value;
  return fallback;
}

const std::vector<std::pair<std::string, std::string>> kParams = {
    {"pDataInicial", "01/01/2026"}, {"pDataFinal", "31/12/2026"}, {"pModelo", "1"},
    {"pIndPropriedade", "3"},       {"pIncluirConta", "1"},       {"pOrdem", "0"}};

// Prints the listing from the default connection into `pdf` and says how long it took and the
// peak memory of the print alone.
void PrintListing(const char* from, const std::string& pdf) {
  ResetPeakRss();
  std::unique_ptr<stock::OutputDevice> device = stock::CreateOutputDevice(pdf);
  const auto start = std::chrono::steady_clock::now();
  stock::RunOutcome outcome = stock::RunReport({"stockListing", kParams, nullptr}, *device);
  const double seconds = Seconds(start);
  std::printf("report from %s: %d pages in %.2f s, %.0f pages/s, PDF %.1f MB, peak RSS %.0f MB\n",
              from, outcome.pages, seconds, outcome.pages / seconds,
              std::filesystem::file_size(pdf) / 1048576.0, PeakRssMb());
}

// A PostgreSQL server for the second half: STOCK_BENCH_PG, else a cluster of its own that
// lives as long as this object.
class Server {
 public:
  Server() {
    if (const char* given = std::getenv("STOCK_BENCH_PG"); given != nullptr && *given) {
      conninfo_ = given;
      return;
    }
    state_ =
        std::filesystem::temp_directory_path() / ("bench_listing_pg." + std::to_string(getpid()));
    if (std::system((Script() + " start " + state_.string() + " >/dev/null").c_str()) != 0) return;
    std::ifstream in(state_ / "conninfo");
    std::getline(in, conninfo_);
  }
  ~Server() {
    if (!state_.empty()) {
      (void)std::system((Script() + " stop " + state_.string() + " >/dev/null 2>&1").c_str());
      std::filesystem::remove_all(state_);
    }
  }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  const std::string& conninfo() const { return conninfo_; }

 private:
  static std::string Script() { return STOCK_SOURCE_DIR "/tests/pg/cluster.sh"; }
  std::filesystem::path state_;
  std::string conninfo_;
};

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  stock::UseSteadyLargeAllocations();  // as the command does
  DemoOptions options;
  options.products = argc > 1 ? std::atoi(argv[1]) : 69100;
  options.months = 12;
  options.overwrite = true;
  const std::string db = "/tmp/bench_listing.db";
  const std::string pdf = "/tmp/bench_listing.pdf";
  try {
    stock::SetPluginDirectory(Dir(argc, argv, 2, "STOCK_PLUGIN_DIR", STOCK_DEFAULT_PLUGIN_DIR));
    stock::SetDefinitionDirectory(
        Dir(argc, argv, 3, "STOCK_DEFINITION_DIR", STOCK_DEFAULT_DEFINITION_DIR));

    auto start = std::chrono::steady_clock::now();
    DemoSummary s = CreateDemoDatabase(db, options);
    std::printf("demo database: %d products, %lld inventory lines, %lld portions (%.1f s)\n",
                s.products, static_cast<long long>(s.inventoryLines),
                static_cast<long long>(s.ownershipPortions), Seconds(start));
    {
      // Without table statistics SQLite joins each line's portions through the date range
      // instead of the full key, which makes the query quadratic in the lines of an
      // establishment; a database in use has been analysed.
      start = std::chrono::steady_clock::now();
      TnConexao(db, TnModoAbertura::LeituraEscrita).ExecutarScript("ANALYZE");
      std::printf("analyze: %.1f s\n", Seconds(start));
    }
    SetConexaoPadrao(std::make_unique<TnConexao>(db, TnModoAbertura::SomenteLeitura));

    {
      // The query alone, as the report builds it.
      std::unique_ptr<TnDMReport> module = stock::OpenReportModule("stockListing");
      TnrwReport* report = module->GetReport();
      for (const auto& [name, value] : kParams) report->GetParams()->SetValues(name, value);
      TstockListing listing(report);
      listing.LerParametros();
      const double shell = ShellSeconds(db, listing.MontarSQL());
      if (shell >= 0) std::printf("sqlite3 shell, same SQL: %.2f s\n", shell);
      // What creating the database freed goes back to the system first, so that the rows are
      // measured by the memory they take rather than by what they reuse.
      ResetPeakRss();
      const double rss_before = CurrentRssMb();
      start = std::chrono::steady_clock::now();
      SQLDataSetPtr cur(ExecutarSQL(listing.MontarSQL(),
                                    VarArrayOf({Variant::FromDate(EncodeDate(2026, 1, 1)),
                                                Variant::FromDate(EncodeDate(2026, 12, 31))}),
                                    true, false, -1, "", nullptr, true));
      const double loaded = Seconds(start);
      const int rows = cur->RecordCount();
      std::printf("query:  %d rows in %.2f s", rows, loaded);
      if (shell > 0) std::printf(" (%.2fx the shell)", loaded / shell);
      const double held = CurrentRssMb() - rss_before;
      std::printf(", rows held in %.0f MB (%.0f bytes per row)\n", held,
                  rows > 0 ? held * 1048576.0 / rows : 0.0);
    }
    const double rss_query = PeakRssMb();
    std::printf("peak RSS of the query alone: %.0f MB\n", rss_query);
    PrintListing("SQLite", pdf);
    SetConexaoPadrao(nullptr);
    std::filesystem::remove(db);

    Server server;
    if (server.conninfo().empty()) {
      std::printf("PostgreSQL: skipped (no STOCK_BENCH_PG and no server binaries)\n");
    } else {
      start = std::chrono::steady_clock::now();
      options.overwrite = true;
      CreateDemoDatabase(server.conninfo(), options);
      TnConexao(server.conninfo(), TnModoAbertura::LeituraEscrita).ExecutarScript("ANALYZE");
      std::printf("PostgreSQL demo data written and analysed (%.1f s)\n", Seconds(start));
      SetConexaoPadrao(
          std::make_unique<TnConexao>(server.conninfo(), TnModoAbertura::SomenteLeitura));
      PrintListing("PostgreSQL", pdf);
      SetConexaoPadrao(nullptr);
    }
    std::filesystem::remove(pdf);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
