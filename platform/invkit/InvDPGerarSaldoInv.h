#pragma once
// TnInvDPGerarSaldoInv: the balance-generation module of the inventory, registered for
// CriarDMNovo under its class name. For every company and establishment selected it takes the
// latest inventory dated at or before pDataInicial and sums the inventory lines' values
// (VALORTOTAL) by product group; a summary group carries the sum of every group below it.
//
// Parameters (texts):
//   pCodigoEmpresa, pCodigoEstab  selection of companies and establishments ("1;3;5..9",
//                                 blank = all), through FilterInterval
//   pDataInicial                  the balance date (dd/mm/yyyy); required
//   pClassifConta                 product-group classification prefix (blank = all groups)
//   pMotivoInventario             inventory reasons to consider (same syntax; blank = all)
//
// Executar fills the dataset "nClientDataSetGrupoProduto", one row per group that holds stock
// value in an establishment's inventory, ordered by company, establishment and
// classification, with the columns
//   CODIGOEMPRESA, CODIGOESTAB, TIPOGRUPOPRODUTO (1 summary, 2 analytic),
//   CLASSIFGRUPOPRODUTO, DESCRGRUPOPRODUTO,
//   VALORLCTO   the group's value, rounded to cents,
//   TOTALESTAB  the establishment's total (the lines of the groups selected), on every row.

#include "basekit/ExecutarSQL.h"
#include "invkit/DMPowerParam.h"

class TnInvDPGerarSaldoInv : public TnDMPowerParam {
 public:
  TnInvDPGerarSaldoInv();
  ~TnInvDPGerarSaldoInv() override;

  std::string ClassName() const override;

  // Raises Exception "Data inicial inválida." for a blank pDataInicial, EConvertError for one
  // that is not a date, Exception "Intervalo inválido: ..." for a bad selection, and the
  // database's errors.
  void Executar() override;

  // The SQL Executar runs for the current parameters (for tests and diagnostics).
  std::string MontarSQL() const;

 private:
  void Liberar();

  TDataSet* nClientDataSetGrupoProduto_ = nullptr;
};
