// `stockreports efd` run as a person runs it: the demo's file written and checked, exit codes
// and messages of what goes wrong.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/CommandRun.h"

namespace {

using stock::test::CommandResult;
using stock::test::RunStockreportsShell;

namespace fs = std::filesystem;

class EfdCli : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/efdclitest-XXXXXX";
    dir_ = mkdtemp(pattern);
    ASSERT_EQ(RunStockreportsShell("demo --db " + dir_ + "/demo.db").status, 0);
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }
  static std::string Db() { return " --db " + dir_ + "/demo.db"; }
  static std::string dir_;
};
std::string EfdCli::dir_;

TEST_F(EfdCli, WritesTheDemoFileAndChecksIt) {
  const std::string out = dir_ + "/efd.txt";
  CommandResult r = RunStockreportsShell("efd" + Db() +
                                         " -p pCodigoEmpresa=1 -p pCodigoEstab=1 "
                                         "-p pDataInventario=31/12/2026 --out " +
                                         out);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("leiaute 020, período 01/02/2027 a 28/02/2027"), std::string::npos)
      << r.output;
  r = RunStockreportsShell("efd" + Db() + " --check " + out);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("confere com o livro e a listagem"), std::string::npos) << r.output;

  // The same file with a cent more in a line: its H005 no longer adds up, and the database
  // names the item.
  std::ifstream in(out, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t h010 = text.find("|H010|");
  const size_t value_end = text.find("|0|", h010);
  ASSERT_NE(value_end, std::string::npos);
  text[value_end - 1] =
      text[value_end - 1] == '9' ? '8' : static_cast<char>(text[value_end - 1] + 1);
  std::ofstream(dir_ + "/changed.txt", std::ios::binary) << text;
  r = RunStockreportsShell("efd" + Db() + " --check " + dir_ + "/changed.txt");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("Erro: Linha"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Diferença: H005 de 31/12/2026 (motivo 1), H010 do item"),
            std::string::npos)
      << r.output;
}

TEST_F(EfdCli, ListAndUsage) {
  CommandResult r = RunStockreportsShell("list");
  EXPECT_NE(r.output.find("efd - Bloco H da EFD ICMS/IPI"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("pDataInventario (data) [obrigatório]"), std::string::npos) << r.output;
  struct Case {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"efd" + Db() + " --out " + dir_ + "/x.txt", 2,
       "Falta o parâmetro obrigatório pDataInventario"},
      {"efd" + Db() + " -p pDataInventario=31/02/2026 --out " + dir_ + "/x.txt", 2,
       "não é uma data válida"},
      {"efd" + Db() + " -p pDataInventario=31/12/2026 -p pMotivoInventario=6 --out " + dir_ +
           "/x.txt",
       2, "de 1 a 5"},
      {"efd" + Db() + " -p pDataInventario=31/12/2026 -p pPeriodo=2027-02 --out " + dir_ + "/x.txt",
       2, "mm/aaaa"},
      {"efd" + Db() + " -p pDataInventario=31/12/2026", 2, "Falta a opção --out"},
      {"efd" + Db() + " -p pDataInventario=31/12/2026 -p pCodigoEstab=7 --out " + dir_ + "/x.txt",
       1, "O estabelecimento 7 da empresa 1 não existe"},
      {"efd" + Db() + " -p pDataInventario=31/12/2026 --out " + dir_ + "/nao/existe/x.txt", 1,
       "Não foi possível criar"},
      {"efd" + Db() + " --check " + dir_ + "/demo.db", 1, "não é"},
      {"efd" + Db() + " --check " + dir_ + "/ausente.txt", 1, "Não foi possível ler"},
  };
  for (const Case& c : cases) {
    r = RunStockreportsShell(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
  }
  EXPECT_FALSE(fs::exists(dir_ + "/x.txt"));
}

}  // namespace
