#pragma once
// The commands of `stockreports`. Each returns the process exit status: 0 printed (or done),
// 1 error, 2 usage, 3 stopped without printing.

#include <string>
#include <utility>
#include <vector>

#include "efdkit/BlocoHExport.h"
#include "host/Terminal.h"
#include "reportkit/ReportDefinition.h"

namespace stock::host {

enum ExitStatus { kOk = 0, kError = 1, kUsage = 2, kStopped = 3 };

struct DemoArgs {
  std::string db = "demo.db";
  int products = 300;
  int months = 12;
  int year = 2026;
  unsigned seed = 1;
  bool force = false;
};

struct PrintArgs {
  std::string report;  // a definition, or a plug-in bound to several (stockBookTerms)
  std::string
      definition;  // which of the plug-in's definitions; empty: the report itself or the first
  std::string db;
  std::vector<std::string> params;  // "name=value"
  std::string out;
  Answers answers = Answers::Ask;
  bool quiet = false;
  bool cloud = false;  // hosted mode: reports ask no confirmation
};

struct ServeArgs {
  std::string db;
  int port = 8080;
  std::string bind = "127.0.0.1";
  std::vector<std::string> hosts;  // names the server is reached by, besides its address
};

int RunDemo(const DemoArgs& args);
struct EfdArgs {
  std::string db;
  std::vector<std::string> params;  // "name=value"
  std::string out;                  // the file to write
  std::string check;                // the file to check instead
};

int RunList();
// Describes the parameters of the definition `args` would print (after the print command's
// help).
int RunReportHelp(const PrintArgs& args);

// The definition printed for report `requested` and --definition `definition`: the report
// itself, the plug-in's definition named, or the plug-in's first. Writes the error and returns
// "" when there is none.
std::string ChooseDefinition(const std::string& requested, const std::string& definition);
int RunPrint(const PrintArgs& args);
// Writes the Bloco H of an EFD ICMS/IPI file, or checks one (--check) against the layout and
// the database: 0 written (or checked and in agreement), 1 error or differences, 2 usage.
int RunEfd(const EfdArgs& args);
// The parameters of `efd`, described and checked as a report's.
const ReportDefinition& EfdDefinition();
// The export that the "name=value" texts ask for (`out` left empty). Raises UsageError naming
// the parameter, its label and what it accepts.
efd::ExportRequest MakeEfdRequest(const std::vector<std::string>& params);

// Serves the parameter screens in a browser until Ctrl-C (or SIGTERM).
int RunServe(const ServeArgs& args);

// Names of the reports in the definition folder, sorted.
std::vector<std::string> KnownReports();

// Names of the definitions (sorted) printed by plug-in `plugin`.
std::vector<std::string> DefinitionsOfPlugin(const std::string& plugin);

}  // namespace stock::host
