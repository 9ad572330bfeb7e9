// The inventory register book of one establishment over 12 monthly periods, about 1,000,000
// inventory lines (83,334 products under 500 product groups, one line per product and month),
// book model 7 with ICMS per item. Prints the seconds of:
//   query    the report's main query alone (run and loaded);
//   read     the same rows read and formatted as the item lines do, without printing;
//   pdf      the whole register into a PDF file (query included), with pages per second;
//   terms    the same with opening and closing terms (two passes), when the terms report is
//            installed;
// and the peak RSS of each step (the memory the earlier steps still hold included).
//
//   bench_register [products] [folder] [steps]
// `steps` is a comma-separated subset of query,read,pdf,terms (all by default), to profile one
// step. With KEEP_BENCH_DB set, the database is kept after the run and reused by the next one
// when it holds the same number of products.
// Plug-ins and definitions come from STOCK_PLUGIN_DIR and STOCK_DEFINITION_DIR, else from the
// build's folders.

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "basekit/Conexao.h"
#include "basekit/MessageDlg.h"
#include "datakit/ClientDataSet.h"
#include "datakit/Rounding.h"
#include "demo/SuiteSchema.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "reportkit/Report.h"
#include "reportkit/output/OutputDevice.h"
#include "rtl/FormatFloat.h"
#include "rtl/LargeAllocations.h"
#include "support/BenchUtil.h"

namespace {

using stock::bench::PeakRssMb;

// CPU seconds (user and system) of the process so far: on a machine shared with other work
// the wall clock says little, the CPU time says what the print costs.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
using stock::bench::Stopwatch;
using Params = std::vector<std::pair<std::string, std::string>>;

// One company and establishment, 500 analytic groups, `products` products, one inventory line
// per product at every month end of 2026.
void CreateDatabase(const std::string& path, int products) {
  std::filesystem::remove(path);
  TnConexao db(path, TnModoAbertura::Criar);
  db.ExecutarScript("begin;\n" + std::string(stock::SuiteSchemaSql()) + ";\n" + R"(
    insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL)
      values (1, 'Metalúrgica Benchmark Ltda', 1, '11222333000181');
    insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL, INSCRESTAD,
                       DATAINICIOATIV) values (1, 1, 'Matriz', 1, '11222333000181', '123456789012', '2020-01-01');
    insert into CFGEMPRESAINV (CODIGOEMPRESA, QTDECASADECIMAL, QTDECASADECIMALQTD, LIVROMODELO7,
                               MASCCLASSIFFISCALPROD, LANCAICMSRECUP, DETALHARPISCOFINSITEM,
                               PERIODOINVENTARIO) values (1, 2, 3, 1, '9999.99.99', 1, 0, 1);
    with recursive g(i) as (select 1 union all select i + 1 from g where i < 500)
    insert into GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, CLASSIFGRUPOPRODUTO,
                              DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO)
      select 1, i, substr('000' || i, -3, 3), 'Grupo de produtos número ' || i, 2 from g;
    with recursive p(i) as (select 1 union all select i + 1 from p where i < )" +
                    std::to_string(products) + R"()
    insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA, CODIGONCM,
                         CODIGOGRUPOPRODUTO)
      select 1, i, 'Produto de estoque número ' || i || ' acabamento padrão', 'UN',
             case when i % 10 = 0 then null else '7318.15.00' end, 1 + i % 500 from p;
    with recursive m(k, d) as (select 1, '2026-01-31' union all
                               select k + 1, date('2026-01-01', '+' || (k + 1) || ' months', '-1 day')
                               from m where k < 12)
    insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, QTDEESTOQUE,
                         PRECOUNIT, VALORTOTAL, VALORICMS, OBSLCTOINV)
      select 1, 1, m.d, P.CODIGOPRODUTO, 1 + (P.CODIGOPRODUTO * 7 + m.k) % 997,
             round(0.5 + ((P.CODIGOPRODUTO * 13 + m.k * 5) % 9973) / 100.0, 2), 0,
             round(((P.CODIGOPRODUTO * 3 + m.k) % 500) / 10.0, 2),
             case when P.CODIGOPRODUTO % 50 = 0 then 'Em poder de terceiros' end
        from m, PRODUTO P;
    commit;
    analyze;
  )");
}

const Params kParams = {{"pCodigoEmpresa", "1"},
                        {"pCodigoEstab", "1"},
                        {"pCompetInicial", "01/01/2026"},
                        {"pCompetFinal", "31/12/2026"},
                        {"pEmitirPeriodo", "1"}};

