#include "basekit/SqlStatement.h"

#include "datakit/DateText.h"
#include "basekit/Params.h"
#include "basekit/SqlParameters.h"
#include "rtl/Exception.h"

namespace stock {

std::string SqlErrorMessage(const std::string& message, const std::string& sql) {
  return "Erro de banco de dados: " + message + "\nSQL: " + sql;
}

SqliteHandle::~SqliteHandle() { sqlite3_close_v2(db_); }

SqlStatement::SqlStatement(std::shared_ptr<SqliteHandle> handle, const std::string& sql)
    : handle_(std::move(handle)), sql_(sql) {
  ParsedSql parsed = ParseNamedParameters(sql);
  names_ = std::move(parsed.names);
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(handle_->db(), parsed.positional.c_str(),
                              static_cast<int>(parsed.positional.size()), &stmt_, &tail);
  ++handle_->prepare_count;
  if (rc != SQLITE_OK) Fail(sqlite3_errmsg(handle_->db()));
  if (stmt_ == nullptr) Fail("o comando está vazio");
  for (; tail != nullptr && *tail != '\0'; ++tail) {
    if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';') {
      sqlite3_finalize(stmt_);
      stmt_ = nullptr;
      Fail("o texto contém mais de um comando");
    }
  }
  // "?", "@x" or "$x" would add parameters that no name stands for.
  if (sqlite3_bind_parameter_count(stmt_) != static_cast<int>(names_.size())) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    Fail("use apenas parâmetros na forma :nome");
  }
}

SqlStatement::~SqlStatement() { sqlite3_finalize(stmt_); }

void SqlStatement::Fail(const std::string& what) const {
  throw Exception(SqlErrorMessage(what, sql_));
}

void SqlStatement::Reset() {
  busy_ = false;
  sqlite3_reset(stmt_);
}

void SqlStatement::BindValue(int index, const Variant& value) {
  int rc = SQLITE_OK;
  switch (value.kind()) {
    case Variant::Kind::Null: rc = sqlite3_bind_null(stmt_, index); break;
    case Variant::Kind::Integer: rc = sqlite3_bind_int64(stmt_, index, value.AsInteger()); break;
    case Variant::Kind::Float: rc = sqlite3_bind_double(stmt_, index, value.AsFloat()); break;
    case Variant::Kind::Boolean: rc = sqlite3_bind_int(stmt_, index, value.AsBoolean() ? 1 : 0); break;
    case Variant::Kind::Text: {
      std::string text = value.AsString();
      rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
      break;
    }
    case Variant::Kind::DateTime: {
      const TDateTime date = value.AsDateTime();
      std::string text = FormatIsoDateTime(date, HasTimeOfDay(date));
      rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
      break;
    }
    case Variant::Kind::Array:
      Fail("o parâmetro :" + names_[index - 1] + " recebeu um array de valores");
  }
  if (rc != SQLITE_OK) Fail(sqlite3_errmsg(handle_->db()));
}

void SqlStatement::Bind(const Variant& params) {
  Reset();
  sqlite3_clear_bindings(stmt_);
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
  for (size_t i = 0; i < names_.size(); ++i) {
    BindValue(static_cast<int>(i + 1), params.IsArray() ? params[i] : params);
  }
}

void SqlStatement::Bind(const TParams* params) {
  Reset();
  sqlite3_clear_bindings(stmt_);
  for (size_t i = 0; i < names_.size(); ++i) {
    const TParams::Item* item = params == nullptr ? nullptr : params->FindParam(names_[i]);
    if (item == nullptr) Fail("o parâmetro :" + names_[i] + " não recebeu valor");
    BindValue(static_cast<int>(i + 1), item->value);
  }
}

bool SqlStatement::Step() {
  busy_ = true;
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  busy_ = false;
  if (rc == SQLITE_DONE) return false;
  std::string message = sqlite3_errmsg(handle_->db());
  sqlite3_reset(stmt_);
  Fail(message);
}

}  // namespace stock
