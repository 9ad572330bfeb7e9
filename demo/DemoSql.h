#pragma once
// Thin wrappers used by the demo generator: an owned connection (an SQLite file or a
// PostgreSQL server) and insert statements. On a server the rows of an insert are sent in
// batches through COPY. Every failure raises Exception with the database's message and the SQL.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct pg_conn;

namespace stock::demo {

class SqlInsert;

class SqlDb {
 public:
  // Opens (creating) the database file `path`, or connects to the PostgreSQL server it names
  // (see TnConexao). Raises Exception naming the path or server on failure.
  explicit SqlDb(const std::string& path);
  ~SqlDb();
  SqlDb(const SqlDb&) = delete;
  SqlDb& operator=(const SqlDb&) = delete;

  // Runs one or more statements without results.
  void Exec(std::string_view sql);
  // Closes the connection, raising when SQLite cannot finish the file. Idempotent.
  void Close();
  sqlite3* Handle() const { return db_; }
  bool IsServer() const { return pg_ != nullptr; }
  // True when the table exists.
  bool HasTable(const std::string& table);

 private:
  friend class SqlInsert;
  // Sends the rows an insert holds back (a server's COPY batch).
  void Flush();

  sqlite3* db_ = nullptr;
  pg_conn* pg_ = nullptr;
  std::string path_;
  SqlInsert* holding_ = nullptr;  // the insert whose rows wait to be sent
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
  friend class SqlDb;
  void Check(int rc, const char* what);
  void SetServerValue(int index, std::optional<std::string> text);
  void SendCopy();

  SqlDb& owner_;
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  std::string sql_;
  // On a server: "COPY <table> (<columns>) FROM STDIN", the row being bound, the rows waiting.
  std::string copy_sql_;
  std::vector<std::optional<std::string>> row_;
  std::string copy_data_;
};

}  // namespace stock::demo
