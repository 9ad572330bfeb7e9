#pragma once
// Creation of a demonstration database of the suite: two companies and their establishments,
// product groups, products, a chart of accounts, book-control settings, signatories and
// monthly inventories, all deterministic for a given seed.

#include <cstdint>
#include <string>

// Size and seed of a demo database. The defaults give a small database for trying the reports;
// larger values serve benchmarks.
struct DemoOptions {
  int products = 300;      // products of both companies together (3/5 to the first), 1..2,000,000
  int months = 12;         // monthly inventories from January of `year` on, 1..240
  int year = 2026;         // first year of the inventories, 1990..2100
  uint32_t seed = 1;       // same seed and options: the same rows
  bool overwrite = false;  // replace an existing file at the path
};

// Row counts of a database just created.
struct DemoSummary {
  int companies = 0;
  int establishments = 0;
  int productGroups = 0;
  int products = 0;
  int64_t inventoryLines = 0;     // LCTOINV rows
  int64_t ownershipPortions = 0;  // LCTOINVPROPRIEDADE rows
};

// Creates the SQLite database file `path` with the suite's schema and demo data. The data is
// written in one transaction into a temporary file next to `path`, which is renamed to `path`
// only when complete: a failure leaves no file at `path` and nothing of a temporary file.
// On a PostgreSQL server (`path` a URI or libpq keyword form, see TnConexao) the schema and the
// same rows are written in one transaction; the suite's tables already there are refused
// unless options.overwrite, which replaces them in that transaction.
// Returns the row counts.
// Raises Exception (message in Portuguese, naming the path or value) when an option lies
// outside its range, when `path` is empty, when the file (or the server's tables) exists and
// options.overwrite is false (left untouched), or when the database cannot be written.
DemoSummary CreateDemoDatabase(const std::string& path, const DemoOptions& options);
