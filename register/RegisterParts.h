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
};

// The report parameters the body writes for every item.
struct TstockRegister::BodyParams {
  TnpqParamItem* pValorQtd;
  TnpqParamItem* pPrecoUnit;
  TnpqParamItem* pCodigoNCM;
  TnpqParamItem* R[5];
};
