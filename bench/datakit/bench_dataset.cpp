// Loads a 1,000,000-row query result (2 integers, 2 texts of 20-40 characters, a float and a
// date) into a TnClientDataSet through the bulk interface, then filters it and indexes it on
// two columns. Prints the seconds of each step and the peak resident memory.
//
//   bench_dataset [rows]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "datakit/ClientDataSet.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t rows = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  std::printf("rows: %zu\n", rows);
  std::printf("peak RSS before load: %.1f MiB\n", PeakRssKiB() / 1024.0);

  TnClientDataSet ds;
  auto start = std::chrono::steady_clock::now();
  ds.BeginBulkLoad({{"CodigoEmpresa", ftInteger, 0},
                    {"CodigoProduto", ftInteger, 0},
                    {"ClassifGrupoProduto", ftString, 40},
                    {"DescrProduto", ftString, 40},
                    {"PrecoUnit", ftFloat, 0},
                    {"DataInvent", ftDate, 0}},
                   rows);
  uint64_t seed = 88172645463325252ull;
  auto next = [&seed] {  // xorshift: cheap deterministic values
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  char classif[64], descr[64];
  for (size_t i = 0; i < rows; ++i) {
    uint64_t r = next();
    ds.AppendInteger(static_cast<int64_t>(r % 20 + 1));
    ds.AppendInteger(static_cast<int64_t>(i + 1));
    int n =
        std::snprintf(classif, sizeof classif, "%02u.%02u.%03u.GRUPO-%06u", unsigned(r >> 8) % 10,
                      unsigned(r >> 16) % 30, unsigned(r >> 24) % 500, unsigned(r >> 32) % 1000000);
    ds.AppendText(std::string_view(classif, static_cast<size_t>(n)));
    n = std::snprintf(descr, sizeof descr, "PRODUTO %07zu %.*s", i, int(r >> 40) % 20 + 5,
                      "DESCRICAO DO ITEM EM ESTOQUE");
    ds.AppendText(std::string_view(descr, static_cast<size_t>(n)));
    ds.AppendFloat(static_cast<double>(r % 1000000) / 100.0);
    ds.AppendDateTime(45658.0 + static_cast<double>((r >> 20) % 730));  // 2025-2026
  }
  ds.EndBulkLoad();
  std::printf("bulk load: %.3f s, %d rows, peak RSS %.1f MiB\n", Seconds(start), ds.RecordCount(),
              PeakRssKiB() / 1024.0);

  start = std::chrono::steady_clock::now();
  ds.SetFilter(
      "ClassifGrupoProduto like '03%' and PrecoUnit > 100.5 and DataInvent >= '01/07/2025'");
  ds.SetFiltered(true);
  std::printf("filter: %.3f s, %d rows kept\n", Seconds(start), ds.RecordCount());

  start = std::chrono::steady_clock::now();
  ds.SetFilter("DescrProduto like '%ITEM%' or CodigoEmpresa = 7");
  std::printf("filter (general like): %.3f s, %d rows kept\n", Seconds(start), ds.RecordCount());
  ds.SetFiltered(false);

  start = std::chrono::steady_clock::now();
  ds.SetIndexFieldNames("CodigoEmpresa;ClassifGrupoProduto");
  std::printf("index (CodigoEmpresa;ClassifGrupoProduto): %.3f s\n", Seconds(start));

  start = std::chrono::steady_clock::now();
  int64_t walked = 0;
  for (ds.First(); !ds.GetEof(); ds.Next()) walked += ds.Fields(0)->AsInteger();
  std::printf("walk with AsInteger: %.3f s (checksum %lld)\n", Seconds(start),
              static_cast<long long>(walked));

  start = std::chrono::steady_clock::now();
  long ranged = 0;
  for (int empresa = 1; empresa <= 20; ++empresa) {
    ds.SetRange({empresa}, {empresa});
    ranged += ds.RecordCount();
  }
  ds.CancelRange();
  std::printf("20 ranges on the index: %.3f s (%ld rows)\n", Seconds(start), ranged);

  std::printf("peak RSS: %.1f MiB\n", PeakRssKiB() / 1024.0);
  return 0;
}
