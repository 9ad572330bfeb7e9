#pragma once
// Internal to basekit: a PostgreSQL server behind a TnConexao, through libpq.
//
// Statements are prepared on the server ("$n" parameters, typed by the server from where they
// stand) and run with their values bound as texts, never pasted into the SQL. Results are
// read in libpq's single-row mode, so a large result never sits twice in memory: each row goes
// into the dataset as it arrives. Result columns are typed from the server's column types:
// integers, NUMERIC and floats as ftFloat (a NUMERIC arrives as its exact decimal text and the
// dataset converts it), DATE as ftDate, TIMESTAMP as ftDateTime, BOOLEAN, texts with their
// declared length. Column names are upper case, as the suite's SQL writes them.

#include <memory>
#include <string>

namespace stock {

class Database;

// True when `target` names a server rather than a file: a "postgresql://" or "postgres://"
// URI, or libpq's keyword form ("host=db dbname=empresa").
bool EhServidorPostgreSQL(const std::string& target);

// Connects to the server `target` names. `read_only` makes the session read-only. Raises
// Exception naming the server and database (never a password) when the target is malformed,
// carries a password, or the server cannot be reached or refuses the connection.
std::shared_ptr<Database> AbrirPostgreSQL(const std::string& target, bool read_only);

}  // namespace stock
