#include "support/PluginTest.h"

#include "rtl/Exception.h"

#include <cstdlib>
#include <filesystem>

#include "basekit/Conexao.h"
#include "datakit/ClientDataSet.h"
#include "demo/SuiteSchema.h"

namespace stock::test {

void PluginTest::SetUp() {
  char pattern[] = "/tmp/plugintest-XXXXXX";
  dir_ = mkdtemp(pattern);
  if (const char* plugins = std::getenv("STOCK_PLUGIN_DIR")) SetPluginDirectory(plugins);
  if (const char* defs = std::getenv("STOCK_DEFINITION_DIR")) SetDefinitionDirectory(defs);
  auto conexao = std::make_unique<TnConexao>(dir_ + "/teste.db", TnModoAbertura::Criar);
  conexao->ExecutarScript("begin;\n" + std::string(SuiteSchemaSql()) + ";\ncommit;");
  SetConexaoPadrao(std::move(conexao));
}

void PluginTest::TearDown() {
  module_.reset();
  SetConexaoPadrao(nullptr);
  std::filesystem::remove_all(dir_);
}

void PluginTest::Exec(const std::string& sql) { ConexaoPadrao().ExecutarScript(sql); }

std::string PluginTest::PrintError(const std::string& name,
                                   const std::vector<std::pair<std::string, std::string>>& params) {
  try {
    Print(name, params);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

RunOutcome PluginTest::Print(const std::string& name,
                             const std::vector<std::pair<std::string, std::string>>& params,
                             ProgressHandler progress) {
  trace_ = std::make_unique<TraceDevice>();
  if (!module_ || module_->Definition().name != name || prepared_ != module_.get()) {
    module_ = OpenReportModule(name);
  }
  prepared_ = nullptr;
  return RunReport(*module_, {name, params, std::move(progress)}, *trace_);
}

TnClientDataSet* PluginTest::OpenFiltered(const std::string& name, const std::string& filter) {
  module_ = OpenReportModule(name);
  module_->GetReport()->OpenMainQuery();
  TnClientDataSet* ds = module_->GetReport()->GetDataSet();
  ds->SetFilter(filter);
  ds->SetFiltered(true);
  prepared_ = module_.get();
  return ds;
}

std::vector<std::string> PluginTest::Lines(const std::string& prefix) const {
  std::vector<std::string> out;
  if (!trace_) return out;
  for (const std::string& line : trace_->Lines()) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

std::vector<std::string> PluginTest::Events() const {
  std::vector<std::string> out;
  for (const std::string& l : Lines()) {
    if (l.rfind("page", 0) == 0)
      out.push_back(l);
    else if (l.rfind("section", 0) == 0)
      out.push_back(l.substr(0, l.find(':')));
  }
  return out;
}

std::vector<std::string> PluginTest::Shown(int section, const std::string& label) const {
  std::vector<std::string> out;
  const std::string head = "section " + std::to_string(section) + ":";
  for (const std::string& l : Lines(head)) {
    std::string value;
    const std::string key = label + "=";
    size_t pos = l.find(" " + key);
    if (pos == std::string::npos) pos = l.find("| " + key);
    if (pos != std::string::npos) {
      pos = l.find('=', pos) + 1;
      const size_t end = l.find(" | ", pos);
      value = l.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    }
    out.push_back(value);
  }
  return out;
}

}  // namespace stock::test
