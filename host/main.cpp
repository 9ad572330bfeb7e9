// stockreports: prints the stock-inventory reports from a company database.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "host/Commands.h"
#include "reportkit/DMReport.h"

namespace {

// Plug-ins and definitions sit beside the program's folder unless an option or the
// environment says otherwise.
void SetDirectories(const std::string& plugins, const std::string& definitions) {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::filesystem::path base = ec ? std::filesystem::current_path() : exe.parent_path().parent_path();
  auto pick = [&](const std::string& option, const char* env, const char* folder) {
    if (!option.empty()) return option;
    if (const char* value = std::getenv(env); value != nullptr && *value) return std::string(value);
    return (base / folder).string();
  };
  stock::SetPluginDirectory(pick(plugins, "STOCK_PLUGIN_DIR", "plugins"));
  stock::SetDefinitionDirectory(pick(definitions, "STOCK_DEFINITION_DIR", "definitions"));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace stock::host;
  CLI::App app{"stockreports: relatórios do inventário de estoque (livro modelo 7, termos, "
               "listagens e relações de produtos) impressos do banco de dados da empresa."};
  app.require_subcommand(1);
  std::string plugins, definitions;
  app.add_option("--plugins", plugins, "Pasta das bibliotecas de relatório (padrão: ../plugins)");
  app.add_option("--definitions", definitions, "Pasta das definições de relatório (padrão: ../definitions)");

  DemoArgs demo;
  CLI::App* demo_cmd = app.add_subcommand("demo", "Cria um banco de dados de demonstração");
  demo_cmd->add_option("--db", demo.db, "Arquivo do banco a criar, ou servidor PostgreSQL (postgresql://...)")->capture_default_str();
  demo_cmd->add_option("--products", demo.products, "Número de produtos")->capture_default_str();
  demo_cmd->add_option("--months", demo.months, "Meses de inventário")->capture_default_str();
  demo_cmd->add_option("--year", demo.year, "Primeiro ano dos inventários")->capture_default_str();
  demo_cmd->add_option("--seed", demo.seed, "Semente dos dados")->capture_default_str();
  demo_cmd->add_flag("--force", demo.force, "Substitui o arquivo se ele existir");

  app.add_subcommand("list", "Lista os relatórios e seus parâmetros");

  PrintArgs print;
  CLI::App* print_cmd = app.add_subcommand("print", "Imprime um relatório");
  print_cmd->add_option("report", print.report, "Nome do relatório (veja 'stockreports list')")->required();
  print_cmd->add_option("--definition", print.definition,
                        "Definição a usar, quando o relatório tem mais de uma (ex.: taxBookTermsGraphicP1)");
  print_cmd->add_option("--db", print.db, "Arquivo do banco de dados, ou servidor PostgreSQL (postgresql://...)")->required();
  print_cmd->add_option("-p,--param", print.params, "Parâmetro do relatório: nome=valor (repetível)");
  print_cmd->add_option("--out", print.out, "Arquivo de saída: .pdf, .txt, .png ou .trace")->required();
  bool yes = false, no = false;
  auto* yes_opt = print_cmd->add_flag("--yes", yes, "Responde 'sim' às perguntas do relatório");
  print_cmd->add_flag("--no", no, "Responde 'não' às perguntas do relatório")->excludes(yes_opt);
  print_cmd->add_flag("-q,--quiet", print.quiet, "Sem barra de progresso");
  print_cmd->add_flag("--cloud", print.cloud,
                      "Modo hospedado (nuvem): os relatórios não pedem confirmações");

  ServeArgs serve;
  CLI::App* serve_cmd = app.add_subcommand("serve", "Abre as telas de parâmetros no navegador");
  serve_cmd->add_option("--db", serve.db, "Arquivo do banco de dados")->required();
  serve_cmd->add_option("--port", serve.port, "Porta")->capture_default_str()->check(CLI::Range(0, 65535));
  serve_cmd->add_option("--bind", serve.bind, "Endereço em que escutar")->capture_default_str();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsage;
  }
  SetDirectories(plugins, definitions);
  if (app.got_subcommand("demo")) return RunDemo(demo);
  if (app.got_subcommand("list")) return RunList();
  if (app.got_subcommand("serve")) return RunServe(serve);
  print.answers = yes ? Answers::Yes : no ? Answers::No : Answers::Ask;
  return RunPrint(print);
}
