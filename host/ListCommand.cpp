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

std::vector<std::string> DefinitionsOfPlugin(const std::string& plugin) {
  std::vector<std::string> names;
  for (const std::string& name : KnownReports()) {
    try {
      if (LoadReportDefinition(DefinitionPath(name))->plugin == plugin) names.push_back(name);
    } catch (const Exception&) {
      // a broken definition is reported by whoever prints or lists it
    }
  }
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
      if (def->plugin != name && DefinitionsOfPlugin(def->plugin).size() > 1) {
        std::cout << "    (também: stockreports print " << def->plugin << " --definition " << name
                  << ")\n";
      }
      DescribeParameters(std::cout, *def);
    } catch (const Exception& e) {
      std::cerr << "Erro: " << e.what() << "\n";
      status = kError;
    }
  }
  const ReportDefinition& efd = EfdDefinition();
  std::cout << "efd - " << efd.title << "\n"
            << "    (stockreports efd --db BANCO -p ... --out ARQUIVO; conferir: "
               "stockreports efd --db BANCO --check ARQUIVO)\n";
  DescribeParameters(std::cout, efd);
  return status;
}

int RunReportHelp(const PrintArgs& args) {
  const std::string report = ChooseDefinition(args.report, args.definition);
  if (report.empty()) return kUsage;
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
