#include "items/stockItems.h"

#include "datakit/ClientDataSet.h"
#include "datakit/SqlLiterals.h"
#include "frame/nrwBaseDllReg.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/SelecaoEmpresa.h"

TstockItems::TstockItems(TnrwReport* rep) : TnrwBaseDll(rep) {}

std::string TstockItems::Versao() { return "[versao: 1.0.20.0]"; }

void TstockItems::DoParamChange(TObject*, TnpqParamItem*) {}
void TstockItems::DoParamEnter(TObject*, TnpqParamItem*) {}
void TstockItems::DoParamExit(TObject*, TnpqParamItem*) {}

void TstockItems::ImprimirInterno() {
  VerificarSelecaoEmpresa(Report()->GetParams()->GetValues("pCodigoEmpresa"));
  TnClientDataSet* dados = ReportDataSet();
  dados->SetFiltered(false);
  dados->SetFilter("");

  // The prefix is a literal of the filter (quotes doubled), so a prefix holding a quote
  // filters for that quote instead of breaking the expression.
  const std::string prefixo = Trim(Report()->GetParams()->GetValues("pClassifGrupoProduto"));
  if (!prefixo.empty()) {
    dados->SetFilter("ClassifGrupoProduto like " +
                     ValorParaFiltro(Variant(prefixo + "%"), ftString));
    dados->SetFiltered(true);
  }

  dados->First();
  const int total = dados->RecordCount();
  const bool quebra = StrToInt(Report()->GetParams()->GetValues("pQuebra")) == 1;

  TnLabel* classif = Report()->LabelByName("Step_1.ClassifGrupoProduto");
  TnLabel* ncm = Report()->LabelByName("Step_1.Codigoncm");
  TField* modelo7 = dados->FieldByName("LIVROMODELO7");
  TField* empresa = dados->FieldByName("CodigoEmpresa");

  int contador = 0;
  while (!dados->GetEof()) {
    const bool visivel = modelo7->AsInteger() == 1;
    classif->SetVisible(visivel);
    ncm->SetVisible(visivel);
    Report()->RepPrintSection(8);
    ++contador;
    if (Report()->CSLShowProgress(contador, total)) break;
    const int64_t anterior = empresa->AsInteger();
    dados->Next();
    if (quebra && !dados->GetEof() && empresa->AsInteger() != anterior) {
      Report()->SetCSLIsPageEnd(true);
      Report()->SetPageNo(0);
    }
  }
}

STOCK_REPORT_LIBRARY(TstockItems, {"Versao", {}}, {"ImprimirInterno", {}},
                     {"DoParamChange", {"Sender", "_AParam"}},
                     {"DoParamEnter", {"Sender", "_AParam"}},
                     {"DoParamExit", {"Sender", "_AParam"}})
