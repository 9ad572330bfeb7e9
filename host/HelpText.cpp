#include "host/HelpText.h"

#include "host/ProgramFolders.h"

namespace stock::host {

#ifndef STOCK_VERSION
#error "STOCK_VERSION must name the program's version"
#endif

std::string VersionText() { return std::string("stockreports ") + STOCK_VERSION; }

const char* ProgramSummary() { return "relatórios do inventário de estoque"; }

const char* ProgramDescription() {
  return "stockreports: relatórios do inventário de estoque (livro modelo 7, termos, "
         "listagens e relações de produtos) impressos do banco de dados da empresa.";
}

std::vector<HelpItem> ExitStatusHelp() {
  return {{"0", "Impresso (ou comando concluído)."},
          {"1", "Erro: banco de dados, relatório, arquivo de saída."},
          {"2", "Linha de comando inválida (opção, parâmetro ou valor)."},
          {"3", "Interrompido sem imprimir (Ctrl-C, confirmação recusada ou nada a imprimir)."}};
}

std::vector<HelpItem> EnvironmentHelp() {
  return {
      {"STOCK_PLUGIN_DIR", "Pasta das bibliotecas de relatório, quando não há --plugins."},
      {"STOCK_DEFINITION_DIR", "Pasta das definições de relatório, quando não há --definitions."},
      {"PGPASSWORD", "Senha do servidor PostgreSQL (ou ~/.pgpass, ou um arquivo de serviço)."}};
}

std::vector<HelpItem> FileHelp() {
  return {{InstalledPluginsFromProgram(),
           "As bibliotecas de relatório, a partir da pasta do programa (../plugins quando ele roda "
           "da pasta de compilação)."},
          {InstalledDefinitionsFromProgram(),
           "As definições de relatório, uma por arquivo JSON (../definitions na pasta de "
           "compilação)."},
          {"/etc/stockreports/serve.conf",
           "O banco de dados e a porta do serviço stockreports.service (stockreports serve)."}};
}

std::vector<HelpItem> ExampleHelp() {
  return {
      {"stockreports demo --db demo.db", "Cria um banco de dados de demonstração."},
      {"stockreports list", "Lista os relatórios, seus parâmetros e valores padrão."},
      {"stockreports print stockItems --db demo.db -p pCodigoEmpresa=\"1;3..5\" -p pQuebra=1 "
       "--out itens.pdf",
       "Imprime a relação de produtos das empresas 1, 3, 4 e 5 em PDF."},
      {"stockreports print stockBookTerms --definition taxBookTermsGraphicP1 --db demo.db "
       "-p pNumeroFolha=300 -p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026 --out termos.pdf",
       "Imprime os termos do livro no leiaute paisagem."},
      {"stockreports serve --db demo.db --port 8080",
       "Abre as telas de parâmetros em http://127.0.0.1:8080/."}};
}

namespace {

void AppendSection(std::string& out, const char* heading, const std::vector<HelpItem>& items) {
  out += "\n";
  out += heading;
  out += ":\n";
  for (const HelpItem& item : items) out += "  " + item.term + "\n      " + item.text + "\n";
}

}  // namespace

std::string HelpFooter() {
  std::string out;
  AppendSection(out, "Estado de saída", ExitStatusHelp());
  AppendSection(out, "Variáveis de ambiente", EnvironmentHelp());
  AppendSection(out, "Exemplos", ExampleHelp());
  return out;
}

}  // namespace stock::host
