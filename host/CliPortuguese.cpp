#include "host/CliPortuguese.h"

#include <memory>
#include <string_view>
#include <vector>

namespace stock::host {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The text after `marker` in `text` ("" when absent).
std::string After(const std::string& text, std::string_view marker) {
  const size_t at = text.find(marker);
  return at == std::string::npos ? std::string() : text.substr(at + marker.size());
}

}  // namespace

void UsePortuguese(CLI::App& app) {
  auto formatter = std::make_shared<CLI::Formatter>();
  const std::pair<const char*, const char*> labels[] = {
      {"Usage", "Uso"},
      {"OPTIONS", "OPÇÕES"},
      {"SUBCOMMAND", "COMANDO"},
      {"SUBCOMMANDS", "COMANDOS"},
      {"Positionals", "Argumentos"},
      {"REQUIRED", "(obrigatório)"},
      {"TEXT", "TEXTO"},
      {"INT", "INTEIRO"},
      {"UINT", "INTEIRO"},
      {"Excludes", "Exclui"},
      {"Needs", "Requer"},
      {"Env", "Variável"},
  };
  for (const auto& [key, text] : labels) formatter->label(key, text);
  app.failure_message([](const CLI::App* failed, const CLI::Error& e) {
    return "Erro: " + ParseErrorMessage(*failed, e) + "\nUse --help para ver as opções.\n";
  });
  std::vector<CLI::App*> commands{&app};
  for (CLI::App* sub : app.get_subcommands({})) commands.push_back(sub);
  for (CLI::App* cmd : commands) {
    cmd->formatter(formatter);
    cmd->set_help_flag("-h,--help", "Mostra esta ajuda e sai");
    if (cmd != &app) cmd->group("Comandos");
    for (CLI::Option* option : cmd->get_options()) {
      if (!option->get_positional()) option->group("Opções");
    }
  }
}

std::string ParseErrorMessage(const CLI::App& app, const CLI::Error& error) {
  const std::string what = error.what();
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
    if (StartsWith(what, "A subcommand")) {
      const std::vector<std::string> rest = app.remaining();
      return rest.empty() ? "Informe um comando: demo, list ou print."
                          : "Comando desconhecido: '" + rest.front() +
                                "' (os comandos são demo, list e print).";
    }
    if (EndsWith(what, " is required")) {
      const std::string name =
          what.substr(0, what.size() - std::string_view(" is required").size());
      return StartsWith(name, "-") ? "Falta a opção " + name + "."
                                   : "Falta o argumento " + name + ".";
    }
  }
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    return "Argumento não esperado: " + After(what, "expected: ");
  }
  if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr &&
      StartsWith(what, "Could not convert: ")) {
    const std::string rest = After(what, "Could not convert: ");
    const size_t eq = rest.find(" = ");
    if (eq != std::string::npos) {
      return "Valor inválido para " + rest.substr(0, eq) + ": '" + rest.substr(eq + 3) +
             "' não é um número inteiro.";
    }
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    // "Expected exactly 1 arguments to --db, got 0" or "--db: 1 required TEXT missing".
    std::string name = After(what, " arguments to ");
    name = name.substr(0, name.find(','));
    if (name.empty() && StartsWith(what, "-")) name = what.substr(0, what.find(':'));
    if (!name.empty()) return "A opção " + name + " precisa de um valor.";
  }
  if (dynamic_cast<const CLI::ExcludesError*>(&error) != nullptr) {
    const size_t at = what.find(" excludes ");
    if (at != std::string::npos) {
      return "As opções " + what.substr(0, at) + " e " + what.substr(at + 10) +
             " não podem ser usadas juntas.";
    }
  }
  return "Linha de comando inválida (" + what + ").";
}

}  // namespace stock::host
