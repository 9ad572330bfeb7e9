#include "basekit/DMSQLDataSet.h"

#include "basekit/Conexao.h"
#include "basekit/SqlStatement.h"
#include "rtl/StringUtils.h"

std::string TnDMSQLDataSet::ClassName() const { return "TnDMSQLDataSet"; }

Variant TnDMSQLDataSet::PegarValorCampo(const std::string& tabela, const std::string& campos,
                                        const std::string& condicao) {
  std::string sql = "SELECT " + campos + " FROM " + tabela;
  if (!Trim(condicao).empty()) sql += " WHERE " + condicao;
  std::shared_ptr<stock::SqlStatement> statement = ConexaoPadrao().Preparar(sql);
  stock::StatementRun run(*statement);
  statement->Bind(Variant());
  if (!statement->Step()) return Variant();
  int count = statement->ColumnCount();
  if (count == 1) return statement->ColumnValue(0);
  std::vector<Variant> values;
  values.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) values.push_back(statement->ColumnValue(i));
  return Variant::FromArray(std::move(values));
}

TnDMSQLDataSet& nDMSQLDataSet() {
  static TnDMSQLDataSet service;
  return service;
}
