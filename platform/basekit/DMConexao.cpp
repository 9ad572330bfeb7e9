#include "basekit/DMConexao.h"

#include "basekit/Conexao.h"
#include "basekit/SqlStatement.h"

std::string TnDMConexao::ClassName() const { return "TnDMConexao"; }

bool TnDMConexao::ExecuteQueryExists(const std::string& sql) {
  std::shared_ptr<stock::SqlStatement> statement = ConexaoPadrao().Preparar(sql);
  stock::StatementRun run(*statement);
  statement->Bind(Variant());
  return statement->Step();
}

TnDMConexao& nDMConexao() {
  static TnDMConexao service;
  return service;
}
