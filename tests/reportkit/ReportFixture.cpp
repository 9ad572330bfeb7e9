#include "ReportFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "basekit/Conexao.h"
#include "reportkit/DMReport.h"

namespace stock::test {

void ReportTest::SetUp() {
  char pattern[] = "/tmp/reportkit-XXXXXX";
  dir_ = mkdtemp(pattern);
  std::filesystem::create_directories(dir_ + "/definitions");
  SetDefinitionDirectory(dir_ + "/definitions");
  if (const char* plugins = std::getenv("STOCK_PLUGIN_DIR")) SetPluginDirectory(plugins);
}

void ReportTest::TearDown() {
  report_.reset();
  SetConexaoPadrao(nullptr);
  std::filesystem::remove_all(dir_);
}

void ReportTest::WriteDefinition(const std::string& name, const std::string& json) {
  std::ofstream(dir_ + "/definitions/" + name + ".json") << json;
}

void ReportTest::OpenDatabase(const std::string& sql) {
  auto conexao = std::make_unique<TnConexao>(dir_ + "/teste.db", TnModoAbertura::Criar);
  conexao->ExecutarScript(sql);
  SetConexaoPadrao(std::move(conexao));
}

TnrwReport& ReportTest::StartReport(const std::string& json) {
  report_ = std::make_unique<TnrwReport>(ParseReportDefinition(json, "teste.json"));
  document_.device = &trace_;
  trace_.BeginDocument({"teste", 0});
  report_->BeginPass(&document_);
  return *report_;
}

std::vector<std::string> ReportTest::Lines(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& line : trace_.Lines()) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

std::string SmallDefinition(const std::string& name, const std::string& plugin,
                            const std::string& extra_labels) {
  return R"({"name": ")" + name + R"(", "title": "Teste", "plugin": ")" + plugin + R"(",
    "parameters": [
      {"name": "pModo", "default": "print"}, {"name": "pLinhas", "default": "1"},
      {"name": "pLinha", "input": false}, {"name": "pLog", "input": false},
      {"name": "pChamadas", "input": false}, {"name": "pInstancia", "input": false},
      {"name": "pInterno", "default": ""}, {"name": "pValor", "type": "float", "default": ""}
    ],
    "sections": [
      {"number": 1, "height": 100, "labels": [
        {"name": "Pagina", "text": "Página @PageNo"})" +
         extra_labels + R"(]},
      {"number": 2, "height": 20, "labels": [{"name": "Titulos", "text": "Código"}]},
      {"number": 8, "height": 200, "labels": [{"name": "Linha", "param": "pLinha"},
        {"name": "Valor", "param": "pValor", "mask": "##,###,##0.00", "align": "right"}]},
      {"number": 9, "height": 20, "labels": [{"name": "Fecho", "text": "fim"}]}
    ]})";
}

}  // namespace stock::test
