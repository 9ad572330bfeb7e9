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

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string output;  // stdout and stderr together
};

// Runs the command with `args` (already quoted for the shell).
Result Stockreports(const std::string& args) {
  // The program finds its plug-ins and definitions next to itself.
  const std::string command = "env -u STOCK_PLUGIN_DIR -u STOCK_DEFINITION_DIR " +
                              std::string(STOCKREPORTS_EXE) + " " + args + " 2>&1";
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class Cli : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/clitest-XXXXXX";
    dir_ = mkdtemp(pattern);
    ASSERT_EQ(Stockreports("demo --db " + dir_ + "/demo.db").status, 0);
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }
  static std::string Db() { return " --db " + dir_ + "/demo.db"; }
  static std::string dir_;
};
std::string Cli::dir_;

TEST_F(Cli, PrintsTheProductListToEveryFormat) {
  for (const char* ext : {"pdf", "txt", "trace", "png"}) {
    const std::string out = dir_ + "/itens." + ext;
    Result r = Stockreports("print stockItems" + Db() + " --out " + out);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("páginas"), std::string::npos) << r.output;
    EXPECT_TRUE(fs::exists(out)) << out;
  }
}

TEST_F(Cli, ListShowsReportsWithTheirParameters) {
  Result r = Stockreports("list");
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
      {"print stockItems" + Db() + " -p pQuebra=abc" + out, 1, "pQuebra (Nova página por empresa (1 = sim)): 'abc' não é um inteiro válido"},
      {"print naoExiste" + Db() + out, 2, "stockItems"},
      {"print stockItems" + Db() + " -p pNada=1" + out, 2, "pNada"},
      {"print stockItems" + Db() + " -p semigual" + out, 2, "nome=valor"},
      {"print stockItems --db " + dir_ + "/nao.db" + out, 1, "nao.db"},
      {"print stockItems" + Db() + " -p 'pCodigoEmpresa=1; drop table EMPRESA'" + out, 1, "não é um intervalo válido"},
      {"print stockItems" + Db() + " --out " + dir_ + "/x.doc", 1, "x.doc"},
      {"print stockItems" + Db(), 2, "--out"},
      {"bogus", 2, ""},
      {"print stockItems" + Db() + " -p pCodigoEmpresa=99" + out, 3, "Nada foi impresso"},
  };
  for (const Case& c : cases) {
    Result r = Stockreports(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
  }
  EXPECT_FALSE(fs::exists(dir_ + "/x.pdf"));
}

TEST_F(Cli, OutputInAMissingFolderLeavesNoFile) {
  Result r = Stockreports("print stockItems" + Db() + " --out " + dir_ + "/falta/itens.pdf");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("falta/itens.pdf"), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(dir_ + "/falta"));
}

TEST_F(Cli, HelpOnEveryCommand) {
  for (const char* cmd : {"--help", "demo --help", "list --help", "print --help"}) {
    Result r = Stockreports(cmd);
    EXPECT_EQ(r.status, 0) << cmd;
    EXPECT_NE(r.output.find("Usage"), std::string::npos) << cmd << r.output;
  }
}

// Ctrl-C during a print: the run ends with 3 (stopped, nothing written) or, when the print
// finished first, 0 with the whole file. Never a partial file.
TEST_F(Cli, InterruptLeavesNoPartialFile) {
  const std::string db = dir_ + "/grande.db";
  ASSERT_EQ(Stockreports("demo --products 60000 --months 1 --db " + db).status, 0);
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
