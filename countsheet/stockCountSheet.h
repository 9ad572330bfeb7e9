#pragma once
// TstockCountSheet: the physical count sheet. One line per product of each company and
// establishment of the report's main dataset, with room to write the counted quantity;
// optionally limited to one branch of the product-group classification and optionally with
// each product's last cost, the unit price of the inventory dated exactly on a given day. Each
// company starts on a new page numbered from 1, under the standard header.

#include <memory>

#include "reportkit/BaseDll.h"
#include "reportkit/ReportHeader.h"

class TstockCountSheet : public TnrwBaseDll {
 public:
  explicit TstockCountSheet(TnrwReport* rep);
  ~TstockCountSheet() override;

  std::string Versao() override;
  void ImprimirInterno() override;

 private:
  // The standard header; exists only while a run prints.
  std::unique_ptr<TnCabecalhoRelatorio> FCabecalho;
};
