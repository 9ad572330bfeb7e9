#include <algorithm>
#include <filesystem>
#include <iostream>

#include "basekit/Conexao.h"
#include "basekit/MessageDlg.h"
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

int RunPrint(const PrintArgs& args) {
  const std::vector<std::string> known = KnownReports();
  if (std::find(known.begin(), known.end(), args.report) == known.end()) {
    std::cerr << "Relatório desconhecido: '" << args.report << "'. Relatórios disponíveis:";
    for (const std::string& name : known) std::cerr << " " << name;
    std::cerr << "\n";
    return kUsage;
  }
  StopOnInterrupt interrupt;  // from here on, Ctrl-C asks the run to stop
  RunRequest request;
  request.report = args.report;
  try {
    // Names, values and required parameters are checked before anything runs.
    auto definition = LoadReportDefinition(DefinitionPath(args.report));
    try {
      request.params = ResolveParameters(*definition, args.params);
    } catch (const UsageError& e) {
      std::cerr << "Erro: " << e.what() << "\n";
      return kUsage;
    }
    if (!std::filesystem::exists(args.db)) {
      throw Exception("Banco de dados não encontrado: '" + args.db + "'");
    }
    SetConexaoPadrao(std::make_unique<TnConexao>(args.db, TnModoAbertura::LeituraEscrita));
    DialogHandlerGuard dialogs(MakeDialogHandler(args.answers));
    std::unique_ptr<OutputDevice> device = CreateOutputDevice(args.out);
    request.progress = args.quiet ? ProgressHandler([](int, int) { return StopOnInterrupt::Requested(); })
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
