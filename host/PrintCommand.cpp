#include <algorithm>
#include <filesystem>
#include <iostream>

#include "basekit/Conexao.h"
#include "basekit/PgDatabase.h"
#include "basekit/MessageDlg.h"
#include "datakit/HostEnv.h"
#include "host/Commands.h"
#include "reportkit/DMReport.h"
#include "reportkit/ParamItem.h"
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
  auto is_known = [&](const std::string& name) {
    return std::find(known.begin(), known.end(), name) != known.end();
  };
  // A plug-in that prints several definitions (the book terms, portrait and landscape) is
  // printed by its name with --definition choosing one; without it, the first by name.
  std::string report = args.report;
  if (!args.definition.empty() || !is_known(report)) {
    const std::vector<std::string> bound = DefinitionsOfPlugin(args.report);
    if (!args.definition.empty()) {
      const bool ok = std::find(bound.begin(), bound.end(), args.definition) != bound.end() ||
                      (args.definition == args.report && is_known(report));
      if (!ok) {
        std::cerr << "A definição '" << args.definition << "' não é do relatório " << args.report;
        if (!bound.empty()) {
          std::cerr << " (use uma de:";
          for (const std::string& name : bound) std::cerr << " " << name;
          std::cerr << ")";
        }
        std::cerr << "\n";
        return kUsage;
      }
      report = args.definition;
    } else if (!bound.empty()) {
      report = bound.front();
    }
  }
  if (!is_known(report)) {
    std::cerr << "Relatório desconhecido: '" << args.report << "'. Relatórios disponíveis:";
    for (const std::string& name : known) std::cerr << " " << name;
    std::cerr << "\n";
    return kUsage;
  }
  StopOnInterrupt interrupt;  // from here on, Ctrl-C asks the run to stop
  RunRequest request;
  request.report = report;
  for (const std::string& p : args.params) {
    const size_t eq = p.find('=');
    if (eq == std::string::npos || eq == 0) {
      std::cerr << "Parâmetro mal formado: '" << p << "' (use -p nome=valor)\n";
      return kUsage;
    }
    request.params.emplace_back(p.substr(0, eq), p.substr(eq + 1));
  }
  try {
    // Unknown parameter names are a usage error, found before anything runs.
    auto definition = LoadReportDefinition(DefinitionPath(report));
    for (const auto& [name, value] : request.params) {
      const auto declared = std::find_if(definition->params.begin(), definition->params.end(),
                                         [&](const ParamDef& d) { return d.input && d.name == name; });
      if (declared == definition->params.end()) {
        std::cerr << "O relatório " << report << " não tem o parâmetro '" << name
                  << "' (veja 'stockreports list')\n";
        return kUsage;
      }
      // A value that does not fit the declared type is refused here, naming the parameter,
      // whatever the report would make of it.
      TnpqParamItem(declared->name, declared->type, declared->caption, value).CheckValue();
    }
    if (!stock::EhServidorPostgreSQL(args.db) && !std::filesystem::exists(args.db)) {
      throw Exception("Banco de dados não encontrado: '" + args.db + "'");
    }
    SetConexaoPadrao(std::make_unique<TnConexao>(args.db, TnModoAbertura::LeituraEscrita));
    DialogHandlerGuard dialogs(MakeDialogHandler(args.answers));
    SetEhCloud(args.cloud);
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
