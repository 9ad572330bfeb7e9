#pragma once
// TnDMConexao: queries about the default connection's data.

#include <string>

#include "rtl/TObject.h"

class TnDMConexao : public TObject {
 public:
  std::string ClassName() const override;

  // True when `sql` (a query without parameters) yields at least one row; reads no further
  // than the first row. Raises Exception with the SQL on error.
  bool ExecuteQueryExists(const std::string& sql);
};

// The process-wide connection service.
TnDMConexao& nDMConexao();
