#pragma once
// Internal to the register plug-in: what the run locates once per pass and the period body
// reads for every item.

#include "register/stockRegister.h"

class TField;
class TnpqParamItem;

// The item columns of the main dataset, found by name once per pass.
struct TstockRegister::ItemFields {
  TField* QtdeEstoque;
  TField* PrecoUnit;
  TField* CodigoNCM;
  TField* ClassifGrupoProduto;
  TField* MascClassifFiscalProd;
  TField* ObsLctoInv;
  TField* ValorICMS;
  TField* ValorPIS;
  TField* ValorCOFINS;
  TField* DescrGrupoProduto;
  TField* IndicadorPropriedade;  // nullptr when the query has no ownership: one block
  TField* NomeTerceiro;          // nullptr when the query names no third party
  TField* ValorParcela;          // a portion's stored value (null for a whole line)
};

// Sums of a group, a block or the company's goods of a period.
struct TstockRegister::Totals {
  double value = 0, icms = 0, pis = 0, cofins = 0;
  void Add(const Totals& other) {
    value += other.value;
    icms += other.icms;
    pis += other.pis;
    cofins += other.cofins;
  }
};

// Items walked in the period, for the progress display.
struct TstockRegister::BodyProgress {
  int done;
  int total;
};

// The report parameters the body writes for every item.
struct TstockRegister::BodyParams {
  TnpqParamItem* pValorQtd;
  TnpqParamItem* pPrecoUnit;
  TnpqParamItem* pCodigoNCM;
  TnpqParamItem* pTotalNCM;
  TnpqParamItem* pTituloBloco;
  TnpqParamItem* pTerceiro;
  TnpqParamItem* R[5];
};
