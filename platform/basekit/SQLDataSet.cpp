#include "basekit/SQLDataSet.h"

#include "basekit/Params.h"
#include "basekit/SqlStatement.h"
#include "rtl/Exception.h"

TnSQLDataSet::TnSQLDataSet(std::shared_ptr<stock::SqlStatement> statement, int max_rows)
    : statement_(std::move(statement)), max_rows_(max_rows) {}

TnSQLDataSet::~TnSQLDataSet() = default;

std::string TnSQLDataSet::ClassName() const { return "TnSQLDataSet"; }

const std::string& TnSQLDataSet::GetSQL() const { return statement_->sql(); }

void TnSQLDataSet::Load() {
  stock::StatementRun run(*statement_);
  try {
    statement_->Load(*this, max_rows_);
  } catch (const EConvertError& e) {
    Close();
    throw EConvertError(std::string(e.what()) + "\nSQL: " + statement_->sql());
  } catch (...) {
    Close();
    throw;
  }
}

void TnSQLDataSet::Executar(const Variant& params) {
  statement_->Bind(params);
  Load();
}

void TnSQLDataSet::Executar(const TParams* params) {
  statement_->Bind(params);
  Load();
}
