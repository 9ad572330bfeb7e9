// The book terms printed from the command line: the plug-in's name with either definition.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/CommandRun.h"

namespace {

using stock::test::CommandResult;
using stock::test::RunStockreportsShell;

namespace fs = std::filesystem;

class TermsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/termscli-XXXXXX";
    dir_ = mkdtemp(pattern);
    ASSERT_EQ(
        RunStockreportsShell("demo --months 1 --products 20 --db " + dir_ + "/demo.db").status, 0);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Print(const std::string& extra, const std::string& out) {
    return "print stockBookTerms --db " + dir_ + "/demo.db -p pNumeroFolha=300 " +
           "-p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026 " + extra + " --out " + dir_ + "/" +
           out;
  }
  std::string dir_;
};

TEST_F(TermsCli, PortraitByDefaultLandscapeByDefinition) {
  CommandResult r = RunStockreportsShell(Print("-p pCodigoEmpresa=1", "retrato.trace"));
  ASSERT_EQ(r.status, 0) << r.output;
  // Company 1's head office is printed on one side: opening and closing terms.
  EXPECT_NE(r.output.find("2 páginas"), std::string::npos) << r.output;

  r = RunStockreportsShell(Print(
      "--definition taxBookTermsGraphicP1 -p pCodigoEmpresa=2 -p pAssinSocio=2", "paisagem.pdf"));
  ASSERT_EQ(r.status, 0) << r.output;
  // Company 2's book is front and back: the opening term's verso is blank.
  EXPECT_NE(r.output.find("3 páginas"), std::string::npos) << r.output;
  EXPECT_TRUE(fs::exists(dir_ + "/paisagem.pdf"));

  r = RunStockreportsShell(Print("--definition stockItems", "x.pdf"));
  EXPECT_EQ(r.status, 2) << r.output;
  EXPECT_NE(r.output.find("taxBookTermsGraphicP1"), std::string::npos) << r.output;

  r = RunStockreportsShell(Print("-p pNumeroLivro=dez", "erro.pdf"));
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("pNumeroLivro"), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(dir_ + "/erro.pdf"));

  r = RunStockreportsShell("list");
  EXPECT_NE(r.output.find("stockreports print stockBookTerms --definition taxBookTermsGraphicP1"),
            std::string::npos)
      << r.output;
}

}  // namespace
