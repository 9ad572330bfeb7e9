#pragma once
// TstockListing: the inventory listing. Every inventory line (product, month, quantity, unit
// price and cost) of the selected companies and establishments within a date range, grouped
// by company and establishment, with a total per establishment and per company. Model 1 goes
// down to the ownership portions of each line and adds totals per ownership indicator and,
// on request, per accounting account.
//
// The report's main dataset holds one row per company and establishment to list, with the
// company's decimals for unit prices and quantities; the lines come from a query built at run
// time (MontarSQL) and are walked establishment by establishment through a key range.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "datakit/FieldMap.h"
#include "reportkit/BaseDll.h"
#include "reportkit/ReportHeader.h"
#include "rtl/DateTime.h"

class TnClientDataSet;
class TnpqParamItem;

// Columns of the listing query. The ownership columns exist only in model 1.
class TnMapDados : public TnFieldMap {
 public:
  TField* CODIGOGRUPOPRODUTO = nullptr;
  TField* DESCRPRODUTO = nullptr;
  TField* UNIDADEMEDIDA = nullptr;
  TField* DATAINVENT = nullptr;
  TField* QTDEESTOQUE = nullptr;
  TField* VALORPARCELA = nullptr;  // the portion's stored value (listing by ownership indicator)
  TField* PRECOUNIT = nullptr;
  TField* CODIGOPRODUTO = nullptr;
  TField* INDICADORPROPRIEDADE = nullptr;
  TField* CONTACTB = nullptr;
  TField* DESCRCONTA = nullptr;
  TnMapDados();
  ~TnMapDados() override;
};

// Columns of the report's main dataset: one row per company and establishment.
class TnMapEmp : public TnFieldMap {
 public:
  TField* CODIGOEMPRESA = nullptr;
  TField* CODIGOESTAB = nullptr;
  TField* QTDECASADECIMAL = nullptr;
  TField* QTDECASADECIMALQTD = nullptr;
  TnMapEmp();
  ~TnMapEmp() override;
};

class TstockListing : public TnrwBaseDll {
 public:
  explicit TstockListing(TnrwReport* rep);
  ~TstockListing() override;

  std::string Versao() override;
  void ImprimirInterno() override;
  // The parameter screen is not checked by this report.
  void DoParamEnter(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamExit(TObject* Sender, TnpqParamItem* _AParam) override;

  // Reads the report's parameters into the fields below and chooses the bands. A date text
  // that is not blank and is no date raises Exception ("Data inicial inválida: 'x'."); a blank
  // date is day 0; an integer that does not convert is 0. Every model other than 0 is model 1.
  void LerParametros();

  // The listing query for the parameters read: the lines of the selected companies and
  // establishments between :pDataIni and :pDataFim, ordered by company and establishment
  // first. Raises Exception for a company or establishment selection that is not a list of
  // codes and intervals.
  std::string MontarSQL() const;

 private:
  void AbrirDados();
  // Sets the line's parameters, adds its cost to the totals and prints the detail band.
  void ImprimirLinha(double& subtotal);
  void ImprimirTotal(const std::string& legenda, double valor);
  // The closing block of a company: establishment total, indicator and account totals, and
  // the company total.
  void ImprimirTotaisEmpresa(double totalEstab, double totalEmpresa);
  void LiberarExecucao();

  std::unique_ptr<std::map<double, double>> FTotalContaCtb;
  std::unique_ptr<std::map<double, std::string>> FDicDescrConta;
  std::unique_ptr<std::map<int32_t, double>> FTotalIndProp;
  std::unique_ptr<std::map<int32_t, std::string>> FLstIndProp;
  std::unique_ptr<TnCabecalhoRelatorio> FCabecalho;
  std::unique_ptr<TnMapDados> FMapDados;
  std::unique_ptr<TnMapEmp> FMapEmp;
  std::string FCodigoEmpresa;
  std::string FCodigoEstab;
  TDateTime FDataIncial = 0;
  TDateTime FDataFinal = 0;
  int32_t FOrdem = 0;
  int32_t FModelo = 0;
  int32_t FIndPropried = 0;
  int32_t FMotivoInventario = 0;
  int32_t FBandaCabecalho = 12;
  int32_t FBandaDados = 9;
  bool FImprimeConta = false;
  TnClientDataSet* curDados = nullptr;

  // Masks of the current company and the report parameters written for every line, looked
  // up once per run.
  std::string FMascaraPreco, FMascaraQtde;
  struct ParametrosLinha;
  std::unique_ptr<ParametrosLinha> FParams;
};
