// The EFD export of an inventory of 1,000,000 lines against the sqlite3 shell running the
// query that reads its H010 records, over the same database, one after the other.
//
//   bench_efd [DATABASE]   (default /tmp/bench_efd.db, created when missing and then reused)
//
// The database is the demo's with a million more products of company 1 stocked by its head
// office at 30/06/2027, one line each; one line in ten has a second ownership portion held by a
// third party, so the file carries 1,100,000 H010 records.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "basekit/Conexao.h"
#include "demo/DemoDatabase.h"
#include "efdkit/BlocoHExport.h"
#include "rtl/Exception.h"
#include "support/BenchUtil.h"

namespace {

// CPU seconds (user and system) used so far by this process, or by its finished children.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

constexpr int kLines = 1000000;

void CreateDatabase(const std::string& path) {
  DemoOptions options;
  CreateDemoDatabase(path, options);
  TnConexao db(path, TnModoAbertura::LeituraEscrita);
  db.IniciarTransacao();
  db.ExecutarScript(
      "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
      std::to_string(kLines) +
      ")"
      " INSERT INTO PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA, CODIGONCM,"
      " CODIGOGRUPOPRODUTO, ATIVO, TIPOITEM) SELECT 1, 1000000 + I, 'Peça de reposição nº ' || I,"
      " CASE I % 3 WHEN 0 THEN 'KG' WHEN 1 THEN 'UN' ELSE 'M' END, '8487.90.00', 3, 1, 4 FROM N;"
      "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
      std::to_string(kLines) +
      ")"
      " INSERT INTO LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, "
      "MOTIVOINVENTARIO,"
      " QTDEESTOQUE, PRECOUNIT, VALORTOTAL, INDICADORPROPRIEDADE, CODIGOTERCEIRO, CONTACTB, "
      "VALORICMS,"
      " CSTICMS, BASEICMS) SELECT 1, 1, '2027-06-30', 1000000 + I, 1, 10 + I % 90, 1 + (I % 997) / "
      "100.0,"
      " ROUND((10 + I % 90) * (1 + (I % 997) / 100.0), 2), 0, NULL, 1141, 0, '090', 0 FROM N;"
      "INSERT INTO LCTOINVPROPRIEDADE (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO,"
      " MOTIVOINVENTARIO, SEQPROPRIEDADE, INDICADORPROPRIEDADE, CODIGOTERCEIRO, QUANTIDADE, "
      "PRECOUNIT,"
      " VALORTOTAL, CONTACTB) SELECT CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, 1, 1, "
      "0, NULL,"
      " QTDEESTOQUE - CASE WHEN CODIGOPRODUTO % 10 = 0 THEN 5 ELSE 0 END, PRECOUNIT,"
      " VALORTOTAL - CASE WHEN CODIGOPRODUTO % 10 = 0 THEN ROUND(5 * PRECOUNIT, 2) ELSE 0 END, "
      "CONTACTB"
      " FROM LCTOINV WHERE DATAINVENT = '2027-06-30';"
      "INSERT INTO LCTOINVPROPRIEDADE (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO,"
      " MOTIVOINVENTARIO, SEQPROPRIEDADE, INDICADORPROPRIEDADE, CODIGOTERCEIRO, QUANTIDADE, "
      "PRECOUNIT,"
      " VALORTOTAL, CONTACTB) SELECT CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, 1, 2, "
      "2, 1, 5,"
      " PRECOUNIT, ROUND(5 * PRECOUNIT, 2), 811 FROM LCTOINV WHERE DATAINVENT = '2027-06-30'"
      " AND CODIGOPRODUTO % 10 = 0;"
      "ANALYZE;");
  db.Confirmar();
}

// The query with its parameters written in, as the shell takes it.
std::string ShellQuery() {
  std::string sql = stock::efd::H010Query();
  auto replace = [&](const std::string& name, const std::string& value) {
    for (size_t at = sql.find(name); at != std::string::npos;
         at = sql.find(name, at + value.size()))
      sql.replace(at, name.size(), value);
  };
  replace(":pEmpresa", "1");
  replace(":pEstab", "1");
  replace(":pData", "'2027-06-30'");
  replace(":pMotivo", "1");
  return sql;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "/tmp/bench_efd.db";
  try {
    if (!std::filesystem::exists(path)) {
      stock::bench::Stopwatch build;
      CreateDatabase(path);
      std::printf("database %s created in %.1f s\n", path.c_str(), build.Seconds());
    }
    const std::string out = path + ".efd.txt";
    const std::string shell_out = path + ".shell.txt";

    // The shell first, so that both runs find the database in the page cache.
    const std::string sql_file = path + ".query.sql";
    if (std::FILE* f = std::fopen(sql_file.c_str(), "w")) {
      std::fprintf(f, "%s;\n", ShellQuery().c_str());
      std::fclose(f);
    }
    const std::string command =
        "sqlite3 -readonly '" + path + "' < '" + sql_file + "' > '" + shell_out + "'";
    if (std::system(command.c_str()) != 0) throw Exception("sqlite3 falhou: " + command);
    const double shell_cpu_before = CpuSeconds(RUSAGE_CHILDREN);
    stock::bench::Stopwatch shell;
    if (std::system(command.c_str()) != 0) throw Exception("sqlite3 falhou: " + command);
    const double shell_seconds = shell.Seconds();
    const double shell_cpu = CpuSeconds(RUSAGE_CHILDREN) - shell_cpu_before;

    TnConexao db(path, TnModoAbertura::SomenteLeitura);
    stock::efd::ExportRequest request;
    request.company = 1;
    request.estab = 1;
    request.date = "2027-06-30";
    request.motive = 1;
    request.out = out;
    const double export_cpu_before = CpuSeconds(RUSAGE_SELF);
    stock::bench::Stopwatch run;
    const stock::efd::ExportSummary s = stock::efd::ExportBlocoH(db, request);
    const double export_seconds = run.Seconds();
    const double export_cpu = CpuSeconds(RUSAGE_SELF) - export_cpu_before;

    std::printf(
        "efd export: %lld lines, %lld H010, %lld file lines in %.2f s, %.2f s of CPU (peak %.0f "
        "MiB)\n",
        static_cast<long long>(s.lines), static_cast<long long>(s.h010),
        static_cast<long long>(s.file_lines), export_seconds, export_cpu,
        stock::bench::PeakRssMb());
    std::printf("sqlite3 shell, the same query into a file: %.2f s, %.2f s of CPU\n", shell_seconds,
                shell_cpu);
    std::printf("ratio export / shell: %.2f elapsed, %.2f CPU (at most 1.5 expected)\n",
                export_seconds / shell_seconds, export_cpu / shell_cpu);
    std::remove(out.c_str());
    std::remove(shell_out.c_str());
    std::remove(sql_file.c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_efd: %s\n", e.what());
    return 1;
  }
}
