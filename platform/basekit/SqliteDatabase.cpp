#include "basekit/SqliteDatabase.h"

#include <algorithm>
#include <thread>

#include "basekit/ResultLoader.h"
#include "basekit/SqlParameters.h"
#include "rtl/Exception.h"

namespace stock {

SqliteDatabase::SqliteDatabase(const std::string& file, int flags) : file_(file) {
  int rc = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw Exception("Não foi possível abrir o banco de dados '" + file + "': " + message);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, 5000);
  // A large ORDER BY sorts its runs on helper threads while this one reads: the listing's
  // million portions come sorted sooner on two cores.
  const unsigned cores = std::thread::hardware_concurrency();
  sqlite3_limit(db_, SQLITE_LIMIT_WORKER_THREADS,
                cores > 1 ? static_cast<int>(std::min(cores - 1, 3u)) : 0);
  // Reports walk indexes in an order of their own (groups, then their products' lines): a page
  // cache of 8 MiB instead of SQLite's 2 keeps the pages they come back to.
  sqlite3_exec(db_, "PRAGMA cache_size = -8192", nullptr, nullptr, nullptr);
  // The file is only read on first use: read the schema now so that a file that is not a
  // database is reported here, by name.
  char* error = nullptr;
  rc = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string message = error != nullptr ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    if ((rc & 0xff) == SQLITE_NOTADB) {
      throw Exception("O arquivo '" + file + "' não é um banco de dados válido");
    }
    throw Exception("Não foi possível abrir o banco de dados '" + file + "': " + message);
  }
}

SqliteDatabase::~SqliteDatabase() { sqlite3_close_v2(db_); }

std::shared_ptr<SqlStatement> SqliteDatabase::Prepare(const std::string& sql) {
  return std::make_shared<SqliteStatement>(
      std::static_pointer_cast<SqliteDatabase>(shared_from_this()), sql);
}

void SqliteDatabase::ExecuteScript(const std::string& sql) {
  char* error = nullptr;
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string message = error != nullptr ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    throw Exception(SqlErrorMessage(message, sql));
  }
}

void SqliteDatabase::Begin() { ExecuteScript("BEGIN"); }
void SqliteDatabase::BeginWrite() { ExecuteScript("BEGIN IMMEDIATE"); }
void SqliteDatabase::Commit() { ExecuteScript("COMMIT"); }
void SqliteDatabase::Rollback() { ExecuteScript("ROLLBACK"); }
bool SqliteDatabase::InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

SqliteStatement::SqliteStatement(std::shared_ptr<SqliteDatabase> database, const std::string& sql)
    : SqlStatement(database, sql, ParseNamedParameters(sql).names) {
  const std::string positional = ParseNamedParameters(sql).positional;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db(), positional.c_str(), static_cast<int>(positional.size()), &stmt_,
                              &tail);
  ++database_->prepare_count;
  if (rc != SQLITE_OK) Fail(sqlite3_errmsg(db()));
  if (stmt_ == nullptr) Fail("o comando está vazio");
  for (; tail != nullptr && *tail != '\0'; ++tail) {
    if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';') {
      sqlite3_finalize(stmt_);
      stmt_ = nullptr;
      Fail("o texto contém mais de um comando");
    }
  }
  // "?", "@x" or "$x" would add parameters that no name stands for.
  if (sqlite3_bind_parameter_count(stmt_) != static_cast<int>(parameter_names().size())) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    Fail("use apenas parâmetros na forma :nome");
  }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

void SqliteStatement::Reset() {
  busy_ = false;
  sqlite3_reset(stmt_);
}

void SqliteStatement::BindValues(const std::vector<Variant>& values) {
  sqlite3_clear_bindings(stmt_);
  for (size_t i = 0; i < values.size(); ++i) {
    const int index = static_cast<int>(i + 1);
    const Variant& value = values[i];
    int rc = SQLITE_OK;
    switch (value.kind()) {
      case Variant::Kind::Null: rc = sqlite3_bind_null(stmt_, index); break;
      case Variant::Kind::Integer: rc = sqlite3_bind_int64(stmt_, index, value.AsInteger()); break;
      case Variant::Kind::Float: rc = sqlite3_bind_double(stmt_, index, value.AsFloat()); break;
      case Variant::Kind::Boolean:
        rc = sqlite3_bind_int(stmt_, index, value.AsBoolean() ? 1 : 0);
        break;
      case Variant::Kind::Text:
      case Variant::Kind::DateTime: {
        std::string text = value.kind() == Variant::Kind::Text
                               ? value.AsString()
                               : DateParameterText(value.AsDateTime());
        rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT);
        break;
      }
      case Variant::Kind::Array: break;  // refused by Bind
    }
    if (rc != SQLITE_OK) Fail(sqlite3_errmsg(db()));
  }
}

bool SqliteStatement::Step() {
  busy_ = true;
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  busy_ = false;
  if (rc == SQLITE_DONE) return false;
  std::string message = sqlite3_errmsg(db());
  sqlite3_reset(stmt_);
  Fail(message);
}

int SqliteStatement::ColumnCount() { return sqlite3_column_count(stmt_); }

Variant SqliteStatement::ColumnValue(int column) { return ColumnVariant(*this, column); }

void SqliteStatement::Load(TnClientDataSet& dataset, int max_rows) {
  LoadResult(*this, dataset, max_rows);
}

int64_t SqliteStatement::Changes() { return sqlite3_changes64(db()); }

}  // namespace stock
