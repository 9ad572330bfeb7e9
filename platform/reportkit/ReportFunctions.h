#pragma once
// TnReportFunctions: the user functions of a report definition. A function is either a text
// template whose {1}, {2} ... are replaced by the arguments, or a query whose :p1, :p2 ...
// parameters take the arguments (bound, never pasted; an argument not given is NULL) and whose
// first row's columns, joined by the function's separator, are the result (no row gives an
// empty text). Parameters are found as ExecutarSQL finds them: not inside quotes or comments.

#include <memory>
#include <string>
#include <vector>

#include "reportkit/ReportDefinition.h"
#include "rtl/TObject.h"

class TnReportFunctions : public TObject {
 public:
  explicit TnReportFunctions(std::shared_ptr<const stock::ReportDefinition> definition);
  ~TnReportFunctions() override;

  // Position of the function named `name` (case-insensitive), or -1.
  int IndexOfFunction(const std::string& name) const;

  // Calls function `index` with the arguments. Raises Exception for an index out of range and
  // for a query parameter that is not :p<number>, and passes database errors of query
  // functions on.
  std::string CallFunction(int index, const std::vector<std::string>& arguments) const;

  // The separator that joins a query function's pieces.
  const std::string& Separator(int index) const;

 private:
  std::shared_ptr<const stock::ReportDefinition> definition_;
};
