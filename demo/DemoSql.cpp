#include "demo/DemoSql.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <charconv>

#include "basekit/PgDatabase.h"
#include "rtl/Exception.h"

namespace stock::demo {

namespace {

constexpr size_t kCopyBatchBytes = size_t{4} << 20;

std::string PgMessage(PGconn* conn) {
  std::string message = PQerrorMessage(conn);
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  return message;
}

// Appends `value` in COPY's text form.
void AppendCopyValue(std::string& out, const std::optional<std::string>& value) {
  if (!value) {
    out += "\\N";
    return;
  }
  for (char c : *value) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
}

}  // namespace

SqlDb::SqlDb(const std::string& path) : path_(path) {
  if (EhServidorPostgreSQL(path)) {
    // The connection checks the target (no password in it) and names the server on failure;
    // the generator then talks to the server directly.
    std::shared_ptr<Database> probe = AbrirPostgreSQL(path, false);
    probe.reset();
    const char* keywords[] = {"client_encoding", "application_name", "dbname", nullptr};
    const char* values[] = {"UTF8", "stockreports demo", path.c_str(), nullptr};
    pg_ = PQconnectdbParams(keywords, values, 1);
    if (pg_ == nullptr || PQstatus(pg_) != CONNECTION_OK) {
      std::string message = pg_ != nullptr ? PgMessage(pg_) : "sem memória";
      PQfinish(pg_);
      pg_ = nullptr;
      throw Exception("Não foi possível conectar ao servidor PostgreSQL: " + message);
    }
    Exec("SET DateStyle = ISO, YMD");
    return;
  }
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
  if (pg_) PQfinish(pg_);
}

bool SqlDb::HasTable(const std::string& table) {
  Flush();
  if (pg_ != nullptr) {
    const char* values[] = {table.c_str()};
    PGresult* result = PQexecParams(pg_, "SELECT to_regclass(lower($1)) IS NOT NULL", 1, nullptr,
                                    values, nullptr, nullptr, 0);
    bool ok = PQresultStatus(result) == PGRES_TUPLES_OK;
    bool exists = ok && PQgetvalue(result, 0, 0)[0] == 't';
    PQclear(result);
    if (!ok) throw Exception("Erro de SQL no servidor PostgreSQL: " + PgMessage(pg_));
    return exists;
  }
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_master WHERE upper(name) = upper(?1)", -1, &stmt,
                     nullptr);
  sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  bool exists = sqlite3_step(stmt) == SQLITE_ROW;
  sqlite3_finalize(stmt);
  return exists;
}

void SqlDb::Flush() {
  if (holding_ != nullptr) {
    SqlInsert* insert = holding_;
    holding_ = nullptr;
    insert->SendCopy();
  }
}

void SqlDb::Exec(std::string_view sql) {
  std::string text(sql);
  if (pg_ != nullptr) {
    Flush();
    PGresult* result = PQexec(pg_, text.c_str());
    ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
      if (text.size() > 200) text = text.substr(0, 200) + "...";
      throw Exception("Erro de SQL no servidor PostgreSQL: " + PgMessage(pg_) + "\nSQL: " + text);
    }
    return;
  }
  char* error = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    if (text.size() > 200) text = text.substr(0, 200) + "...";
    throw Exception("Erro de SQL em '" + path_ + "': " + message + "\nSQL: " + text);
  }
}

void SqlDb::Close() {
  if (pg_ != nullptr) {
    Flush();
    PQfinish(pg_);
    pg_ = nullptr;
    return;
  }
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

SqlInsert::SqlInsert(SqlDb& db, std::string sql)
    : owner_(db), db_(db.Handle()), sql_(std::move(sql)) {
  if (db.IsServer()) {
    // "INSERT INTO T (A, B) VALUES (...)" becomes "COPY T (A, B) FROM STDIN".
    size_t into = sql_.find("INTO ");
    size_t values = sql_.find(" VALUES");
    size_t close = sql_.rfind(')', values);
    if (into == std::string::npos || values == std::string::npos || close == std::string::npos) {
      throw Exception("Comando de inserção que não pode ser copiado: " + sql_);
    }
    copy_sql_ = "COPY " + sql_.substr(into + 5, close + 1 - (into + 5)) + " FROM STDIN";
    return;
  }
  Check(sqlite3_prepare_v3(db_, sql_.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr),
        "preparar");
}

SqlInsert::~SqlInsert() {
  if (owner_.holding_ == this) {
    try {
      owner_.Flush();
    } catch (...) {
      // The rows are lost with the insert; the generator's transaction fails at its end.
    }
  }
  sqlite3_finalize(stmt_);
}

void SqlInsert::SetServerValue(int index, std::optional<std::string> text) {
  if (row_.size() < static_cast<size_t>(index)) row_.resize(static_cast<size_t>(index));
  row_[static_cast<size_t>(index - 1)] = std::move(text);
}

void SqlInsert::SendCopy() {
  if (copy_data_.empty()) return;
  PGconn* conn = owner_.pg_;
  PGresult* result = PQexec(conn, copy_sql_.c_str());
  bool ok = PQresultStatus(result) == PGRES_COPY_IN;
  PQclear(result);
  if (ok) {
    ok = PQputCopyData(conn, copy_data_.data(), static_cast<int>(copy_data_.size())) == 1;
    ok = PQputCopyEnd(conn, ok ? nullptr : "falha ao enviar as linhas") == 1 && ok;
    while (PGresult* end = PQgetResult(conn)) {
      ok = ok && PQresultStatus(end) == PGRES_COMMAND_OK;
      PQclear(end);
    }
  }
  copy_data_.clear();
  if (!ok) throw Exception("Erro de SQL ao gravar: " + PgMessage(conn) + "\nSQL: " + sql_);
}

void SqlInsert::Check(int rc, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  throw Exception(std::string("Erro de SQL ao ") + what + ": " + sqlite3_errmsg(db_) +
                  "\nSQL: " + sql_);
}

SqlInsert& SqlInsert::Int(int index, int64_t value) {
  if (owner_.IsServer()) {
    SetServerValue(index, std::to_string(value));
    return *this;
  }
  Check(sqlite3_bind_int64(stmt_, index, value), "associar parâmetro");
  return *this;
}

SqlInsert& SqlInsert::Real(int index, double value) {
  if (owner_.IsServer()) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    SetServerValue(index, std::string(buf, r.ptr));
    return *this;
  }
  Check(sqlite3_bind_double(stmt_, index, value), "associar parâmetro");
  return *this;
}

SqlInsert& SqlInsert::Text(int index, std::string_view value) {
  if (owner_.IsServer()) {
    SetServerValue(index, std::string(value));
    return *this;
  }
  Check(sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT),
        "associar parâmetro");
  return *this;
}

SqlInsert& SqlInsert::Null(int index) {
  if (owner_.IsServer()) {
    SetServerValue(index, std::nullopt);
    return *this;
  }
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
  if (owner_.IsServer()) {
    if (owner_.holding_ != this) {
      owner_.Flush();
      owner_.holding_ = this;
    }
    for (size_t i = 0; i < row_.size(); ++i) {
      if (i > 0) copy_data_ += '\t';
      AppendCopyValue(copy_data_, row_[i]);
    }
    copy_data_ += '\n';
    row_.clear();
    if (copy_data_.size() >= kCopyBatchBytes) {
      owner_.holding_ = nullptr;
      SendCopy();
    }
    return;
  }
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
