#pragma once
// ReportDocument: the output document that a report run writes into, shared by the running
// report and every report printed inside it (RepInterno). Owned by the run; reports hold a
// pointer to it only while a pass is being printed.

#include <functional>

#include "reportkit/output/OutputDevice.h"

namespace stock {

// Called by CSLShowProgress with (done, total); returns true when the user asked to stop.
using ProgressHandler = std::function<bool(int done, int total)>;

struct ReportDocument {
  OutputDevice* device = nullptr;  // not owned
  bool draw_normal = true;         // false during a counting pass
  int pages = 0;                   // pages begun in this pass, inner reports included
  int page_count = 0;              // what "@PageCount" shows: the counting pass's total
  TDateTime started = 0;           // when the run began: "@Date" and "@Time" show it
  ProgressHandler progress;
  bool stop_requested = false;  // set once progress answered stop
};

}  // namespace stock
