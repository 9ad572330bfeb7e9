#pragma once
// TnSQLDataSet: the client dataset that ExecutarSQL hands out. Besides the rows of the result
// it keeps the prepared statement they came from, so that RefreshSQL can run the same query
// again with new values without preparing it again. Callers treat it as a TnClientDataSet.

#include <memory>
#include <vector>

#include "basekit/Params.h"
#include "datakit/ClientDataSet.h"

namespace stock {
class SqlStatement;
}

class TnSQLDataSet : public TnClientDataSet {
 public:
  // Binds nothing and loads nothing: Executar does. `max_rows` < 0 loads every row.
  TnSQLDataSet(std::shared_ptr<stock::SqlStatement> statement, int max_rows);
  ~TnSQLDataSet() override;

  std::string ClassName() const override;

  // Binds `params` as ExecutarSQL does, runs the statement and reloads the rows; the dataset
  // then stands on its first row. The fields are rebuilt (same names and positions): TField*
  // taken before do not survive, field positions do. Raises Exception with the SQL on error;
  // the dataset is then closed.
  void Executar(const Variant& params);
  // The same with the values taken by name from `params` (nullptr: no parameters).
  void Executar(const TParams* params);

  // The SQL text as given to ExecutarSQL.
  const std::string& GetSQL() const;

 private:
  void Load();

  std::shared_ptr<stock::SqlStatement> statement_;
  int max_rows_;
};