void PrintTo(const std::string& out, Params params, const char* step) {
  stock::bench::ResetPeakRss();
  std::unique_ptr<stock::OutputDevice> device = stock::CreateOutputDevice(out);
  Stopwatch clock;
  const double cpu = CpuSeconds();
  const stock::RunOutcome outcome =
      stock::RunReport({"stockRegister", std::move(params), nullptr}, *device);
  const double seconds = clock.Seconds();
  std::printf("%-6s %7d pages %6.2f s (CPU %5.2f s) %6.0f pages/s  PDF %.1f MB  peak RSS %.0f MB\n",
              step, outcome.pages, seconds, CpuSeconds() - cpu, outcome.pages / seconds,
              std::filesystem::file_size(out) / 1048576.0, PeakRssMb());
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  stock::UseSteadyLargeAllocations();  // as the command does
  const int products = argc > 1 ? std::atoi(argv[1]) : 83334;
  const std::string folder = argc > 2 ? argv[2] : "/tmp";
  const std::string steps = argc > 3 ? argv[3] : "query,read,pdf,terms";
  auto wanted = [&](const char* step) {
    return ("," + steps + ",").find("," + std::string(step) + ",") != std::string::npos;
  };
  const std::string db = folder + "/bench_register.db";
  const std::string pdf = folder + "/bench_register.pdf";
  try {
    stock::bench::UseBuildFolders(stock::SetPluginDirectory, stock::SetDefinitionDirectory);
    Stopwatch clock;
    const std::string marker = db + "." + std::to_string(products);
    if (std::getenv("KEEP_BENCH_DB") && std::filesystem::exists(db) &&
        std::filesystem::exists(marker)) {
      std::printf("database: %d products x 12 months (kept from an earlier run)\n", products);
    } else {
      std::filesystem::remove(marker);
      CreateDatabase(db, products);
      std::printf("database: %d products x 12 months (%.1f s)  peak RSS %.0f MB\n", products,
                  clock.Seconds(), PeakRssMb());
      if (std::getenv("KEEP_BENCH_DB")) std::ofstream(marker).put('\n');
    }
    SetConexaoPadrao(std::make_unique<TnConexao>(db, TnModoAbertura::SomenteLeitura));

    if (wanted("query") || wanted("read")) {
      std::unique_ptr<TnDMReport> module = stock::OpenReportModule("stockRegister");
      TnrwReport* report = module->GetReport();
      for (const auto& [name, value] : kParams) report->GetParams()->SetValues(name, value);
      clock = Stopwatch();
      double cpu = CpuSeconds();
      stock::bench::ResetPeakRss();
      report->OpenMainQuery();
      TnClientDataSet* ds = report->GetDataSet();
      std::printf("query  %7d rows  %6.2f s (CPU %5.2f s)  peak RSS %.0f MB\n", ds->RecordCount(),
                  clock.Seconds(), CpuSeconds() - cpu, PeakRssMb());

      // What the item lines read and format, row by row, without printing.
      clock = Stopwatch();
      cpu = CpuSeconds();
      TField* qtde = ds->FieldByName("QtdeEstoque");
      TField* preco = ds->FieldByName("PrecoUnit");
      TField* ncm = ds->FieldByName("CodigoNCM");
      TField* descr = ds->FieldByName("DescrProduto");
      TField* unidade = ds->FieldByName("UnidadeMedida");
      TField* grupo = ds->FieldByName("ClassifGrupoProduto");
      TField* icms = ds->FieldByName("ValorICMS");
      size_t bytes = 0;
      double total = 0;
      for (ds->First(); !ds->GetEof(); ds->Next()) {
        const double q = qtde->AsFloat(), p = preco->AsFloat();
        const double valor = RoundValor(q * p, 2);
        total += valor;
        bytes += FormatFloat("##,###,##0.000", q).size() + FormatFloat("##,###,##0.00", p).size() +
                 FormatFloat("##,###,##0.00", valor).size() +
                 FormatFloat("##,###,##0.00", icms->AsFloat()).size() + ncm->AsString().size() +
                 descr->AsString().size() + unidade->AsString().size() + grupo->AsString().size();
      }
      std::printf("read   %7d rows  %6.2f s (CPU %5.2f s)  %zu bytes of text, total %.2f\n",
                  ds->RecordCount(), clock.Seconds(), CpuSeconds() - cpu, bytes, total);
    }

    if (wanted("pdf")) PrintTo(pdf, kParams, "pdf");
    const std::string terms = stock::DefinitionPath("stockBookTermsLayout");
    if (wanted("terms") && std::filesystem::exists(terms)) {
      Params withTerms = kParams;
      withTerms.emplace_back("pImprimeTermos", "1");
      PrintTo(pdf, withTerms, "terms");
    } else if (wanted("terms")) {
      std::printf("terms  skipped: %s is not installed\n", terms.c_str());
    }
    SetConexaoPadrao(nullptr);
    if (!std::getenv("KEEP_BENCH_DB")) std::filesystem::remove(db);
    std::filesystem::remove(pdf);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
