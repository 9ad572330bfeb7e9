#include "reportkit/ReportFunctions.h"

#include <algorithm>

#include "basekit/ExecutarSQL.h"
#include "datakit/ClientDataSet.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

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

std::string TnReportFunctions::CallFunction(int index, const std::vector<std::string>& arguments) const {
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
  // A query: :p1, :p2 ... take the arguments, in the order they appear.
  const std::string& sql = f.query;
  std::vector<Variant> bound;
  std::vector<size_t> seen;
  for (size_t i = 0; i < sql.size(); ++i) {
    if (sql[i] == ':' && i + 1 < sql.size() && sql[i + 1] == 'p') {
      size_t j = i + 2;
      while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j]))) ++j;
      if (j > i + 2) {
        const size_t n = std::stoul(sql.substr(i + 2, j - i - 2));
        i = j - 1;
        if (std::find(seen.begin(), seen.end(), n) != seen.end()) continue;
        seen.push_back(n);
        bound.push_back(n >= 1 && n <= arguments.size() ? Variant(arguments[n - 1]) : Variant());
      }
    }
  }
  TDataSet* raw = ExecutarSQL(sql, VarArrayOf(bound), true, false, -1, "", nullptr, true);
  SQLDataSetGuard guard(raw);
  std::string out;
  if (raw->IsEmpty()) return out;
  for (int c = 0; c < raw->FieldCount(); ++c) {
    if (c > 0) out += f.separator;
    out += raw->Fields(c)->AsString();
  }
  return out;
}
