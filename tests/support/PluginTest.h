#pragma once
// PluginTest: a fixture that prints the real reports through the real plug-ins over a small
// database with the suite's schema, built by each test, and records the run's trace.
//
//   TEST_F(MyReport, Something) {
//     Exec("insert into EMPRESA (...) values (...)");
//     Print("stockItems", {{"pQuebra", "1"}});
//     EXPECT_EQ(Events(), (std::vector<std::string>{"page 1 begin", "section 1", ...}));
//   }

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "reportkit/output/TraceDevice.h"

class TnClientDataSet;

namespace stock::test {

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs SQL (one or more statements) on the test database.
  void Exec(const std::string& sql);

  // Prints report `name` with the given parameters (as the command line would pass them) into
  // a fresh trace. The module stays in module_ to be looked at afterwards.
  RunOutcome Print(const std::string& name,
                   const std::vector<std::pair<std::string, std::string>>& params = {},
                   ProgressHandler progress = nullptr);

  // The message of the Exception that Print(name, params) raises, "" when it raises none.
  std::string PrintError(const std::string& name,
                         const std::vector<std::pair<std::string, std::string>>& params);

  // Opens report `name` and its main query and switches `filter` on over the main dataset,
  // as an earlier run may have left it; a following Print(name, ...) runs over that
  // dataset. Returns the dataset (owned by module_).
  TnClientDataSet* OpenFiltered(const std::string& name, const std::string& filter);

  // The trace lines, or those that start with `prefix`.
  std::vector<std::string> Lines(const std::string& prefix = "") const;
  // Page and section events only, sections without their values: "page 1 begin",
  // "section 8", "page 1 end" ...
  std::vector<std::string> Events() const;
  // The value a label showed in each printing of `section` ("" when hidden).
  std::vector<std::string> Shown(int section, const std::string& label) const;

  std::string dir_;
  std::unique_ptr<TraceDevice> trace_;
  std::unique_ptr<TnDMReport> module_;

 private:
  TnDMReport* prepared_ = nullptr;  // module_ when OpenFiltered prepared it for the next Print
};

}  // namespace stock::test
