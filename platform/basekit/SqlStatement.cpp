#include "basekit/SqlStatement.h"

#include "basekit/Params.h"
#include "datakit/DateText.h"
#include "rtl/Exception.h"

namespace stock {

std::string SqlErrorMessage(const std::string& message, const std::string& sql) {
  return "Erro de banco de dados: " + message + "\nSQL: " + sql;
}

std::string DateParameterText(TDateTime value) {
  return FormatIsoDateTime(value, HasTimeOfDay(value));
}

Database::~Database() = default;

SqlStatement::SqlStatement(std::shared_ptr<Database> database, std::string sql,
                           std::vector<std::string> names)
    : database_(std::move(database)), sql_(std::move(sql)), names_(std::move(names)) {}

SqlStatement::~SqlStatement() = default;

void SqlStatement::Fail(const std::string& what) const {
  throw Exception(SqlErrorMessage(what, sql_));
}

void SqlStatement::Bind(const Variant& params) {
  Reset();
  size_t given;
  if (params.IsArray()) {
    given = params.Count();
  } else {
    given = params.IsNull() && names_.empty() ? 0 : 1;
  }
  if (given != names_.size()) {
    Fail("a consulta tem " + std::to_string(names_.size()) + " parâmetro(s) e foram informados " +
         std::to_string(given) + " valor(es)");
  }
  std::vector<Variant> values;
  values.reserve(names_.size());
  for (size_t i = 0; i < names_.size(); ++i) {
    values.push_back(params.IsArray() ? params[i] : params);
    if (values.back().IsArray()) Fail("o parâmetro :" + names_[i] + " recebeu um array de valores");
  }
  BindValues(values);
}

void SqlStatement::Bind(const TParams* params) {
  Reset();
  std::vector<Variant> values;
  values.reserve(names_.size());
  for (size_t i = 0; i < names_.size(); ++i) {
    const TParams::Item* item = params == nullptr ? nullptr : params->FindParam(names_[i]);
    if (item == nullptr) Fail("o parâmetro :" + names_[i] + " não recebeu valor");
    values.push_back(item->value);
    if (values.back().IsArray()) Fail("o parâmetro :" + names_[i] + " recebeu um array de valores");
  }
  BindValues(values);
}

}  // namespace stock
