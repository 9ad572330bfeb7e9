#pragma once
// TnDMSQLDataSet: single-row look-ups on the default connection.

#include <string>

#include "rtl/TObject.h"
#include "rtl/Variant.h"

class TnDMSQLDataSet : public TObject {
 public:
  std::string ClassName() const override;

  // Runs "SELECT <campos> FROM <tabela> WHERE <condicao>" (no WHERE when `condicao` is blank)
  // and returns the first row's values: a variant array when the result has several columns,
  // the plain value when it has one; Null when no row matches. Dates come back as date
  // variants. The three texts are SQL fragments: callers build the condition with
  // ValorParaSQL, never from raw user text. Raises Exception with the SQL on error.
  Variant PegarValorCampo(const std::string& tabela, const std::string& campos,
                          const std::string& condicao);
};

// The process-wide look-up service.
TnDMSQLDataSet& nDMSQLDataSet();
