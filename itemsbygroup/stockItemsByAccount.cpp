#include "itemsbygroup/stockItemsByAccount.h"

#include "basekit/ExecutarSQL.h"
#include "datakit/ClientDataSet.h"
#include "datakit/SqlLiterals.h"
#include "frame/nrwBaseDllReg.h"
#include "reportkit/ReportHeader.h"
#include "rtl/ScopeGuard.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/SelecaoEmpresa.h"

namespace {

// The products of one group. Prepared once per run and run again for each analytic group.
// Ordered by code so that the listing is the same on every database server. The unary plus
// keeps the planner on the (company, group) index: ordered by the bare column, SQLite walks
// the primary key over every product of the company instead, for each group.
constexpr const char* kSqlProdutos =
    "SELECT CODIGOPRODUTO, DESCRPRODUTO, CODIGONCM, UNIDADEMEDIDA FROM PRODUTO "
    "WHERE CODIGOEMPRESA = :pCodigoEmpresa AND CODIGOGRUPOPRODUTO = :pCodigoGrupoProduto "
    "ORDER BY +CODIGOPRODUTO";

int IndiceDe(const TDataSet* ds, const char* coluna) { return ds->FieldByName(coluna)->GetIndex(); }

}  // namespace

TstockItemsByAccount::TstockItemsByAccount(TnrwReport* rep) : TnrwBaseDll(rep) {}

TstockItemsByAccount::~TstockItemsByAccount() = default;

std::string TstockItemsByAccount::Versao() { return "[versao: 1.0.19.0]"; }

void TstockItemsByAccount::DoParamChange(TObject*, TnpqParamItem*) {}
void TstockItemsByAccount::DoParamEnter(TObject*, TnpqParamItem*) {}
void TstockItemsByAccount::DoParamExit(TObject*, TnpqParamItem*) {}

std::string TstockItemsByAccount::ClassifPrimeiroNivel(const std::string& classif) {
  const size_t ponto = classif.find('.');
  return ponto == std::string::npos ? classif : classif.substr(0, ponto);
}

