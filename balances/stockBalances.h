#pragma once
// TstockBalances: balances by product group. Runs the host's balance module
// "TnInvDPGerarSaldoInv" for the user's selection and prints its rows: one line per product
// group with its value, a total per establishment and a total per company; each company
// starts on a new page numbered from 1, under its own standard header.

#include <memory>

#include "reportkit/BaseDll.h"
#include "reportkit/ReportHeader.h"

class TstockBalances : public TnrwBaseDll {
 public:
  explicit TstockBalances(TnrwReport* rep);
  ~TstockBalances() override;

  std::string Versao() override;
  void ImprimirInterno() override;
  // The parameter screen is not checked by this report.
  void DoParamChange(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamEnter(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamExit(TObject* Sender, TnpqParamItem* _AParam) override;

 private:
  // The standard header; exists only while a run prints.
  std::unique_ptr<TnCabecalhoRelatorio> FCabecalho;
};
