// Loads a 1,000,000-row query result (2 integers, 2 texts, 1 real, 1 date) from an SQLite file
// into the client dataset through ExecutarSQL, and prints the seconds taken and the peak RSS.
//
//   bench_query_load [rows] [database file]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "basekit/Conexao.h"
#include "basekit/ExecutarSQL.h"
#include "basekit/Transacao.h"
#include "rtl/DateTime.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

void Fill(TnConexao& conexao, long rows) {
  conexao.ExecutarScript(
      "DROP TABLE IF EXISTS LCTO;"
      "CREATE TABLE LCTO (CODIGOEMPRESA INTEGER, CODIGOPRODUTO INTEGER, DESCRPRODUTO VARCHAR(60),"
      " UNIDADE VARCHAR(40), VALOR NUMERIC(15,2), DATALCTO DATE)");
  TnTransacao transacao(conexao);
  const std::string sql = "INSERT INTO LCTO VALUES (:e, :p, :d, :u, :v, :dt)";
  for (long i = 0; i < rows; ++i) {
    conexao.ExecutarComando(
        sql,
        VarArrayOf({static_cast<int64_t>(i % 7 + 1), static_cast<int64_t>(i),
                    "Produto de estoque numero " + std::to_string(i),
                    "Unidade " + std::to_string(i % 1000) + " caixa com doze",
                    static_cast<double>(i % 100000) / 100.0,
                    Variant::FromDate(EncodeDate(2024, 1, 1) + static_cast<double>(i % 366))}));
  }
  transacao.Confirmar();
}

}  // namespace

int main(int argc, char** argv) {
  long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  std::string path =
      argc > 2 ? argv[2]
               : (std::filesystem::temp_directory_path() / "bench_query_load.db").string();
  std::filesystem::remove(path);
  SetConexaoPadrao(std::make_unique<TnConexao>(path, TnModoAbertura::Criar));

  auto start = std::chrono::steady_clock::now();
  Fill(ConexaoPadrao(), rows);
  std::printf("fill   %ld rows: %.2f s\n", rows, Seconds(start));
  long rss_before = PeakRssMb();

  start = std::chrono::steady_clock::now();
  TDataSet* cur = ExecutarSQL(
      "SELECT CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADE, VALOR, DATALCTO FROM LCTO",
      Variant::FromArray({}), true, false, -1, "", nullptr, true);
  double load = Seconds(start);
  std::printf("load   %d rows: %.2f s\n", cur->RecordCount(), load);

  start = std::chrono::steady_clock::now();
  double total = 0;
  for (cur->First(); !cur->GetEof(); cur->Next()) total += cur->Fields(4)->AsFloat();
  std::printf("scan   sum %.2f: %.2f s\n", total, Seconds(start));
  std::printf("peak RSS: %ld MB (%ld MB before the load)\n", PeakRssMb(), rss_before);
  DestruirSQL(cur);
  SetConexaoPadrao(nullptr);
  std::filesystem::remove(path);
  return 0;
}
