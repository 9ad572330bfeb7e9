#include "basekit/ExecutarSQL.h"

#include "basekit/Conexao.h"
#include "basekit/SQLDataSet.h"
#include "rtl/Exception.h"

namespace {

template <typename Params>
TDataSet* Run(const std::string& sql, Params params, int max_linhas, const std::string& nome,
              TnConexao* conexao) {
  TnConexao& connection = ConexaoOuPadrao(conexao);
  auto dataset = std::make_unique<TnSQLDataSet>(connection.Preparar(sql), max_linhas);
  dataset->SetName(nome);
  dataset->Executar(params);
  return dataset.release();
}

}  // namespace

TDataSet* ExecutarSQL(const std::string& sql, const Variant& params, bool, bool, int max_linhas,
                      const std::string& nome, TnConexao* conexao, bool) {
  return Run<const Variant&>(sql, params, max_linhas, nome, conexao);
}

TDataSet* ExecutarSQL(const std::string& sql, TParams* params, bool, bool, int max_linhas,
                      const std::string& nome, TnConexao* conexao, bool) {
  return Run<const TParams*>(sql, params, max_linhas, nome, conexao);
}

void RefreshSQL(TDataSet* ds, const Variant& params, bool) {
  auto* dataset = dynamic_cast<TnSQLDataSet*>(ds);
  if (dataset == nullptr) {
    throw Exception("RefreshSQL: o conjunto de dados " +
                    (ds != nullptr && !ds->GetName().empty() ? "'" + ds->GetName() + "' " : "") +
                    "não foi aberto por ExecutarSQL");
  }
  dataset->Executar(params);
}

void DestruirSQL(TDataSet*& ds) {
  delete ds;
  ds = nullptr;
}
