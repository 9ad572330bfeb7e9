#include "demo/DemoSql.h"

#include <sqlite3.h>

#include "rtl/Exception.h"

namespace stock::demo {

SqlDb::SqlDb(const std::string& path) : path_(path) {
  // One thread uses the connection: no SQLite mutexes.
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw Exception("Não foi possível abrir o banco de dados '" + path + "': " + message);
  }
}

SqlDb::~SqlDb() {
  if (db_) sqlite3_close_v2(db_);
}

void SqlDb::Exec(std::string_view sql) {
  std::string text(sql);
  char* error = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    if (text.size() > 200) text = text.substr(0, 200) + "...";
    throw Exception("Erro de SQL em '" + path_ + "': " + message + "\nSQL: " + text);
  }
}

void SqlDb::Close() {
  if (!db_) return;
  int rc = sqlite3_close(db_);
  if (rc != SQLITE_OK) {
    std::string message = sqlite3_errmsg(db_);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw Exception("Não foi possível fechar o banco de dados '" + path_ + "': " + message);
  }
  db_ = nullptr;
}

SqlInsert::SqlInsert(SqlDb& db, std::string sql) : db_(db.Handle()), sql_(std::move(sql)) {
  Check(sqlite3_prepare_v3(db_, sql_.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr),
        "preparar");
}

SqlInsert::~SqlInsert() { sqlite3_finalize(stmt_); }

void SqlInsert::Check(int rc, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  throw Exception(std::string("Erro de SQL ao ") + what + ": " + sqlite3_errmsg(db_) +
                  "\nSQL: " + sql_);
}

SqlInsert& SqlInsert::Int(int index, int64_t value) {
  Check(sqlite3_bind_int64(stmt_, index, value), "associar parâmetro");
  return *this;
}

SqlInsert& SqlInsert::Real(int index, double value) {
  Check(sqlite3_bind_double(stmt_, index, value), "associar parâmetro");
  return *this;
}

SqlInsert& SqlInsert::Text(int index, std::string_view value) {
  Check(sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT),
        "associar parâmetro");
  return *this;
}

SqlInsert& SqlInsert::Null(int index) {
  Check(sqlite3_bind_null(stmt_, index), "associar parâmetro");
  return *this;
}

SqlInsert& SqlInsert::OptInt(int index, std::optional<int64_t> value) {
  return value ? Int(index, *value) : Null(index);
}

SqlInsert& SqlInsert::OptText(int index, const char* value) {
  return value ? Text(index, value) : Null(index);
}

void SqlInsert::Run() {
  int rc = sqlite3_step(stmt_);
  if (rc != SQLITE_DONE) {
    std::string message = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    throw Exception("Erro de SQL ao gravar: " + message + "\nSQL: " + sql_);
  }
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

}  // namespace stock::demo
