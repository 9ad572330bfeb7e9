#pragma once
// TstockGroupTree: the tree of product groups. One line per group of the report's main
// dataset (ordered by company and classification), summary groups marked "S" and, on request,
// preceded by an empty line; optionally limited to one branch of the classification. The
// standard header and the page numbering restart for each company.

#include <memory>

#include "reportkit/BaseDll.h"

class TnCabecalhoRelatorio;

class TstockGroupTree : public TnrwBaseDll {
 public:
  explicit TstockGroupTree(TnrwReport* rep);
  ~TstockGroupTree() override;

  std::string Versao() override;
  void ImprimirInterno() override;
  // The parameter screen is not checked by this report.
  void DoParamChange(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamEnter(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamExit(TObject* Sender, TnpqParamItem* _AParam) override;

 private:
  // The standard header; lives only while ImprimirInterno runs.
  std::unique_ptr<TnCabecalhoRelatorio> FCabecalho;
};
