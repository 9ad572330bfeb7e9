#pragma once
// Internal to basekit: the SQLite file behind a TnConexao and its prepared statements.

#include <sqlite3.h>

#include <memory>
#include <string>

#include "basekit/SqlStatement.h"

namespace stock {

class SqliteDatabase : public Database {
 public:
  // Opens the file with the sqlite3_open_v2 `flags`. Raises Exception naming the file when it
  // cannot be opened or is not a database.
  SqliteDatabase(const std::string& file, int flags);
  ~SqliteDatabase() override;

  std::shared_ptr<SqlStatement> Prepare(const std::string& sql) override;
  void ExecuteScript(const std::string& sql) override;
  void Begin() override;
  void BeginWrite() override;
  void Commit() override;
  void Rollback() override;
  bool InTransaction() const override;
  const std::string& Description() const override { return file_; }

  sqlite3* db() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
  std::string file_;
};

class SqliteStatement : public SqlStatement {
 public:
  // Prepares `sql`. Raises Exception with SQLite's message and the SQL.
  SqliteStatement(std::shared_ptr<SqliteDatabase> database, const std::string& sql);
  ~SqliteStatement() override;

  bool Step() override;
  void Reset() override;
  int ColumnCount() override;
  Variant ColumnValue(int column) override;
  void Load(TnClientDataSet& dataset, int max_rows) override;
  int64_t Changes() override;

  sqlite3_stmt* get() const { return stmt_; }

 protected:
  void BindValues(const std::vector<Variant>& values) override;

 private:
  sqlite3* db() const { return static_cast<SqliteDatabase&>(*database_).db(); }

  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace stock
