#include "host/Completion.h"

#include <memory>
#include <set>

#include "host/Commands.h"
#include "reportkit/DMReport.h"
#include "reportkit/ReportDefinition.h"
#include "rtl/Exception.h"

namespace stock::host {

namespace {

bool IsOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

// The option `word` names in `cmd` or, for the program's own options given after a command,
// in `app`; nullptr for none.
const CLI::Option* FindOption(const CLI::App& app, const CLI::App* cmd, const std::string& word) {
  const std::string name = word.substr(0, word.find('='));
  for (const CLI::App* where : {cmd, &app}) {
    if (where == nullptr) continue;
    for (const CLI::Option* option : where->get_options()) {
      if (!option->get_positional() && option->check_name(name)) return option;
    }
  }
  return nullptr;
}

bool TakesValue(const CLI::Option* option, const std::string& word) {
  return option != nullptr && option->get_type_size() != 0 && word.find('=') == std::string::npos;
}

// The definition a report name prints: the definition itself, or the plug-in's first.
std::shared_ptr<const ReportDefinition> LoadReport(const std::string& report,
                                                   const std::string& definition) {
  const std::string name = !definition.empty() ? definition : report;
  try {
    auto def = LoadReportDefinition(DefinitionPath(name));
    if (!def->plugin.empty()) return def;
  } catch (const Exception&) {
  }
  const std::vector<std::string> of_plugin = DefinitionsOfPlugin(report);
  if (of_plugin.empty()) return nullptr;
  try {
    return LoadReportDefinition(DefinitionPath(of_plugin.front()));
  } catch (const Exception&) {
    return nullptr;
  }
}

// Every name `print` accepts: the printable definitions and the plug-ins that print them.
std::set<std::string> PrintableReports() {
  std::set<std::string> names;
  for (const std::string& name : KnownReports()) {
    try {
      auto def = LoadReportDefinition(DefinitionPath(name));
      if (def->plugin.empty()) continue;
      names.insert(name);
      names.insert(def->plugin);
    } catch (const Exception&) {
    }
  }
  return names;
}

void WriteOptionNames(const CLI::App& app, const CLI::App* cmd, std::ostream& out) {
  std::set<std::string> names;
  for (const CLI::App* where : {cmd, &app}) {
    if (where == nullptr) continue;
    for (const CLI::Option* option : where->get_options()) {
      if (option->get_positional() || option->get_group().empty()) continue;
      for (const std::string& l : option->get_lnames()) names.insert("--" + l);
      for (const std::string& s : option->get_snames()) names.insert("-" + s);
    }
  }
  for (const std::string& name : names) out << name << "\n";
}

// True for a command whose first argument is a report (`print RELATORIO`).
bool TakesReport(const CLI::App& cmd) {
  const auto positionals =
      cmd.get_options([](const CLI::Option* o) { return o->get_positional(); });
  return !positionals.empty() && positionals.front()->get_type_name() == "RELATORIO";
}

}  // namespace

void WriteCompletions(const CLI::App& app, const std::vector<std::string>& words, size_t current,
                      std::ostream& out) {
  const std::string word = current < words.size() ? words[current] : "";
  const CLI::App* cmd = nullptr;
  std::string report, definition;
  const CLI::Option* pending = nullptr;  // the option whose value the word at `i` is
  std::string pending_name;
  for (size_t i = 1; i < current && i < words.size(); ++i) {
    const std::string& w = words[i];
    if (pending != nullptr) {
      if (pending_name == "--definition") definition = w;
      pending = nullptr;
    } else if (IsOption(w)) {
      const CLI::Option* option = FindOption(app, cmd, w);
      if (TakesValue(option, w)) {
        pending = option;
        pending_name = option->get_lnames().empty() ? "" : "--" + option->get_lnames().front();
      }
    } else if (cmd == nullptr) {
      for (const CLI::App* sub : app.get_subcommands({})) {
        if (sub->check_name(w)) cmd = sub;
      }
    } else if (report.empty()) {
      report = w;
    }
  }

  if (pending != nullptr) {  // the word is an option's value
    if (pending_name == "--definition") {
      if (auto def = LoadReport(report, ""); def != nullptr) {
        for (const std::string& name : DefinitionsOfPlugin(def->plugin)) out << name << "\n";
      }
    } else if (pending_name == "--param") {
      if (auto def = LoadReport(report, definition); def != nullptr) {
        for (const ParamDef& p : def->params) {
          if (p.input) out << p.name << "=\n";
        }
      }
    } else if (pending->get_type_name() == "ARQUIVO") {
      out << kCompleteFiles << "\n";
    } else if (pending->get_type_name() == "PASTA") {
      out << kCompleteFolders << "\n";
    }
    return;
  }
  if (IsOption(word) || word == "-") {
    WriteOptionNames(app, cmd, out);
  } else if (cmd == nullptr) {
    for (const CLI::App* sub : app.get_subcommands({})) {
      if (!sub->get_group().empty()) out << sub->get_name() << "\n";
    }
  } else if (report.empty() && TakesReport(*cmd)) {
    for (const std::string& name : PrintableReports()) out << name << "\n";
  } else {
    WriteOptionNames(app, cmd, out);
  }
}

}  // namespace stock::host
