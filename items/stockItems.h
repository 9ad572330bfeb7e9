#pragma once
// TstockItems: the product list. One detail section per product of the report's main
// dataset, optionally limited to one branch of the product-group classification and
// optionally with a new page (numbered from 1) for each company. The classification and NCM
// columns show only on products of companies that keep the inventory book in model 7.

#include "reportkit/BaseDll.h"

class TstockItems : public TnrwBaseDll {
 public:
  explicit TstockItems(TnrwReport* rep);

  std::string Versao() override;
  void ImprimirInterno() override;
  // The parameter screen is not checked by this report.
  void DoParamChange(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamEnter(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamExit(TObject* Sender, TnpqParamItem* _AParam) override;
};
