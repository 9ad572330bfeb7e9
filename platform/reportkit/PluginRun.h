#pragma once
// Running a report's plug-in, the way the host does it: through ClassDll, so one instance can
// print two passes.

#include <string>
#include <utility>
#include <vector>

#include "reportkit/ReportDocument.h"

class TnrwReport;
class TnDMReport;

namespace stock {

// Runs the plug-in of `report`'s definition for one pass into the document `report` is
// printing into (BeginPass done by the caller): loads the library, creates an instance
// through ClassDll, fires before-report when asked, calls ImprimirInterno and frees the
// instance on every path. A definition without a plug-in prints nothing.
void RunPluginPass(TnrwReport& report, bool fire_before_report);

// Prints `report` as a whole report inside another one, into `document` (RepInterno): loads
// its plug-in, creates an instance, starts a pass, fires before-report, calls ImprimirInterno
// and ends the pass (last page, footer and its hooks) while the instance is alive; then empties
// the report's hooks and frees the instance. On error the pass is abandoned without footer or
// hooks, the hooks are emptied, the instance freed, and the error raised as an Exception (an
// error that is not one is wrapped, naming the report). REQUIRES: the main query is open.
void RunNestedReport(TnrwReport& report, ReportDocument& document);

struct RunRequest {
  std::string report;                                       // definition name
  std::vector<std::pair<std::string, std::string>> params;  // values the user gave, in order
  ProgressHandler progress;
};

struct RunOutcome {
  int pages = 0;         // pages in the document written
  bool stopped = false;  // the user asked to stop (the document was discarded)
  std::vector<std::pair<int, std::string>> messages;  // (kind, text) of the run
};

// Prints a report end to end into `device`: opens the definition, loads the plug-in, creates
// the instance, sends the parameter-screen events for each given parameter (enter, change,
// exit), opens the main query (unless the caller opened it already), fires before-report, runs
// ImprimirInterno once or, when a label shows "@PageCount", twice (a counting pass into a
// discarding device first), frees the instance and empties every hook of the report, whatever
// happened. The device is finished when pages were printed, and aborted when the run raised, was
// stopped or printed nothing. Book periods the run recorded
// (TnDMControleLivro::InserirPeriodoBanco) are committed as the device finishes, just before its
// file is renamed into place, and undone when it is aborted (see TnPublicacaoLivro and
// PublishGate).
RunOutcome RunReport(const RunRequest& request, OutputDevice& device);

// The same on a definition the caller opened (and keeps, to look at it afterwards);
// `request.report` is not used.
RunOutcome RunReport(TnDMReport& module, const RunRequest& request, OutputDevice& device);

}  // namespace stock
