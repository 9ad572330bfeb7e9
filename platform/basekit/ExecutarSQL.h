#pragma once
// Running queries: ExecutarSQL opens a dataset over a query's result, RefreshSQL runs it again
// with new values, DestruirSQL releases it.
//
// Parameters are written ":name" in the SQL. Given as a variant, an array binds the distinct
// names in order of first appearance (a name used twice takes one value); a single non-array
// value binds the only parameter. Given as a TParams list, each name takes the value of the
// same name. Values bind by kind: integers and floats as numbers, texts as texts, dates as ISO
// texts 'yyyy-mm-dd' ('yyyy-mm-dd hh:nn:ss' with a time), booleans as 0 and 1, Null as NULL.
//
// Typical use in a report:
//
//   TDataSet* curDados = nullptr;
//   SQLDataSetGuard guard(curDados);   // released on every way out of the scope
//   curDados = ExecutarSQL(sql, VarArrayOf({inicio, fim}), true, false, -1, "", nullptr, true);
//   for (; !curDados->GetEof(); curDados->Next()) { ... }

#include <memory>
#include <string>

#include "basekit/Params.h"
#include "datakit/DataSet.h"
#include "rtl/Variant.h"

class TnConexao;

// Runs `sql` with `params` on `conexao` (the default connection when nullptr) and returns a
// TnClientDataSet (a TnSQLDataSet) holding every row of the result, standing on the first row.
// Field types follow the declared column types; expression columns are typed from their values.
// `max_linhas` >= 0 loads at most that many rows (-1: all); `nome` names the dataset; the two
// flags and `abrir` are accepted for compatibility (the result is always read-only in the
// database sense and open). OWNERSHIP: the caller owns the dataset until DestruirSQL.
// Raises Exception with the database's message and the SQL (a wrong number of values, a
// syntax error, no default connection: "Nenhuma conexão com o banco de dados").
TDataSet* ExecutarSQL(const std::string& sql, const Variant& params, bool somente_leitura,
                      bool unidirecional, int max_linhas, const std::string& nome,
                      TnConexao* conexao = nullptr, bool abrir = true);

// The same with the values in a parameter list; nullptr means no parameters.
TDataSet* ExecutarSQL(const std::string& sql, TParams* params, bool somente_leitura,
                      bool unidirecional, int max_linhas, const std::string& nome,
                      TnConexao* conexao = nullptr, bool abrir = true);

// Runs the query of `ds` again with new values, on the statement prepared by ExecutarSQL (not
// prepared again); the dataset is reloaded and stands on its first row. TField* taken before
// are rebuilt: read fields by position or look them up again. REQUIRES: `ds` came from
// ExecutarSQL (else Exception). `abrir` is accepted for compatibility.
void RefreshSQL(TDataSet* ds, const Variant& params, bool abrir = true);

// Releases a dataset from ExecutarSQL and sets the variable to nullptr. A null variable is
// accepted and left as it is.
void DestruirSQL(TDataSet*& ds);

// Holds a dataset variable for a scope: whatever the variable holds when the scope ends is
// released with DestruirSQL, also when the scope is left by an exception. The variable may be
// assigned, released early or refreshed meanwhile.
class SQLDataSetGuard {
 public:
  explicit SQLDataSetGuard(TDataSet*& variable) : variable_(variable) {}
  ~SQLDataSetGuard() { DestruirSQL(variable_); }
  SQLDataSetGuard(const SQLDataSetGuard&) = delete;
  SQLDataSetGuard& operator=(const SQLDataSetGuard&) = delete;

 private:
  TDataSet*& variable_;
};

// A dataset from ExecutarSQL held by a std::unique_ptr:
//   SQLDataSetPtr cur(ExecutarSQL(...));
struct SQLDataSetDeleter {
  void operator()(TDataSet* ds) const {
    TDataSet* variable = ds;
    DestruirSQL(variable);
  }
};
using SQLDataSetPtr = std::unique_ptr<TDataSet, SQLDataSetDeleter>;
