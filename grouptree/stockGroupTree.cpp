#include "grouptree/stockGroupTree.h"

#include "datakit/ClientDataSet.h"
#include "datakit/SqlLiterals.h"
#include "frame/nrwBaseDllReg.h"
#include "reportkit/ReportHeader.h"
#include "rtl/ScopeGuard.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/SelecaoEmpresa.h"

TstockGroupTree::TstockGroupTree(TnrwReport* rep) : TnrwBaseDll(rep) {}

TstockGroupTree::~TstockGroupTree() = default;

std::string TstockGroupTree::Versao() { return "[versao: 1.0.19.0]"; }

void TstockGroupTree::DoParamChange(TObject*, TnpqParamItem*) {}
void TstockGroupTree::DoParamEnter(TObject*, TnpqParamItem*) {}
void TstockGroupTree::DoParamExit(TObject*, TnpqParamItem*) {}

void TstockGroupTree::ImprimirInterno() {
  VerificarSelecaoEmpresa(Report()->GetParams()->GetValues("pCodigoEmpresa"));
  TnpqPowerParam* params = Report()->GetParams();
  TnClientDataSet* dados = ReportDataSet();
  if (dados->GetFiltered()) dados->SetFiltered(false);

  // The prefix is a literal of the filter (quotes doubled), so a prefix holding a quote
  // filters for that quote instead of breaking the expression.
  const std::string prefixo = Trim(params->GetValues("pClassifGrupoProduto"));
  if (!prefixo.empty()) {
    dados->SetFilter("ClassifGrupoProduto like " +
                     ValorParaFiltro(Variant(prefixo + "%"), ftString));
    dados->SetFiltered(true);
  }

  dados->First();
  int contador = 0;
  const int total = dados->RecordCount();
  const bool pularLinha = StrToInt(params->GetValues("pPularLinha")) == 1;

  AoSair guarda([&] { FCabecalho.reset(); });
  FCabecalho = std::make_unique<TnCabecalhoRelatorio>(Report(), false, false, true, false, true,
                                                      Variant(), -1, 0, 0, "", "", false);
  FCabecalho->Executar(static_cast<int>(dados->FieldByName("CodigoEmpresa")->AsInteger()));

  while (!dados->GetEof()) {
    if (dados->FieldByName("TipoGrupoProduto")->AsInteger() == 1) {
      params->SetValues("R1", "S");
      if (pularLinha) Report()->RepPrintSection(9);
    } else {
      params->SetValues("R1", "");
    }
    Report()->RepPrintSection(8);

    ++contador;
    if (Report()->CSLShowProgress(contador, total)) break;

    const int64_t empresa = dados->FieldByName("CodigoEmpresa")->AsInteger();
    dados->Next();
    if (!dados->GetEof()) {
      const int64_t atual = dados->FieldByName("CodigoEmpresa")->AsInteger();
      if (atual != empresa) {
        FCabecalho->Executar(static_cast<int>(atual));
        Report()->SetCSLIsPageEnd(true);
        Report()->SetPageNo(0);
      }
    }
  }
}

STOCK_REPORT_LIBRARY(TstockGroupTree, {"Versao", {}}, {"ImprimirInterno", {}},
                     {"DoParamChange", {"Sender", "_AParam"}},
                     {"DoParamEnter", {"Sender", "_AParam"}},
                     {"DoParamExit", {"Sender", "_AParam"}})
