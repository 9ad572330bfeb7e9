#pragma once
// Shared set-up of the report-kit tests: a scratch folder for definitions and databases, the
// default connection, and a report printing into an in-memory trace.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "reportkit/Report.h"
#include "reportkit/ReportDocument.h"
#include "reportkit/output/TraceDevice.h"

namespace stock::test {

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes definitions/<name>.json in the scratch folder.
  void WriteDefinition(const std::string& name, const std::string& json);
  // Creates a database in the scratch folder from `sql` and makes it the default connection.
  void OpenDatabase(const std::string& sql);

  // A report over an in-memory definition, printing into trace_ (BeginPass done).
  TnrwReport& StartReport(const std::string& json);

  // The trace lines, or only those starting with `prefix`.
  std::vector<std::string> Lines(const std::string& prefix = "") const;

  std::string dir_;
  TraceDevice trace_;
  ReportDocument document_;
  std::unique_ptr<TnrwReport> report_;
};

// A definition with a 100-unit page header (section 1, showing @PageNo), a 20-unit heading
// (2), a 200-unit detail (8) showing pLinha and a 20-unit closing band (9). On A4 the body
// holds the header and four details.
std::string SmallDefinition(const std::string& name = "pequeno", const std::string& plugin = "",
                            const std::string& extra_labels = "");

}  // namespace stock::test
