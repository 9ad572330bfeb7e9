#pragma once
// The last date of a reporting period.

#include "rtl/DateTime.h"

// The last day of the period of `kind` that begins at `start`, as a whole date:
//   5 and 0: the last day of start's month;
//   6: the quarter that begins at start: IncMonth(start, 3) - 1 day;
//   7: the year that begins at start: IncMonth(start, 12) - 1 day;
//   any other kind: the last day of start's month, as 5.
// IncMonth keeps the day or clamps it to the target month's end (31/01 + 3 months = 30/04, so
// the quarter ends 29/04). The result is never before start's date.
// Raises EConvertError when the end falls outside the calendar.
TDateTime GerarDataFinalPeriodo(TDateTime start, int kind);
