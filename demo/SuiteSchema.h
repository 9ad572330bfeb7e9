#pragma once
// The SQL script that creates the suite's tables (demo/schema.sql, embedded at build time).

#include <string>
#include <string_view>
#include <vector>

namespace stock {

// The schema script: CREATE TABLE / VIEW / INDEX statements separated by ';', portable
// between SQLite and PostgreSQL. Run it on an empty database (sqlite3_exec runs it whole).
std::string_view SuiteSchemaSql();

// The statements of the schema script one by one, without comments or the final ';', in
// script order. Clients that send one statement at a time, or that create the indexes after
// loading data, use this.
std::vector<std::string> SuiteSchemaStatements();

// True when `statement` (one of SuiteSchemaStatements) creates an index.
bool IsCreateIndex(std::string_view statement);

}  // namespace stock
