#pragma once
// TstockItemsByAccount: products by product group. One line per group of the report's main
// dataset (ordered by company and classification) and, under each analytic group, the group's
// products read with a query of its own. The NCM column shows only for companies that keep the
// inventory book in model 7. The standard header and the page numbering restart for each
// company; on request a new page starts when the first level of the classification changes.

#include <memory>
#include <string>

#include "reportkit/BaseDll.h"

class TnCabecalhoRelatorio;

class TstockItemsByAccount : public TnrwBaseDll {
 public:
  explicit TstockItemsByAccount(TnrwReport* rep);
  ~TstockItemsByAccount() override;

  std::string Versao() override;
  void ImprimirInterno() override;
  // The parameter screen is not checked by this report.
  void DoParamChange(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamEnter(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamExit(TObject* Sender, TnpqParamItem* _AParam) override;

  // The first level of a group classification: the text before its first "." (the whole text
  // when it has none).
  static std::string ClassifPrimeiroNivel(const std::string& classif);

 private:
  // The standard header; lives only while ImprimirInterno runs.
  std::unique_ptr<TnCabecalhoRelatorio> FCabecalho;
};
