#include "countsheet/stockCountSheet.h"

#include <utility>

#include "basekit/ExecutarSQL.h"
#include "datakit/ClientDataSet.h"
#include "datakit/FilterInterval.h"
#include "datakit/HostEnv.h"
#include "datakit/SqlLiterals.h"
#include "frame/nrwBaseDllReg.h"
#include "rtl/CasasDecimais.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/FormatFloat.h"
#include "rtl/ScopeGuard.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/SelecaoEmpresa.h"

namespace {

// "##,###,##0." followed by the company's number of price decimals.
std::string MascaraPreco(const TField* casas) {
  return MascaraCasasDecimais(CasasDecimais(casas->AsString()));
}

}  // namespace

TstockCountSheet::TstockCountSheet(TnrwReport* rep) : TnrwBaseDll(rep) {}

TstockCountSheet::~TstockCountSheet() = default;

std::string TstockCountSheet::Versao() { return "[versao: 1.0.19.0]"; }

void TstockCountSheet::ImprimirInterno() {
  VerificarSelecaoEmpresa(Report()->GetParams()->GetValues("pCodigoEmpresa"),
                          Report()->GetParams()->GetValues("pCodigoEstab"));
  TnClientDataSet* dados = ReportDataSet();
  if (dados == nullptr || dados->GetEof()) return;
  TnpqPowerParam* params = Report()->GetParams();

  // A filter that leaves no product still prints the first heading, under the first company
  // of the selection.
  const int64_t primeiraEmpresa = dados->FieldByName("CodigoEmpresa")->AsInteger();

  // The prefix is a literal of the filter (quotes doubled), so a prefix holding a quote
  // filters for that quote instead of breaking the expression.
  dados->SetFiltered(false);
  dados->SetFilter("");
  const std::string prefixo = Trim(params->GetValues("pClassifGrupoProduto"));
  if (!prefixo.empty()) {
    dados->SetFilter("ClassifGrupoProduto like " +
                     ValorParaFiltro(Variant(prefixo + "%"), ftString));
    dados->SetFiltered(true);
  }
  dados->First();

  const int total = dados->RecordCount();
  const bool incluirPreco = StrToIntDef(params->GetValues("pInclUltimoCusto"), 0) == 1;
  const TDateTime dataPreco = StrToDateDef(params->GetValues("pDataUltimoCusto"), Date());

  Report()->LabelByName("Etq_PrecoUnit")->SetVisible(incluirPreco);
  Report()->LabelByName("Etq_PrecoUnitDet")->SetVisible(incluirPreco);
  Report()->LabelByName("Etq_Periodo")->SetVisible(incluirPreco);
  RepObjCaption("Etq_Periodo", incluirPreco ? "em " + FormatDateTime("mm/yyyy", dataPreco) : "");

  const int ixCodigoEmpresa = dados->FieldByName("CodigoEmpresa")->GetIndex();
  const int ixCodigoEstab = dados->FieldByName("CodigoEstab")->GetIndex();
  const int ixCodigoProduto = dados->FieldByName("CodigoProduto")->GetIndex();
  const TField* fldCasas = dados->FieldByName("QtdeCasaDecimal");

  TDataSet* curPreco = nullptr;
  AoSair limpeza([&] {
    DestruirSQL(curPreco);
    FCabecalho.reset();
    Report()->SetOnBeforeSection(nullptr);
  });

  const std::string estabelecimentos = Trim(params->GetValues("pCodigoEstab"));
  FCabecalho = std::make_unique<TnCabecalhoRelatorio>(Report(), false, false, true, false, true,
                                                      VarArrayOf({12, 12}), -1, 0, 0,
                                                      estabelecimentos, "", false);
  Report()->SetOnBeforeSection([this](TObject*, int section) {
    if (section == 1 && FCabecalho) FCabecalho->ImpressaoCabecalho();
  });

  // The header is loaded again only when the company changes: loading it is a look-up.
  int64_t empresaCabecalho =
      dados->GetEof() ? primeiraEmpresa : dados->Fields(ixCodigoEmpresa)->AsInteger();
  FCabecalho->Executar(static_cast<int>(empresaCabecalho));
  Report()->RepPrintSection(9);
  params->SetValues("pPrecoUnit", "");

  TnClientDataSet* cdsPreco = nullptr;
  if (incluirPreco) {
    const std::string sql =
        "select l.CodigoEmpresa , l.CodigoEstab , l.CodigoProduto , l.PrecoUnit from LCTOINV l "
        "where l.DataInvent = " +
        ValorParaSQL(Variant::FromDate(dataPreco), ftDate) +
        FilterInterval("l.CodigoEmpresa", Trim(params->GetValues("pCodigoEmpresa")), {tiIncluir},
                       true, 3) +
        FilterInterval("l.CodigoEstab", estabelecimentos, {tiIncluir}, true, 3) +
        " order by l.CodigoEmpresa, l.CodigoEstab, l.CodigoProduto";
    curPreco = ExecutarSQL(sql, nullptr, true, false, -1, "", nullptr, true);
    cdsPreco = dynamic_cast<TnClientDataSet*>(curPreco);
    if (cdsPreco == nullptr) {
      throw Exception("A consulta dos preços não devolveu um TnClientDataSet");
    }
  }

  // A prefix that matches no product leaves the first heading alone on the sheet.
  if (dados->GetEof()) return;
  std::string mascara = MascaraPreco(fldCasas);
  int contador = 0;
  for (;;) {
    const int64_t empresa = dados->Fields(ixCodigoEmpresa)->AsInteger();
    if (empresa != empresaCabecalho) {
      empresaCabecalho = empresa;
      FCabecalho->Executar(static_cast<int>(empresa));
    }
    if (cdsPreco != nullptr) {
      // The price dataset is ordered by company, establishment and product: its key.
      const bool achou =
          cdsPreco->FindKey({Variant(empresa), Variant(dados->Fields(ixCodigoEstab)->AsInteger()),
                             Variant(dados->Fields(ixCodigoProduto)->AsFloat())});
      params->SetValues("pPrecoUnit",
                        FormatFloat(mascara, achou ? cdsPreco->Fields(3)->AsFloat() : 0.0));
    }
    Report()->RepPrintSection(10);
    ++contador;
    if (Report()->CSLShowProgress(contador, total)) break;

    const int64_t empresaAnterior = empresa;
    const int64_t estabAnterior = dados->Fields(ixCodigoEstab)->AsInteger();
    dados->Next();
    const bool fim = dados->GetEof();
    const int64_t empresaAtual = dados->Fields(ixCodigoEmpresa)->AsInteger();
    if (!fim && empresaAtual == empresaAnterior) {
      if (dados->Fields(ixCodigoEstab)->AsInteger() != estabAnterior) {
        Report()->RepPrintSection(11);
        Report()->RepPrintSection(9);
      }
      continue;
    }

    // End of a company: its closing prints under its own header, then the next company
    // starts on a new page numbered from 1.
    Report()->RepPrintSection(11);
    if (fim) break;
    empresaCabecalho = empresaAtual;
    FCabecalho->Executar(static_cast<int>(empresaAtual));
    if (!Report()->GetCSLIsPageEnd()) Report()->SetCSLIsPageEnd(true);
    Report()->SetPageNo(0);
    Report()->RepPrintSection(9);
    mascara = MascaraPreco(fldCasas);
  }
}

STOCK_REPORT_LIBRARY(TstockCountSheet, {"Versao", {}}, {"ImprimirInterno", {}})
