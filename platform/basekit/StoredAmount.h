#pragma once
// Internal to basekit: amounts read from SQLite that no column of their declared type can hold
// (an infinity, or more integer digits than NUMERIC(p,s) allows) are damaged rows, told as such
// instead of being printed.

#include <sqlite3.h>

namespace stock {

// The magnitude a value of declared type `declared` stays below: 10^(p-s) for "NUMERIC(p,s)"
// and "DECIMAL(p,s)" (10^p without a scale), infinity for any other type or none. A value that
// is not below it (NaN and infinities never are) is no stored amount of the column.
double AmountLimit(const char* declared);

// True when `value` can be a stored amount under `limit`.
inline bool IsStoredAmount(double value, double limit) { return value < limit && value > -limit; }

// The smallest limit of the amount columns (NUMERIC(p,s), DECIMAL(p,s)) of the tables of
// `db`: a value a query computes stays below it unless it may come from a damaged row.
// Infinity when there are none.
double SmallestAmountLimit(sqlite3* db);

// For a value of a computed column: raises as ThrowDamagedAmount when `value` is not finite,
// or when some amount column of `db` stores exactly `value` beyond its limit (that row is
// named). Returns when the value is only a large computed one.
void CheckComputedAmount(sqlite3_stmt* stmt, int column, double value);

// Raises Exception for `value`, read from result column `column` of `stmt`, naming the table,
// the row's primary key (looked up on the statement's connection) and the column:
//   "Valor danificado em LCTOINV (CODIGOEMPRESA = 1, ...), coluna PRECOUNIT: 1e+308 não cabe em
//   NUMERIC(15,4)". A column computed by the query is named by its result name.
[[noreturn]] void ThrowDamagedAmount(sqlite3_stmt* stmt, int column, double value);

}  // namespace stock
