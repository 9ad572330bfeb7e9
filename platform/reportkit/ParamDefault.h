#pragma once
// The value a report parameter starts with. A date parameter's default in a definition may
// name a day relative to the day of the run instead of a fixed date:
//
//   @hoje                                   the day of the run
//   @inicioMes, @fimMes                     first and last day of the run's month
//   @inicioMesAnterior, @fimMesAnterior     first and last day of the month before
//   @inicioAno, @fimAno                     01/01 and 31/12 of the run's year
//   @inicioAnoAnterior, @fimAnoAnterior     01/01 and 31/12 of the year before
//
// Names are matched exactly. Every place that shows or uses a default (the command's
// `list`, `--help`, `print`, and the parameter screens) goes through DefaultValue, so all
// see the same date.

#include <string>
#include <string_view>

#include "reportkit/ReportDefinition.h"
#include "rtl/DateTime.h"

namespace stock {

// True when `text` is one of the relative dates above.
bool IsRelativeDate(std::string_view text);

// The day `text` names, counted from `today`, as dd/mm/yyyy. Raises Exception when `text` is
// not a relative date.
std::string RelativeDate(std::string_view text, TDateTime today);

// The value `p` starts with on `today`: its default, a relative date resolved.
std::string DefaultValue(const ParamDef& p, TDateTime today);

// The same on the machine's local date.
std::string DefaultValue(const ParamDef& p);

}  // namespace stock
