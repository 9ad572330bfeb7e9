// The stockreports command run as a person runs it: exit codes, messages and files.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "rtl/DateTime.h"
#include "support/CommandRun.h"

namespace {

using stock::test::CommandResult;
using stock::test::RunStockreportsShell;

namespace fs = std::filesystem;

class Cli : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/clitest-XXXXXX";
    dir_ = mkdtemp(pattern);
    ASSERT_EQ(RunStockreportsShell("demo --db " + dir_ + "/demo.db").status, 0);
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }
  static std::string Db() { return " --db " + dir_ + "/demo.db"; }
  static std::string dir_;
};
std::string Cli::dir_;

TEST_F(Cli, PrintsTheProductListToEveryFormat) {
  for (const char* ext : {"pdf", "txt", "trace", "png"}) {
    const std::string out = dir_ + "/itens." + ext;
    CommandResult r = RunStockreportsShell("print stockItems" + Db() + " --out " + out);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("páginas"), std::string::npos) << r.output;
    EXPECT_TRUE(fs::exists(out)) << out;
  }
}

TEST_F(Cli, ListShowsReportsWithTheirParameters) {
  CommandResult r = RunStockreportsShell("list");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("stockItems - Relação de Produtos"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("pQuebra (inteiro)"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("[padrão: 1]"), std::string::npos) << r.output;
}

TEST_F(Cli, ErrorsAndUsageHaveTheirExitCodes) {
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  const std::string out = " --out " + dir_ + "/x.pdf";
  const Case cases[] = {
      {"print stockItems" + Db() + " -p pQuebra=abc" + out, 1,
       "pQuebra (Nova página por empresa): 'abc' não é um inteiro válido"},
      {"print naoExiste" + Db() + out, 2, "stockItems"},
      {"print stockItems" + Db() + " -p pNada=1" + out, 2, "pNada"},
      {"print stockItems" + Db() + " -p semigual" + out, 2, "nome=valor"},
      {"print stockItems --db " + dir_ + "/nao.db" + out, 1, "nao.db"},
      {"print stockItems" + Db() + " -p 'pCodigoEmpresa=1; drop table EMPRESA'" + out, 1,
       "'1; drop table EMPRESA' não é um intervalo válido"},
      {"print stockItems" + Db() + " --out " + dir_ + "/x.doc", 1, "x.doc"},
      {"print stockItems" + Db(), 2, "Falta a opção --out"},
      {"print stockItems" + out, 2, "falta a opção --db"},
      {"bogus", 2, "Comando desconhecido: 'bogus'"},
      {"print stockItems extra" + Db() + out, 2, "Argumento não esperado: extra"},
      {"", 2, "Informe um comando"},
      {"demo --products abc --db " + dir_ + "/outro.db", 2, "'abc' não é um número inteiro"},
      {"print stockItems --yes --no" + Db() + out, 2, "não podem ser usadas juntas"},
      {"print stockItems" + Db() + " -p pCodigoEmpresa=99" + out, 1, "Erro: Empresa 99 não existe"},
      {"print stockItems" + Db() + " -p pClassifGrupoProduto=ZZ" + out, 3, "Nada foi impresso"},
  };
  for (const Case& c : cases) {
    CommandResult r = RunStockreportsShell(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
  }
  EXPECT_FALSE(fs::exists(dir_ + "/x.pdf"));
}

TEST_F(Cli, NoticesAreToldAndQuestionsAnsweredInEveryWayOfRunning) {
  // A copy of the database: an answered confirmation records the printed month.
  fs::copy_file(dir_ + "/demo.db", dir_ + "/dialogos.db", fs::copy_options::overwrite_existing);
  const std::string registro = "env -u STOCK_PLUGIN_DIR -u STOCK_DEFINITION_DIR " +
                               std::string(STOCKREPORTS_EXE) + " print stockRegister --db " + dir_ +
                               "/dialogos.db -p pCodigoEmpresa=1 -p pCompetInicial=01/09/2026 "
                               "-p pCompetFinal=30/09/2026 --out " +
                               dir_ + "/dialogos.pdf";
  const std::string warning = registro + " -p pCodigoEstab=3";  // closed in August: a notice
  const std::string question = registro + " -p pCodigoEstab=1 -p pAtualizarControleLivro=1";
  // A terminal is given by script(1); `typed` is what the person types there.
  auto on_terminal = [](const std::string& command, const std::string& typed) {
    return "printf '" + typed + "' | script -qec \"" + command + "\" /dev/null";
  };
  const std::string notice = "Aviso: Esta empresa está inativa no período informado!";
  const std::string asked = "Deseja realmente atualizar";
  struct Case {
    std::string command;
    int status;
    std::vector<std::string> shown, not_shown;
  };
  const Case cases[] = {
      {warning + " < /dev/null",
       3,
       {notice, "Mensagem: Impressão cancelada.", "Nada foi impresso"},
       {"Escolha"}},
      {warning + " --yes < /dev/null", 3, {notice, "Impressão cancelada."}, {}},
      {warning + " --no < /dev/null", 3, {notice, "Impressão cancelada."}, {}},
      {on_terminal(warning, ""), 3, {notice, "Impressão cancelada."}, {"Escolha"}},
      {question + " < /dev/null",
       1,
       {"não há terminal para respondê-la (use --yes ou --no)"},
       {"Aviso:"}},
      {question + " --no < /dev/null", 3, {"A impressão foi cancelada pelo usuário."}, {"Aviso:"}},
      {on_terminal(question, "2\\n"), 3, {asked, "Escolha [1-2]", "cancelada pelo usuário"}, {}},
      {on_terminal(question, "1\\n"), 0, {asked, "Escolha [1-2]", "dialogos.pdf: "}, {}},
      {question + " --yes < /dev/null", 0, {"dialogos.pdf: "}, {asked}},
  };
  for (const Case& c : cases) {
    std::string output;
    FILE* pipe = popen((c.command + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
    const int status = pclose(pipe);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status) << c.command << "\n"
                                                                      << output;
    for (const std::string& text : c.shown)
      EXPECT_NE(output.find(text), std::string::npos) << text << "\n" << output;
    for (const std::string& text : c.not_shown)
      EXPECT_EQ(output.find(text), std::string::npos) << text << "\n" << output;
  }
}

TEST_F(Cli, OutputInAMissingFolderLeavesNoFile) {
  CommandResult r =
      RunStockreportsShell("print stockItems" + Db() + " --out " + dir_ + "/falta/itens.pdf");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("falta/itens.pdf"), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(dir_ + "/falta"));
}

TEST_F(Cli, HelpOnEveryCommandInPortuguese) {
  for (const char* cmd : {"--help", "demo --help", "list --help", "print --help"}) {
    CommandResult r = RunStockreportsShell(cmd);
    EXPECT_EQ(r.status, 0) << cmd;
    EXPECT_NE(r.output.find("Uso: stockreports"), std::string::npos) << cmd << r.output;
    EXPECT_NE(r.output.find("Opções:"), std::string::npos) << cmd << r.output;
    EXPECT_NE(r.output.find("Mostra esta ajuda"), std::string::npos) << cmd << r.output;
    EXPECT_EQ(r.output.find("Usage"), std::string::npos) << cmd << r.output;
  }
}

TEST_F(Cli, PrintHelpOfAReportListsItsParameters) {
  CommandResult r = RunStockreportsShell("print stockListing --help");
  EXPECT_EQ(r.status, 0) << r.output;
  // The period defaults to the year before the day of the run.
  const std::string year = std::to_string(DecodeDate(Now()).year - 1);
  for (const std::string& expected :
       {std::string("Uso: stockreports print"), std::string("Parâmetros de stockListing"),
        std::string("pDataInicial (data)"), "[padrão: 01/01/" + year + ", @inicioAnoAnterior]",
        "ex.: -p pDataFinal=31/12/" + year, std::string("ex.: -p pModelo=1"),
        std::string("ex.: -p pCodigoEmpresa=\"1;3;5..9\"")}) {
    EXPECT_NE(r.output.find(expected), std::string::npos) << expected << "\n" << r.output;
  }
  r = RunStockreportsShell("list");
  EXPECT_NE(
      r.output.find("Competência final (dd/mm/aaaa) [padrão: 31/12/" + year + ", @fimAnoAnterior]"),
      std::string::npos)
      << r.output;
  r = RunStockreportsShell("print naoExiste --help");
  EXPECT_EQ(r.status, 2) << r.output;
  EXPECT_NE(r.output.find("Relatório desconhecido"), std::string::npos) << r.output;
}

TEST_F(Cli, ParametersAreNamedWhateverTheirCaseAndCheckedBeforeTheRun) {
  const std::string out = dir_ + "/caixa.trace";
  CommandResult r = RunStockreportsShell("print stockItems" + Db() +
                                         " -p PQUEBRA=0 -p pcodigoempresa=1 --out " + out);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(fs::exists(out));

  // A value that does not convert names the parameter, its label and what it accepts.
  r = RunStockreportsShell("print stockListing" + Db() + " -p pdatainicial=32/01/2026 --out " +
                           out);
  EXPECT_EQ(r.status, 1) << r.output;
  for (const char* expected : {"pDataInicial (Data inicial)", "'32/01/2026'", "dd/mm/aaaa"}) {
    EXPECT_NE(r.output.find(expected), std::string::npos) << expected << "\n" << r.output;
  }
}

TEST_F(Cli, RequiredParameterIsMarkedInTheListAndNamedWhenMissing) {
  CommandResult r = RunStockreportsShell("list");
  EXPECT_NE(r.output.find("pDataInicial (data) [obrigatório]"), std::string::npos) << r.output;
  r = RunStockreportsShell("print stockBalances" + Db() + " --out " + dir_ + "/saldos.pdf");
  EXPECT_EQ(r.status, 2) << r.output;
  EXPECT_NE(r.output.find("Falta o parâmetro obrigatório pDataInicial"), std::string::npos)
      << r.output;
  EXPECT_FALSE(fs::exists(dir_ + "/saldos.pdf"));
}

TEST_F(Cli, PlaceOptionsGoBeforeOrAfterTheCommand) {
  const std::string out = dir_ + "/antes.txt";
  CommandResult r =
      RunStockreportsShell("--db " + dir_ + "/demo.db --definitions " +
                           std::string(STOCK_DEFINITIONS) + " print stockItems --out " + out);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(fs::exists(out));
  r = RunStockreportsShell("list --definitions " + dir_);  // a folder without definitions
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("Nenhum relatório encontrado em " + dir_), std::string::npos) << r.output;
}

TEST_F(Cli, DemoOntoAnExistingFileSaysHowToReplaceIt) {
  CommandResult r = RunStockreportsShell("demo --db " + dir_ + "/demo.db");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("--force"), std::string::npos) << r.output;
}

