#pragma once
// EfdQuery: a query of the EFD export and check, run through the connection's statement cache
// and read row by row; the statement is reset when the query goes out of scope.

#include <memory>
#include <string>

#include "basekit/Conexao.h"
#include "basekit/SqlStatement.h"

namespace stock::efd {

class EfdQuery {
 public:
  // Prepares `sql` (":name" parameters, bound in order of first appearance from `params`).
  EfdQuery(TnConexao& db, const std::string& sql, const Variant& params)
      : statement_(db.Preparar(sql)), run_(*statement_) {
    statement_->Bind(params);
  }
  // Steps to the next row; false at the end.
  bool Next() { return statement_->Step(); }
  Variant Value(int column) { return statement_->ColumnValue(column); }
  std::string Text(int column) { return statement_->ColumnValue(column).AsString(); }

 private:
  std::shared_ptr<SqlStatement> statement_;
  StatementRun run_;
};

}  // namespace stock::efd
