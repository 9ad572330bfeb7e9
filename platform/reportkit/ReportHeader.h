#pragma once
// TnCabecalhoRelatorio: the standard report header. Executar(company) loads the company's
// header data into the header parameters that section 1 shows; ImpressaoCabecalho refreshes the
// ones that change from page to page. Only the header parameters that the report's definition
// declares are filled:
//   pCabEmpresa    "0001 - <company name>"
//   pCabInscricao  "CNPJ: 00.000.000/0000-00" (CPF or CEI by the company's kind)
//   pCabEstab      "Estab.: 0001 - <establishment name>" when an establishment was given
//   pCabTitulo     the report's title
//   pCabEmissao    "Emissão: dd/mm/yyyy hh:nn"

#include <string>

#include "rtl/TObject.h"
#include "rtl/Variant.h"

class TnrwReport;
class TDataSet;

class TnCabecalhoRelatorio : public TObject {
 public:
  // `report` must outlive the builder. `estabelecimento` is the establishment code as text
  // (empty for none; a list or a non-number shows no establishment line). The flags, the
  // variant and the three integers are accepted for compatibility with the callers' layout
  // options and do not change what is loaded.
  TnCabecalhoRelatorio(TnrwReport* report, bool, bool, bool, bool, bool, const Variant&, int, int,
                       int, const std::string& estabelecimento, const std::string&, bool);
  ~TnCabecalhoRelatorio() override;

  // Loads the header of company `empresa`. A company that does not exist gives its code and an
  // empty name. Raises on database errors.
  void Executar(int empresa);

  // Refreshes the per-page header values (the emission time).
  void ImpressaoCabecalho();

 private:
  void Set(const char* name, const std::string& value);

  TnrwReport* report_;
  std::string estabelecimento_;
};

// The name of company `empresa` (empty when it does not exist). `dataset` is the caller's
// variable: the first call runs the look-up into it, later calls run it again with the new
// code. The caller releases it with DestruirSQL.
std::string ImprimeNomeEmpresa(int empresa, TDataSet*& dataset);
