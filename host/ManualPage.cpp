#include "host/ManualPage.h"

#include <sstream>
#include <string>

#include "host/Commands.h"
#include "host/HelpText.h"
#include "host/ReportParameters.h"
#include "reportkit/DMReport.h"
#include "reportkit/ReportDefinition.h"
#include "rtl/Exception.h"

namespace stock::host {

namespace {

// Text for roff: backslashes written as \e, hyphens as minus signs, a line never starts with a
// control character.
std::string Escape(const std::string& text) {
  std::string out;
  bool line_start = true;
  for (char c : text) {
    if (line_start && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";  // a minus, so commands copied from the page work
    } else {
      out += c;
    }
    line_start = c == '\n';
  }
  return out;
}

std::string Bold(const std::string& name) { return "\\fB" + Escape(name) + "\\fR"; }

std::string Italic(const std::string& text) { return "\\fI" + Escape(text) + "\\fR"; }

// The type as the help shows it ("INTEIRO" for INT), without the validator's text.
std::string TypeLabel(const CLI::App& cmd, const CLI::Option& option) {
  const std::string type = option.get_type_name();
  return cmd.get_formatter()->get_label(type.substr(0, type.find(':')));
}

// "-p, --param NOME=VALOR": names as the help shows them.
std::string OptionTerm(const CLI::App& cmd, const CLI::Option& option) {
  std::string term;
  for (const std::string& s : option.get_snames())
    term += (term.empty() ? "" : ", ") + Bold("-" + s);
  for (const std::string& l : option.get_lnames())
    term += (term.empty() ? "" : ", ") + Bold("--" + l);
  if (option.get_type_size() != 0 && !option.get_type_name().empty()) {
    term += " " + Italic(TypeLabel(cmd, option));
  }
  return term;
}

void WriteItems(std::ostream& out, const std::vector<HelpItem>& items, bool code_terms) {
  for (const HelpItem& item : items) {
    out << ".TP\n"
        << (code_terms ? Bold(item.term) : Escape(item.term)) << "\n"
        << Escape(item.text) << "\n";
  }
}

// True when `option` of a command is also the program's, described alike (--plugins, --help):
// the page describes it once, with the program's options.
bool IsCommonOption(const CLI::App& cmd, const CLI::Option& option) {
  const CLI::App* program = cmd.get_parent();
  if (program == nullptr || option.get_positional()) return false;
  for (const CLI::Option* other : program->get_options()) {
    if (other->get_name() == option.get_name() &&
        other->get_description() == option.get_description()) {
      return true;
    }
  }
  return false;
}

void WriteOptions(std::ostream& out, const CLI::App& cmd) {
  for (const CLI::Option* option : cmd.get_options()) {
    if (option->get_group().empty() || IsCommonOption(cmd, *option)) continue;
    std::string text = option->get_description();
    if (option->get_required()) text += " (obrigatório)";
    if (!option->get_default_str().empty()) text += " (padrão: " + option->get_default_str() + ")";
    if (option->get_positional()) {
      out << ".TP\n"
          << Italic(option->get_type_name().empty() ? option->get_name() : TypeLabel(cmd, *option))
          << "\n"
          << Escape(text) << "\n";
    } else {
      out << ".TP\n" << OptionTerm(cmd, *option) << "\n" << Escape(text) << "\n";
    }
  }
}

// "stockreports print [OPÇÕES] RELATORIO"
std::string Synopsis(const CLI::App& cmd) {
  std::string line =
      Bold("stockreports") + " " + Bold(cmd.get_name()) + " [" + Italic("OPÇÕES") + "]";
  for (const CLI::Option* option : cmd.get_options()) {
    if (option->get_positional()) line += " " + Italic(TypeLabel(cmd, *option));
  }
  return line;
}

void WriteCommands(std::ostream& out, const CLI::App& app) {
  out << ".SH COMANDOS\n";
  for (const CLI::App* cmd :
       app.get_subcommands([](const CLI::App* c) { return !c->get_group().empty(); })) {
    out << ".SS " << Bold(cmd->get_name()) << "\n" << Escape(cmd->get_description()) << "\n";
    out << ".PP\n" << Synopsis(*cmd) << "\n";
    WriteOptions(out, *cmd);
  }
}

// Every report `list` shows, with its title and the same parameter lines.
void WriteReports(std::ostream& out) {
  out << ".SH RELATÓRIOS\n"
      << "Os relatórios da pasta de definições, com os parâmetros que \\fB\\-p\\fR aceita:\n";
  for (const std::string& name : KnownReports()) {
    try {
      auto def = LoadReportDefinition(DefinitionPath(name));
      if (def->plugin.empty()) continue;
      out << ".TP\n" << Bold(name) << "\n" << Escape(def->title) << "\n";
      if (def->plugin != name && DefinitionsOfPlugin(def->plugin).size() > 1) {
        out << ".br\n(também: "
            << Bold("stockreports print " + def->plugin + " --definition " + name) << ")\n";
      }
      std::ostringstream params;
      DescribeParameters(params, *def);
      if (!params.str().empty()) out << ".nf\n" << Escape(params.str()) << ".fi\n";
    } catch (const Exception&) {
      // a broken definition is reported by `list`; the page describes the others
    }
  }
}

}  // namespace

void WriteManualPage(const CLI::App& app, std::ostream& out) {
  out << ".\\\" -*- coding: UTF-8 -*-\n"
      << ".\\\" Written by 'stockreports' itself from its help text.\n"
      << ".TH STOCKREPORTS 1 \"\" \"" << Escape(VersionText()) << "\" \"Comandos do usuário\"\n"
      << ".nh\n.ad l\n"  // names and options are never hyphenated
      << ".SH NOME\nstockreports \\- " << Escape(ProgramSummary()) << "\n"
      << ".SH SINOPSE\n"
      << Bold("stockreports") << " [" << Italic("OPÇÕES") << "] " << Italic("COMANDO") << " ["
      << Italic("OPÇÕES DO COMANDO") << "]\n"
      << ".SH DESCRIÇÃO\n"
      << Escape(ProgramDescription()) << "\n"
      << ".PP\nAs opções " << Bold("--db") << ", " << Bold("--plugins") << " e "
      << Bold("--definitions") << " valem antes ou depois do comando.\n"
      << ".SH OPÇÕES\n";
  WriteOptions(out, app);
  WriteCommands(out, app);
  WriteReports(out);
  out << ".SH \"ESTADO DE SAÍDA\"\n";
  WriteItems(out, ExitStatusHelp(), false);
  out << ".SH AMBIENTE\n";
  WriteItems(out, EnvironmentHelp(), true);
  out << ".SH ARQUIVOS\n";
  WriteItems(out, FileHelp(), false);
  out << ".SH EXEMPLOS\n";
  for (const HelpItem& item : ExampleHelp()) {
    out << ".PP\n"
        << Escape(item.text) << "\n.PP\n.RS\n.nf\n"
        << Escape(item.term) << "\n.fi\n.RE\n";
  }
}

}  // namespace stock::host
