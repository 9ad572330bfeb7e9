#include "reportkit/ReportFunctions.h"

#include <algorithm>
#include <cctype>

#include "basekit/ExecutarSQL.h"
#include "basekit/SqlParameters.h"
#include "datakit/ClientDataSet.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace {

// The argument number of a query parameter named "p<digits>" (any case), 1 and up; 0 for any
// other name, and for a number too long to be an argument's.
size_t ArgumentNumber(const std::string& name) {
  if (name.size() < 2 || name.size() > 10 || (name[0] != 'p' && name[0] != 'P')) return 0;
  size_t n = 0;
  for (size_t i = 1; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    n = n * 10 + static_cast<size_t>(name[i] - '0');
  }
  return n;
}

}  // namespace

TnReportFunctions::TnReportFunctions(std::shared_ptr<const stock::ReportDefinition> definition)
    : definition_(std::move(definition)) {}

TnReportFunctions::~TnReportFunctions() = default;

int TnReportFunctions::IndexOfFunction(const std::string& name) const {
  for (size_t i = 0; i < definition_->functions.size(); ++i) {
    if (SameText(definition_->functions[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

const std::string& TnReportFunctions::Separator(int index) const {
  if (index < 0 || index >= static_cast<int>(definition_->functions.size())) {
    throw Exception("Função de usuário inexistente no relatório '" + definition_->name + "'");
  }
  return definition_->functions[index].separator;
}

std::string TnReportFunctions::CallFunction(int index,
                                            const std::vector<std::string>& arguments) const {
  Separator(index);  // checks the index
  const stock::FunctionDef& f = definition_->functions[index];
  if (!f.text.empty()) {
    std::string out;
    out.reserve(f.text.size() + 64);
    for (size_t i = 0; i < f.text.size(); ++i) {
      if (f.text[i] == '{') {
        size_t j = i + 1;
        while (j < f.text.size() && std::isdigit(static_cast<unsigned char>(f.text[j]))) ++j;
        if (j > i + 1 && j < f.text.size() && f.text[j] == '}') {
          const size_t n = std::stoul(f.text.substr(i + 1, j - i - 1));
          if (n >= 1 && n <= arguments.size()) out += arguments[n - 1];
          i = j;
          continue;
        }
      }
      out += f.text[i];
    }
    return out;
  }
  // A query: :p1, :p2 ... take the arguments, found by the parser that ExecutarSQL binds with.
  std::vector<Variant> bound;
  for (const std::string& name : stock::ParseNamedParameters(f.query).names) {
    const size_t n = ArgumentNumber(name);
    if (n == 0) {
      throw Exception("Função de usuário '" + f.name + "' do relatório '" + definition_->name +
                      "': o parâmetro :" + name + " não é um argumento (:p1, :p2 ...)");
    }
    bound.push_back(n <= arguments.size() ? Variant(arguments[n - 1]) : Variant());
  }
  TDataSet* raw = ExecutarSQL(f.query, VarArrayOf(bound), true, false, -1, "", nullptr, true);
  SQLDataSetGuard guard(raw);
  std::string out;
  if (raw->IsEmpty()) return out;
  for (int c = 0; c < raw->FieldCount(); ++c) {
    if (c > 0) out += f.separator;
    out += raw->Fields(c)->AsString();
  }
  return out;
}
