#include <algorithm>
#include <filesystem>
#include <iostream>

#include "basekit/Conexao.h"
#include "basekit/MessageDlg.h"
#include "basekit/PgDatabase.h"
#include "datakit/HostEnv.h"
#include "host/Commands.h"
#include "host/ReportParameters.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "reportkit/output/OutputDevice.h"
#include "rtl/Exception.h"

namespace stock::host {

namespace {

void PrintMessages(const RunOutcome& outcome) {
  for (const auto& [kind, text] : outcome.messages) {
    std::cout << (kind == 1 ? "Aviso: " : "Mensagem: ") << text << "\n";
  }
}

}  // namespace

std::string ChooseDefinition(const std::string& requested, const std::string& definition) {
  const std::vector<std::string> known = KnownReports();
  auto is_known = [&](const std::string& name) {
    return std::find(known.begin(), known.end(), name) != known.end();
  };
  // A plug-in that prints several definitions (the book terms, portrait and landscape) is
  // printed by its name with --definition choosing one; without it, the first by name.
  std::string report = requested;
  if (!definition.empty() || !is_known(report)) {
    const std::vector<std::string> bound = DefinitionsOfPlugin(requested);
    if (!definition.empty()) {
      const bool ok = std::find(bound.begin(), bound.end(), definition) != bound.end() ||
                      (definition == requested && is_known(report));
      if (!ok) {
        std::cerr << "A definição '" << definition << "' não é do relatório " << requested;
        if (!bound.empty()) {
          std::cerr << " (use uma de:";
          for (const std::string& name : bound) std::cerr << " " << name;
          std::cerr << ")";
        }
        std::cerr << "\n";
        return {};
      }
      report = definition;
    } else if (!bound.empty()) {
      report = bound.front();
    }
  }
  if (!is_known(report)) {
    std::cerr << "Relatório desconhecido: '" << requested << "'. Relatórios disponíveis:";
    for (const std::string& name : known) std::cerr << " " << name;
    std::cerr << "\n";
    return {};
  }
  return report;
}

int RunPrint(const PrintArgs& args) {
  const std::string report = ChooseDefinition(args.report, args.definition);
  if (report.empty()) return kUsage;
  StopOnInterrupt interrupt;  // from here on, Ctrl-C asks the run to stop
  RunRequest request;
  request.report = report;
  try {
    // Names, values and required parameters are checked before anything runs.
    auto definition = LoadReportDefinition(DefinitionPath(report));
    try {
      request.params = ResolveParameters(*definition, args.params);
    } catch (const UsageError& e) {
      std::cerr << "Erro: " << e.what() << "\n";
      return kUsage;
    }
    if (!stock::EhServidorPostgreSQL(args.db) && !std::filesystem::exists(args.db)) {
      throw Exception("Banco de dados não encontrado: '" + args.db + "'");
    }
    SetConexaoPadrao(std::make_unique<TnConexao>(args.db, TnModoAbertura::LeituraEscrita));
    DialogHandlerGuard dialogs(MakeDialogHandler(args.answers));
    SetEhCloud(args.cloud);
    std::unique_ptr<OutputDevice> device = CreateOutputDevice(args.out);
    request.progress = args.quiet
                           ? ProgressHandler([](int, int) { return StopOnInterrupt::Requested(); })
                           : MakeProgress(args.report);
    RunOutcome outcome;
    try {
      outcome = RunReport(request, *device);
    } catch (...) {
      EndProgress();
      throw;
    }
    EndProgress();
    SetConexaoPadrao(nullptr);
    PrintMessages(outcome);
    if (outcome.stopped) {
      std::cerr << "Impressão interrompida pelo usuário; nenhum arquivo foi gravado.\n";
      return kStopped;
    }
    if (outcome.pages == 0) {
      std::cerr << "Nada foi impresso; nenhum arquivo foi gravado.\n";
      return kStopped;
    }
    std::cout << args.out << ": " << outcome.pages << (outcome.pages == 1 ? " página" : " páginas")
              << "\n";
    return kOk;
  } catch (const std::exception& e) {
    SetConexaoPadrao(nullptr);
    std::cerr << "Erro: " << e.what() << "\n";
    return kError;
  }
}

}  // namespace stock::host
