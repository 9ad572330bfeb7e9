// The engine alone: 100,000 detail sections of a six-label definition, printed to PDF and to
// text, with a page header on every page.
//   bench_engine [sections] [folder]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "reportkit/Report.h"
#include "reportkit/ReportDefinition.h"
#include "reportkit/output/OutputDevice.h"
#include "rtl/FormatFloat.h"
#include "rtl/StrConv.h"
#include "support/BenchUtil.h"

namespace {

const char* kDefinition = R"({"name": "bench", "title": "Teste de desempenho",
  "parameters": [{"name": "pCodigo"}, {"name": "pDescricao"}, {"name": "pUnidade"},
                 {"name": "pQtde", "type": "float"}, {"name": "pPreco", "type": "float"},
                 {"name": "pTotal", "type": "float"}],
  "sections": [
    {"number": 1, "height": 60, "labels": [
      {"name": "Titulo", "text": "RELAÇÃO DE TESTE – DESEMPENHO", "width": 718, "align": "center", "font": {"size": 11, "bold": true}},
      {"name": "Pagina", "text": "Página @PageNo", "left": 518, "width": 200, "align": "right"}],
     "lines": [{"x1": 0, "y1": 56, "x2": 718, "y2": 56}]},
    {"number": 8, "height": 14, "labels": [
      {"name": "Codigo", "param": "pCodigo", "left": 0, "width": 50, "align": "right", "font": {"size": 7}},
      {"name": "Descricao", "param": "pDescricao", "left": 60, "width": 300, "font": {"size": 7}},
      {"name": "Unidade", "param": "pUnidade", "left": 370, "width": 30, "font": {"size": 7}},
      {"name": "Qtde", "param": "pQtde", "mask": "#,##0.000", "left": 410, "width": 90, "align": "right", "font": {"size": 7}},
      {"name": "Preco", "param": "pPreco", "mask": "##,###,##0.00", "left": 510, "width": 90, "align": "right", "font": {"size": 7}},
      {"name": "Total", "param": "pTotal", "mask": "##,###,##0.00", "left": 610, "width": 108, "align": "right", "font": {"size": 7}}]}]})";

void PrintTo(const std::string& path, int sections) {
  stock::bench::Stopwatch clock;
  TnrwReport report(stock::ParseReportDefinition(kDefinition, "bench.json"));
  std::unique_ptr<stock::OutputDevice> device = stock::CreateOutputDevice(path);
  stock::ReportDocument document;
  document.device = device.get();
  device->BeginDocument({"bench", Now()});
  report.BeginPass(&document);
  TnpqPowerParam* params = report.GetParams();
  TnpqParamItem* codigo = params->Param("pCodigo");
  TnpqParamItem* descricao = params->Param("pDescricao");
  TnpqParamItem* unidade = params->Param("pUnidade");
  TnpqParamItem* qtde = params->Param("pQtde");
  TnpqParamItem* preco = params->Param("pPreco");
  TnpqParamItem* total = params->Param("pTotal");
  unidade->SetValue("UN");
  for (int i = 1; i <= sections; ++i) {
    codigo->SetValue(FormatFloat("0000000", i));
    descricao->SetValue(i % 2 ? "Parafuso sextavado aço inox 1/4\""
                              : "Óleo lubrificante 20W50 – 1 L");
    qtde->SetValue(FloatToStr(i * 1.5));
    preco->SetValue(FloatToStr(12.34));
    total->SetValue(FloatToStr(i * 1.5 * 12.34));
    report.RepPrintSection(8);
  }
  report.EndPass();
  device->Finish();
  const double seconds = clock.Seconds();
  std::printf("%-28s %8d sections %6d pages %7.2f s %9.0f pages/s  peak RSS %.1f MB\n",
              path.c_str(), sections, document.pages, seconds, document.pages / seconds,
              stock::bench::PeakRssMb());
}

}  // namespace

int main(int argc, char** argv) {
  const int sections = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string folder = argc > 2 ? argv[2] : "/tmp";
  PrintTo(folder + "/bench_engine.txt", sections);
  PrintTo(folder + "/bench_engine.pdf", sections);
  return 0;
}
