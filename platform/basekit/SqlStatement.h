#pragma once
// Internal to basekit: a prepared SQLite statement and the shared database handle behind it.
// A statement keeps its handle alive, so a dataset holding a statement may outlive the
// TnConexao that prepared it.

#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "rtl/Variant.h"

class TParams;

namespace stock {

// Owns one sqlite3 connection; closes it when the last owner lets go.
class SqliteHandle {
 public:
  SqliteHandle(sqlite3* db, std::string file) : db_(db), file_(std::move(file)) {}
  ~SqliteHandle();
  SqliteHandle(const SqliteHandle&) = delete;
  SqliteHandle& operator=(const SqliteHandle&) = delete;

  sqlite3* db() const { return db_; }
  const std::string& file() const { return file_; }
  uint64_t prepare_count = 0;  // statements prepared on this connection so far

 private:
  sqlite3* db_;
  std::string file_;
};

class SqlStatement {
 public:
  // Prepares `sql` (":name" parameters). Raises Exception with SQLite's message and the SQL.
  SqlStatement(std::shared_ptr<SqliteHandle> handle, const std::string& sql);
  ~SqlStatement();
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;

  const std::string& sql() const { return sql_; }
  const std::vector<std::string>& parameter_names() const { return names_; }
  sqlite3_stmt* get() const { return stmt_; }
  sqlite3* db() const { return handle_->db(); }

  // Resets the statement and binds the values. An array binds the parameters in order of
  // first appearance; any other variant binds the only parameter (a Null with no parameter
  // binds nothing). A count that does not match raises Exception quoting the SQL.
  void Bind(const Variant& params);
  // Binds each parameter from the list by name; a missing one raises. nullptr binds nothing
  // and then the statement must have no parameters.
  void Bind(const TParams* params);

  // Advances to the next row: true on a row, false at the end. Raises Exception with SQLite's
  // message and the SQL on error.
  bool Step();
  void Reset();

  // True while rows are being read; a busy statement is not handed out by the cache.
  bool busy() const { return busy_; }

  [[noreturn]] void Fail(const std::string& what) const;

 private:
  void BindValue(int index, const Variant& value);

  std::shared_ptr<SqliteHandle> handle_;
  std::string sql_;
  std::vector<std::string> names_;
  sqlite3_stmt* stmt_ = nullptr;
  bool busy_ = false;
};

// Resets the statement when the scope ends, so no reader keeps it busy after an error.
class StatementRun {
 public:
  explicit StatementRun(SqlStatement& statement) : statement_(statement) {}
  ~StatementRun() { statement_.Reset(); }
  StatementRun(const StatementRun&) = delete;
  StatementRun& operator=(const StatementRun&) = delete;

 private:
  SqlStatement& statement_;
};

// "Erro de banco de dados: <message>\nSQL: <sql>".
std::string SqlErrorMessage(const std::string& message, const std::string& sql);

}  // namespace stock
