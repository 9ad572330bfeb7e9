#pragma once
// Thin SQLite wrappers used by the demo generator: an owned connection and prepared insert
// statements. Every failure raises Exception with SQLite's message and the SQL text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace stock::demo {

class SqlDb {
 public:
  // Opens (creating) the database file `path`. Raises Exception naming the path on failure.
  explicit SqlDb(const std::string& path);
  ~SqlDb();
  SqlDb(const SqlDb&) = delete;
  SqlDb& operator=(const SqlDb&) = delete;

  // Runs one or more statements without results.
  void Exec(std::string_view sql);
  // Closes the connection, raising when SQLite cannot finish the file. Idempotent.
  void Close();
  sqlite3* Handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
};

// A prepared statement run once per set of bound values: bind parameters 1..n, then Run().
class SqlInsert {
 public:
  SqlInsert(SqlDb& db, std::string sql);
  ~SqlInsert();
  SqlInsert(const SqlInsert&) = delete;
  SqlInsert& operator=(const SqlInsert&) = delete;

  SqlInsert& Int(int index, int64_t value);
  SqlInsert& Real(int index, double value);
  // The text is copied by SQLite.
  SqlInsert& Text(int index, std::string_view value);
  SqlInsert& Null(int index);
  // Binds the value or NULL.
  SqlInsert& OptInt(int index, std::optional<int64_t> value);
  SqlInsert& OptText(int index, const char* value);  // nullptr binds NULL

  // Executes the statement with the bound values, then resets it and clears the bindings.
  void Run();

 private:
  void Check(int rc, const char* what);
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  std::string sql_;
};

}  // namespace stock::demo
