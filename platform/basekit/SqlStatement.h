#pragma once
// Internal to basekit: an open database and the statements prepared on it, whatever the engine
// behind them (an SQLite file, a PostgreSQL server). A statement keeps its database alive, so
// a dataset holding a statement may outlive the TnConexao that prepared it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rtl/Variant.h"

class TParams;
class TnClientDataSet;

namespace stock {

class SqlStatement;

// One open database.
class Database : public std::enable_shared_from_this<Database> {
 public:
  virtual ~Database();

  // A new statement for `sql` (":name" parameters). Raises Exception with the database's
  // message and the SQL.
  virtual std::shared_ptr<SqlStatement> Prepare(const std::string& sql) = 0;
  // Runs statements separated by ";" without parameters. Raises Exception with the SQL.
  virtual void ExecuteScript(const std::string& sql) = 0;

  virtual void Begin() = 0;
  // Begins a transaction holding the database's write lock: a second writer waits for it (up
  // to the busy timeout) and then fails.
  virtual void BeginWrite() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  virtual bool InTransaction() const = 0;

  // The database as messages name it: the file, or the server and database (no password).
  virtual const std::string& Description() const = 0;

  uint64_t prepare_count = 0;  // statements prepared on this database so far
};

class SqlStatement {
 public:
  virtual ~SqlStatement();
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;

  const std::string& sql() const { return sql_; }
  const std::vector<std::string>& parameter_names() const { return names_; }

  // Resets the statement and binds the values. An array binds the parameters in order of
  // first appearance; any other variant binds the only parameter (a Null with no parameter
  // binds nothing). A count that does not match, or an array among the values, raises
  // Exception quoting the SQL.
  void Bind(const Variant& params);
  // Binds each parameter from the list by name; a missing one raises. nullptr binds nothing
  // and then the statement must have no parameters.
  void Bind(const TParams* params);

  // Runs the statement on the first call after a Bind or Reset, then advances to the next
  // row: true on a row, false at the end. Raises Exception with the database's message and
  // the SQL on error.
  virtual bool Step() = 0;
  // Ends the run (rows not read are dropped); the bindings stay.
  virtual void Reset() = 0;

  // The columns of the result and the values of the current row (after Step gave true): dates
  // become date variants, integers and floats numbers, texts texts, NULL Null.
  virtual int ColumnCount() = 0;
  virtual Variant ColumnValue(int column) = 0;

  // Runs the bound statement and loads every row (at most `max_rows` when >= 0) into
  // `dataset` through its bulk-load interface (see stock::LoadResult for the typing).
  virtual void Load(TnClientDataSet& dataset, int max_rows) = 0;

  // Rows inserted, changed or deleted by the last run.
  virtual int64_t Changes() = 0;

  // True while rows are being read; a busy statement is not handed out by the cache.
  bool busy() const { return busy_; }

  [[noreturn]] void Fail(const std::string& what) const;

 protected:
  // `positional`: the SQL as the engine takes it. REQUIRES: the names found by
  // ParseNamedParameters in `sql`.
  SqlStatement(std::shared_ptr<Database> database, std::string sql, std::vector<std::string> names);
  // Binds one value per parameter, in order. REQUIRES: the statement was reset.
  virtual void BindValues(const std::vector<Variant>& values) = 0;

  std::shared_ptr<Database> database_;
  bool busy_ = false;

 private:
  std::string sql_;
  std::vector<std::string> names_;
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

// The text a date parameter binds as: 'yyyy-mm-dd', with ' hh:nn:ss' when it has a time.
std::string DateParameterText(TDateTime value);

}  // namespace stock
