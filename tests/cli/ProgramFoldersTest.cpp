// Where the program looks for plug-ins and definitions: option, environment, installed layout,
// build tree, in that order, each folder on its own.
#include "host/ProgramFolders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class ProgramFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("STOCK_PLUGIN_DIR");
    unsetenv("STOCK_DEFINITION_DIR");
    root_ = fs::temp_directory_path() / ("folders_test_" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "bin");
  }
  void TearDown() override { fs::remove_all(root_); }

  // The folder `relative` to the program's, created.
  fs::path Make(const std::string& relative) {
    const fs::path path = (root_ / "bin" / relative).lexically_normal();
    fs::create_directories(path);
    return path;
  }
  stock::host::ProgramFolders Locate(const std::string& plugins = "",
                                     const std::string& definitions = "") {
    return stock::host::LocateProgramFolders(root_ / "bin", plugins, definitions);
  }

  fs::path root_;
};

TEST_F(ProgramFoldersTest, InstalledLayoutBeforeBuildTree) {
  const fs::path build_plugins = Make("../plugins"), build_definitions = Make("../definitions");
  EXPECT_EQ(Locate().plugins, build_plugins.string());
  EXPECT_EQ(Locate().definitions, build_definitions.string());

  const fs::path installed_plugins = Make(stock::host::InstalledPluginsFromProgram());
  EXPECT_EQ(Locate().plugins, installed_plugins.string());
  EXPECT_EQ(Locate().definitions, build_definitions.string()) << "each folder is chosen on its own";
  const fs::path installed_definitions = Make(stock::host::InstalledDefinitionsFromProgram());
  EXPECT_EQ(Locate().definitions, installed_definitions.string());
}

TEST_F(ProgramFoldersTest, NeitherFolderThereNamesTheInstalledOne) {
  const fs::path expected =
      (root_ / "bin" / stock::host::InstalledDefinitionsFromProgram()).lexically_normal();
  EXPECT_EQ(Locate().definitions, expected.string());
}

TEST_F(ProgramFoldersTest, OptionThenEnvironmentWin) {
  Make(stock::host::InstalledPluginsFromProgram());
  Make(stock::host::InstalledDefinitionsFromProgram());
  setenv("STOCK_PLUGIN_DIR", "/env/plugins", 1);
  setenv("STOCK_DEFINITION_DIR", "", 1);  // empty counts as not set
  EXPECT_EQ(Locate().plugins, "/env/plugins");
  EXPECT_EQ(Locate("/opt/plugins", "/opt/definitions").plugins, "/opt/plugins");
  EXPECT_EQ(Locate("/opt/plugins", "/opt/definitions").definitions, "/opt/definitions");
  EXPECT_NE(Locate().definitions, "");
  unsetenv("STOCK_PLUGIN_DIR");
}

}  // namespace
