// stockreports: prints the stock-inventory reports from a company database.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "host/CliPortuguese.h"
#include "host/Commands.h"
#include "host/HelpText.h"
#include "host/ProgramFolders.h"
#include "host/Tooling.h"
#include "reportkit/DMReport.h"
#include "rtl/LargeAllocations.h"

namespace {

// Where the command finds the database, the plug-ins and the definitions. Given before or
// after the command: the main program and each command bind the same variables.
struct Places {
  std::string db, plugins, definitions;
};

void AddPlaceOptions(CLI::App& cmd, Places& places, const char* db_help) {
  if (db_help != nullptr) cmd.add_option("--db", places.db, db_help)->type_name("ARQUIVO");
  cmd.add_option("--plugins", places.plugins,
                 std::string("Pasta das bibliotecas de relatório (padrão: ") +
                     stock::host::InstalledPluginsFromProgram() + " a partir da pasta do programa)")
      ->type_name("PASTA");
  cmd.add_option("--definitions", places.definitions,
                 std::string("Pasta das definições de relatório (padrão: ") +
                     stock::host::InstalledDefinitionsFromProgram() +
                     " a partir da pasta do programa)")
      ->type_name("PASTA");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace stock::host;
  stock::UseSteadyLargeAllocations();
  CLI::App app{ProgramDescription(), "stockreports"};
  app.set_version_flag("--version", VersionText(), "Mostra a versão do programa e sai");
  app.footer(HelpFooter());
  app.require_subcommand(1);
  app.fallthrough();  // an option of the program given after the command still counts
  Places places;
  AddPlaceOptions(app, places, "Arquivo do banco de dados");

  DemoArgs demo;
  CLI::App* demo_cmd = app.add_subcommand("demo", "Cria um banco de dados de demonstração");
  AddPlaceOptions(
      *demo_cmd, places,
      "Arquivo do banco a criar, ou servidor PostgreSQL (postgresql://...); padrão: demo.db");
  demo_cmd->add_option("--products", demo.products, "Número de produtos")->capture_default_str();
  demo_cmd->add_option("--months", demo.months, "Meses de inventário")->capture_default_str();
  demo_cmd->add_option("--year", demo.year, "Primeiro ano dos inventários")->capture_default_str();
  demo_cmd->add_option("--seed", demo.seed, "Semente dos dados")->capture_default_str();
  demo_cmd->add_flag("--force", demo.force, "Substitui o arquivo se ele existir");

  CLI::App* list_cmd = app.add_subcommand("list", "Lista os relatórios e seus parâmetros");
  AddPlaceOptions(*list_cmd, places, nullptr);

  PrintArgs print;
  CLI::App* print_cmd = app.add_subcommand(
      "print",
      "Imprime um relatório ('stockreports print RELATORIO --help' lista os parâmetros dele)");
  print_cmd->add_option("report", print.report, "Nome do relatório (veja 'stockreports list')")
      ->type_name("RELATORIO")
      ->required();
  print_cmd
      ->add_option(
          "--definition", print.definition,
          "Definição a usar, quando o relatório tem mais de uma (ex.: taxBookTermsGraphicP1)")
      ->type_name("DEFINICAO");
  AddPlaceOptions(
      *print_cmd, places,
      "Arquivo do banco de dados, ou servidor PostgreSQL (postgresql://...) (obrigatório)");
  print_cmd
      ->add_option("-p,--param", print.params, "Parâmetro do relatório: nome=valor (repetível)")
      ->type_name("NOME=VALOR");
  print_cmd->add_option("--out", print.out, "Arquivo de saída: .pdf, .txt, .png ou .trace")
      ->type_name("ARQUIVO")
      ->required();
  bool yes = false, no = false;
  auto* yes_opt = print_cmd->add_flag("--yes", yes, "Responde 'sim' às perguntas do relatório");
  print_cmd->add_flag("--no", no, "Responde 'não' às perguntas do relatório")->excludes(yes_opt);
  print_cmd->add_flag("-q,--quiet", print.quiet, "Sem barra de progresso");
  print_cmd->add_flag("--cloud", print.cloud,
                      "Modo hospedado (nuvem): os relatórios não pedem confirmações");

  EfdArgs efd;
  CLI::App* efd_cmd = app.add_subcommand(
      "efd",
      "Grava o Bloco H (inventário) da EFD ICMS/IPI, ou confere um arquivo da EFD com --check");
  AddPlaceOptions(
      *efd_cmd, places,
      "Arquivo do banco de dados, ou servidor PostgreSQL (postgresql://...) (obrigatório)");
  efd_cmd
      ->add_option("-p,--param", efd.params,
                   "Parâmetro: nome=valor (repetível; veja 'stockreports list')")
      ->type_name("NOME=VALOR");
  auto* efd_out =
      efd_cmd->add_option("--out", efd.out, "Arquivo da EFD a gravar (.txt)")->type_name("ARQUIVO");
  efd_cmd
      ->add_option("--check", efd.check,
                   "Confere o arquivo da EFD com o leiaute e com o banco, em vez de gravar")
      ->type_name("ARQUIVO")
      ->excludes(efd_out);

  ServeArgs serve;
  CLI::App* serve_cmd = app.add_subcommand("serve", "Abre as telas de parâmetros no navegador");
  AddPlaceOptions(
      *serve_cmd, places,
      "Arquivo do banco de dados, ou servidor PostgreSQL (postgresql://...) (obrigatório)");
  serve_cmd->add_option("--port", serve.port, "Porta")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  serve_cmd->add_option("--bind", serve.bind, "Endereço em que escutar")->capture_default_str();
  serve_cmd->add_option("--host", serve.hosts,
                        "Nome pelo qual o servidor é acessado, além do endereço (repetível); "
                        "requisições a outros nomes são recusadas");

  UsePortuguese(app);
  if (argc >= 2 && IsToolingCommand(argv[1])) {
    UseProgramFolders("", "");
    return RunToolingCommand(app, argc - 1, argv + 1);
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    if (print_cmd->parsed() && !print.report.empty()) {  // print REPORT --help
      UseProgramFolders(places.plugins, places.definitions);
      std::cout << app.help();
      return RunReportHelp(print);
    }
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsage;
  }
  UseProgramFolders(places.plugins, places.definitions);
  if (app.got_subcommand("demo")) {
    if (!places.db.empty()) demo.db = places.db;
    return RunDemo(demo);
  }
  if (app.got_subcommand("list")) return RunList();
  if (places.db.empty()) {
    std::cerr << "Erro: falta a opção --db (o arquivo do banco de dados).\n"
                 "Use --help para ver as opções.\n";
    return kUsage;
  }
  if (app.got_subcommand("serve")) {
    serve.db = places.db;
    return RunServe(serve);
  }
  if (app.got_subcommand("efd")) {
    efd.db = places.db;
    return RunEfd(efd);
  }
  print.db = places.db;
  print.answers = yes ? Answers::Yes : no ? Answers::No : Answers::Ask;
  return RunPrint(print);
}
