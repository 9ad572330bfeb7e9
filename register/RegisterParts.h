#pragma once
// Internal to the register plug-in: what the run locates once per pass and the period body
// reads for every item.

#include <string>
#include <vector>

#include "register/RegisterOwnership.h"
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
  // Ownership, each nullptr when the query does not give it: the line's indicator, third party
  // and motive (with the product and the date, the key of its portions).
  TField* IndicadorPropriedade;
  TField* CodigoTerceiro;
  TField* MotivoInventario;
  TField* CodigoProduto;
  TField* DataInventario;
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

// One item of an ownership block: the main dataset's row (its position in the period), and
// for a line with portions, which of them.
struct TstockRegister::BlockItem {
  int row;
  const std::vector<TRegisterPortion>* portions;  // nullptr: the whole line
  size_t index;
  int group;        // the line's product group, numbered in the query's order
  std::string ncm;  // the product's NCM code as stored (empty: none)
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
  TnpqParamItem* pValorIcmsItem;
  TnpqParamItem* pValorPisItem;
  TnpqParamItem* pValorCofinsItem;
  TnpqParamItem* pTituloBloco;
  TnpqParamItem* pTerceiro;
  TnpqParamItem* R[5];
};
