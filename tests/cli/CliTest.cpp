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
      {"print stockItems" + Db() + " -p pCodigoEmpresa=99" + out, 3, "Nada foi impresso"},
  };
  for (const Case& c : cases) {
    CommandResult r = RunStockreportsShell(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
  }
  EXPECT_FALSE(fs::exists(dir_ + "/x.pdf"));
}

TEST_F(Cli, OutputInAMissingFolderLeavesNoFile) {
  CommandResult r = RunStockreportsShell("print stockItems" + Db() + " --out " + dir_ + "/falta/itens.pdf");
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
  EXPECT_NE(r.output.find("Competência final (dd/mm/aaaa) [padrão: 31/12/" + year + ", @fimAnoAnterior]"),
            std::string::npos) << r.output;
  r = RunStockreportsShell("print naoExiste --help");
  EXPECT_EQ(r.status, 2) << r.output;
  EXPECT_NE(r.output.find("Relatório desconhecido"), std::string::npos) << r.output;
}

TEST_F(Cli, ParametersAreNamedWhateverTheirCaseAndCheckedBeforeTheRun) {
  const std::string out = dir_ + "/caixa.trace";
  CommandResult r = RunStockreportsShell("print stockItems" + Db() + " -p PQUEBRA=0 -p pcodigoempresa=1 --out " + out);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(fs::exists(out));

  // A value that does not convert names the parameter, its label and what it accepts.
  r = RunStockreportsShell("print stockListing" + Db() + " -p pdatainicial=32/01/2026 --out " + out);
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
  CommandResult r = RunStockreportsShell("--db " + dir_ + "/demo.db --definitions " + std::string(STOCK_DEFINITIONS) +
                          " print stockItems --out " + out);
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
