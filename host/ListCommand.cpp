#include <algorithm>
#include <filesystem>
#include <iostream>

#include "host/Commands.h"
#include "host/ReportParameters.h"
#include "reportkit/DMReport.h"
#include "reportkit/ReportDefinition.h"
#include "rtl/Exception.h"

namespace stock::host {

std::vector<std::string> KnownReports() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(DefinitionDirectory(), ec)) {
    if (entry.path().extension() != ".json") continue;
    names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

int RunList() {
  const std::vector<std::string> names = KnownReports();
  if (names.empty()) {
    std::cerr << "Nenhum relatório encontrado em " << DefinitionDirectory() << "\n";
    return kError;
  }
  int status = kOk;
  for (const std::string& name : names) {
    try {
      auto def = LoadReportDefinition(DefinitionPath(name));
      if (def->plugin.empty()) continue;  // layouts printed only inside other reports
      std::cout << name << " - " << def->title << "\n";
      DescribeParameters(std::cout, *def);
    } catch (const Exception& e) {
      std::cerr << "Erro: " << e.what() << "\n";
      status = kError;
    }
  }
  return status;
}

int RunReportHelp(const std::string& report) {
  const std::vector<std::string> known = KnownReports();
  if (std::find(known.begin(), known.end(), report) == known.end()) {
    std::cerr << "Relatório desconhecido: '" << report << "'. Relatórios disponíveis:";
    for (const std::string& name : known) std::cerr << " " << name;
    std::cerr << "\n";
    return kUsage;
  }
  try {
    auto def = LoadReportDefinition(DefinitionPath(report));
    std::cout << "\nParâmetros de " << report << " - " << def->title << ":\n";
    DescribeParameters(std::cout, *def);
    return kOk;
  } catch (const Exception& e) {
    std::cerr << "Erro: " << e.what() << "\n";
    return kError;
  }
}

}  // namespace stock::host