// Ctrl-C during a print: the run ends with 3 (stopped, nothing written) or, when the print
// finished first, 0 with the whole file. Never a partial file.
TEST_F(Cli, InterruptLeavesNoPartialFile) {
  const std::string db = dir_ + "/grande.db";
  ASSERT_EQ(RunStockreportsShell("demo --products 60000 --months 1 --db " + db).status, 0);
  const std::string out = dir_ + "/grande.txt";
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("STOCK_PLUGIN_DIR", "", 1);
    setenv("STOCK_DEFINITION_DIR", "", 1);
    execl(STOCKREPORTS_EXE, "stockreports", "print", "stockItems", "--db", db.c_str(), "--out",
          out.c_str(), "-q", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Interrupt once the output file has been opened (its temporary name appears), unless the
  // print is over by then.
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 4000 && !ended; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      ended = true;
      break;
    }
    bool opened = false;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      opened = opened || entry.path().filename().string().rfind("grande.txt.tmp", 0) == 0;
    }
    if (opened) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!ended) {
    kill(pid, SIGINT);
    waitpid(pid, &status, 0);
  }
  ASSERT_TRUE(WIFEXITED(status));
  const int code = WEXITSTATUS(status);
  EXPECT_TRUE(code == 3 || code == 0) << code;
  EXPECT_EQ(fs::exists(out), code == 0);
  for (const auto& entry : fs::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

}  // namespace