void TstockItemsByAccount::ImprimirInterno() {
  VerificarSelecaoEmpresa(Report()->GetParams()->GetValues("pCodigoEmpresa"));
  TnpqPowerParam* params = Report()->GetParams();
  const bool quebraClassif = StrToInt(params->GetValues("pQuebra")) == 1;
  int contador = 0;

  TnClientDataSet* dados = ReportDataSet();
  dados->SetFiltered(false);
  dados->SetFilter("");
  // The prefix is a literal of the filter (quotes doubled), so a prefix holding a quote
  // filters for that quote instead of breaking the expression.
  const std::string prefixo = Trim(params->GetValues("pClassifGrupoProduto"));
  if (!prefixo.empty()) {
    dados->SetFilter("ClassifGrupoProduto like " +
                     ValorParaFiltro(Variant(prefixo + "%"), ftString));
    dados->SetFiltered(true);
  }

  dados->First();
  const int total = dados->RecordCount();
  const int ixCodigoEmpresa = IndiceDe(dados, "CodigoEmpresa");
  const int ixClassifGrupoProduto = IndiceDe(dados, "ClassifGrupoProduto");
  const int ixCodigoGrupoProduto = IndiceDe(dados, "CodigoGrupoProduto");
  const int ixDescrGrupoProduto = IndiceDe(dados, "DescrGrupoProduto");
  const int ixLivroModelo7 = IndiceDe(dados, "LivroModelo7");

  TDataSet* curNomeEmpresa = nullptr;
  TDataSet* curProdutos = nullptr;
  SQLDataSetGuard guardaNome(curNomeEmpresa);
  SQLDataSetGuard guardaProdutos(curProdutos);
  AoSair guardaCabecalho([&] { FCabecalho.reset(); });

  curProdutos = ExecutarSQL(kSqlProdutos, VarArrayOf({Variant(0), Variant(0)}), true, true, -1, "",
                            nullptr, true);
  const int ixCodigoProduto = IndiceDe(curProdutos, "CodigoProduto");
  const int ixDescrProduto = IndiceDe(curProdutos, "DescrProduto");
  const int ixCodigoNCM = IndiceDe(curProdutos, "CodigoNCM");
  const int ixUnidadeMedida = IndiceDe(curProdutos, "UnidadeMedida");

  FCabecalho = std::make_unique<TnCabecalhoRelatorio>(Report(), false, false, true, false, true,
                                                      Variant(), -1, 0, 0, "", "", false);
  FCabecalho->Executar(static_cast<int>(dados->Fields(ixCodigoEmpresa)->AsInteger()));

  TnLabel* tituloNcm = Report()->LabelByName("Step_1.Codigoncm");
  TnLabel* valorNcm = Report()->LabelByName("AR3");

  while (!dados->GetEof()) {
    const bool modelo7 = dados->Fields(ixLivroModelo7)->AsInteger() == 1;
    tituloNcm->SetVisible(modelo7);
    valorNcm->SetVisible(modelo7);

    const int64_t tipo = dados->FieldByName("TipoGrupoProduto")->AsInteger();
    params->SetValues("GR1", dados->Fields(ixCodigoGrupoProduto)->AsString());
    params->SetValues("GR3", dados->Fields(ixClassifGrupoProduto)->AsString() + "     " +
                                 dados->Fields(ixDescrGrupoProduto)->AsString());
    params->SetValues("GR2", tipo == 1 ? "S" : "");
    Report()->RepPrintSection(8);

    if (tipo == 2) {
      RefreshSQL(curProdutos,
                 VarArrayOf({dados->Fields(ixCodigoEmpresa)->AsVariant(),
                             dados->Fields(ixCodigoGrupoProduto)->AsVariant()}),
                 true);
      if (!curProdutos->IsEmpty()) {
        for (; !curProdutos->GetEof(); curProdutos->Next()) {
          params->SetValues("AR1", curProdutos->Fields(ixCodigoProduto)->AsString());
          params->SetValues("AR2", curProdutos->Fields(ixDescrProduto)->AsString());
          params->SetValues("AR3", curProdutos->Fields(ixCodigoNCM)->AsString());
          params->SetValues("AR4", curProdutos->Fields(ixUnidadeMedida)->AsString());
          Report()->RepPrintSection(9);
        }
        Report()->RepPrintSection(10);
      }
    }

    ++contador;
    if (Report()->CSLShowProgress(contador, total)) break;

    const int64_t empresa = dados->Fields(ixCodigoEmpresa)->AsInteger();
    const std::string nivel =
        Trim(ClassifPrimeiroNivel(dados->Fields(ixClassifGrupoProduto)->AsString()));
    dados->Next();
    if (dados->GetEof()) break;

    const int64_t empresaAtual = dados->Fields(ixCodigoEmpresa)->AsInteger();
    if (empresaAtual != empresa) {
      FCabecalho->Executar(static_cast<int>(empresaAtual));
      Report()->SetCSLIsPageEnd(true);
      Report()->SetPageNo(0);
      params->SetValues("pNomeEmpresa",
                        ImprimeNomeEmpresa(static_cast<int>(empresaAtual), curNomeEmpresa));
    } else if (quebraClassif && nivel != Trim(ClassifPrimeiroNivel(
                                             dados->Fields(ixClassifGrupoProduto)->AsString()))) {
      Report()->SetCSLIsPageEnd(true);
    }
  }
}

STOCK_REPORT_LIBRARY(TstockItemsByAccount, {"Versao", {}}, {"ImprimirInterno", {}},
                     {"DoParamChange", {"Sender", "_AParam"}},
                     {"DoParamEnter", {"Sender", "_AParam"}},
                     {"DoParamExit", {"Sender", "_AParam"}})
