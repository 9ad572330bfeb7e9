#pragma once
// The parameters a person gives a report on the command line (-p name=value), checked against
// the report's definition before anything runs, and the help that describes them.

#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "reportkit/ReportDefinition.h"

namespace stock::host {

// A mistake in what the person typed: the command ends with the usage status and this message.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Turns "name=value" texts into (declared name, value) pairs for `definition`. Names match
// whatever their case (-p pquebra=1 is pQuebra). Raises UsageError for a text without "=", a
// name the report does not have, or a required parameter left without a value and a default;
// raises Exception for a value that does not fit its parameter's type. Both name the
// parameter, its screen label and what it accepts.
std::vector<std::pair<std::string, std::string>> ResolveParameters(
    const ReportDefinition& definition, const std::vector<std::string>& given);

// One line per input parameter of `definition`: name, type, label, default (a relative date
// as the day it names today, followed by its name), example, and "obrigatório" when it must
// be given.
void DescribeParameters(std::ostream& out, const ReportDefinition& definition);

}  // namespace stock::host
