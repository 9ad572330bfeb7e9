#include "balances/stockBalances.h"

#include <utility>

#include "basekit/DataModules.h"
#include "datakit/ClientDataSet.h"
#include "datakit/Rounding.h"
#include "frame/nrwBaseDllReg.h"
#include "invkit/DMPowerParam.h"
#include "rtl/CasasDecimais.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/FormatFloat.h"
#include "rtl/ScopeGuard.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/SelecaoEmpresa.h"

namespace {

constexpr const char* kModuloSaldo = "TnInvDPGerarSaldoInv";
constexpr const char* kDataSetGrupos = "nClientDataSetGrupoProduto";

}  // namespace

TstockBalances::TstockBalances(TnrwReport* rep) : TnrwBaseDll(rep) {}

TstockBalances::~TstockBalances() = default;

std::string TstockBalances::Versao() { return "[versao: 1.0.19.0]"; }

void TstockBalances::DoParamChange(TObject*, TnpqParamItem*) {}
void TstockBalances::DoParamEnter(TObject*, TnpqParamItem*) {}
void TstockBalances::DoParamExit(TObject*, TnpqParamItem*) {}

void TstockBalances::ImprimirInterno() {
  VerificarSelecaoEmpresa(Report()->GetParams()->GetValues("pCodigoEmpresa"),
                          Report()->GetParams()->GetValues("pCodigoEstab"));
  TnClientDataSet* estabs = ReportDataSet();
  if (estabs == nullptr || estabs->GetEof()) return;
  TnpqPowerParam* params = Report()->GetParams();

  double totalEmpresa = 0;
  int contador = 0;
  const TField* fldNomeEstab = estabs->FieldByName("NOMEESTAB");
  const TField* fldCasas = estabs->FieldByName("QTDECASADECIMAL");
  // Establishments are found by key: company, then establishment.
  estabs->SetIndexFieldNames("CODIGOEMPRESA;CODIGOESTAB");

  // The title; a date that does not convert stops the run before anything prints.
  const std::string dataSaldo = params->GetValues("pDataSaldo");
  const TDateTime dataTitulo =
      Trim(dataSaldo).empty() ? StrToDate(params->GetValues("pDataInicial")) : StrToDate(dataSaldo);
  params->SetValues("R4", "Saldos em " + FormatDateTime(" d \"de\" mmmm \"de\" yyyy", dataTitulo));

  std::unique_ptr<TObject> modulo;
  AoSair limpeza([&] {
    modulo.reset();
    FCabecalho.reset();
  });
  FCabecalho = std::make_unique<TnCabecalhoRelatorio>(
      Report(), false, false, true, false, true, Variant::Null(), -1, 0, 0,
      Trim(params->GetValues("pCodigoEstab")), "", false);

  modulo.reset(CriarDMNovo(kModuloSaldo, nullptr));
  auto* saldo = dynamic_cast<TnDMPowerParam*>(modulo.get());
  if (saldo == nullptr) {
    throw Exception(std::string("O módulo de dados '") + kModuloSaldo +
                    "' não é um TnDMPowerParam");
  }
  TnpqPowerParam* entrada = saldo->GetParams();
  entrada->Param("pCodigoEmpresa")->SetValue(Trim(params->GetValues("pCodigoEmpresa")));
  entrada->Param("pCodigoEstab")->SetValue(Trim(params->GetValues("pCodigoEstab")));
  entrada->Param("pDataInicial")->SetValue(params->GetValues("pDataInicial"));
  entrada->Param("pClassifConta")->SetValue(Trim(params->GetValues("pClassifGrupoProduto")));
  entrada->Param("pMotivoInventario")->SetValue(Trim(params->GetValues("pMotivoInventario")));
  saldo->Executar();

  auto* grupos = dynamic_cast<TnClientDataSet*>(saldo->FindComponent(kDataSetGrupos));
  if (grupos == nullptr) {
    throw Exception(std::string("O módulo de dados '") + kModuloSaldo + "' não tem o conjunto '" +
                    kDataSetGrupos + "'");
  }
  grupos->First();
  if (grupos->GetEof()) return;

  const int total = grupos->RecordCount();
  const int ixCodigoEmpresa = grupos->FieldByName("CODIGOEMPRESA")->GetIndex();
  const int ixCodigoEstab = grupos->FieldByName("CODIGOESTAB")->GetIndex();
  const int ixTipoGrupo = grupos->FieldByName("TIPOGRUPOPRODUTO")->GetIndex();
  const int ixClassif = grupos->FieldByName("CLASSIFGRUPOPRODUTO")->GetIndex();
  const int ixDescr = grupos->FieldByName("DESCRGRUPOPRODUTO")->GetIndex();
  const int ixValor = grupos->FieldByName("VALORLCTO")->GetIndex();
  const int ixTotalEstab = grupos->FieldByName("TOTALESTAB")->GetIndex();

  int decimais = 2;
  std::string mascara;

  // Positions the establishments on (empresa, estab) and prints its heading. An
  // establishment missing from them is headed by its code alone.
  auto cabecalhoEstab = [&](int64_t empresa, int64_t estab) {
    const bool achou = estabs->FindKey({Variant(empresa), Variant(estab)});
    params->SetValues("pNomeEstab", FormatFloat("0000", static_cast<double>(estab)) + " " +
                                        (achou ? fldNomeEstab->AsString() : std::string()));
    Report()->RepPrintSection(10);
    return achou;
  };
  // The company's decimals, from the row cabecalhoEstab found (or the company's first row);
  // 2 for a company without the setting.
  auto lerDecimais = [&](int64_t empresa, bool achou) {
    if (!achou) achou = estabs->FindKey({Variant(empresa)});
    decimais = achou ? CasasDecimais(fldCasas->AsString()) : 2;
    mascara = MascaraCasasDecimais(decimais);
  };

  int64_t empresaAtual = grupos->Fields(ixCodigoEmpresa)->AsInteger();
  int64_t estabAtual = grupos->Fields(ixCodigoEstab)->AsInteger();
  FCabecalho->Executar(static_cast<int>(empresaAtual));
  lerDecimais(empresaAtual, cabecalhoEstab(empresaAtual, estabAtual));

  double totalEstab = 0;
  // The establishment's total line: it also adds the establishment to its company.
  auto imprimirTotalEstab = [&] {
    totalEmpresa += totalEstab;
    params->SetValues("R2", "Total:");
    params->SetValues("R3", FormatFloat(mascara, totalEstab));
    Report()->RepPrintSection(9);
    Report()->RepPrintSection(11);
    Report()->RepPrintSection(12);
  };
  for (;;) {
    params->SetValues("R1", "");
    params->SetValues("R2", "");
    params->SetValues("R3", "");
    if (grupos->Fields(ixTipoGrupo)->AsInteger() == 1) {
      Report()->RepPrintSection(9);
      params->SetValues("R1", "S");
    }
    params->SetValues("R2", grupos->Fields(ixClassif)->AsString() + "     " +
                                grupos->Fields(ixDescr)->AsString());
    params->SetValues(
        "R3", FormatFloat(mascara, RoundValor(grupos->Fields(ixValor)->AsFloat(), decimais)));
    Report()->RepPrintSection(8);
    ++contador;
    // A stop ends the report here: the pending totals would be incomplete.
    if (Report()->CSLShowProgress(contador, total)) return;

    totalEstab = grupos->Fields(ixTotalEstab)->AsFloat();
    grupos->Next();
    const bool fim = grupos->GetEof();
    const int64_t empresa = grupos->Fields(ixCodigoEmpresa)->AsInteger();
    const int64_t estab = grupos->Fields(ixCodigoEstab)->AsInteger();

    if (!fim && empresa == empresaAtual) {
      if (estab != estabAtual) {
        imprimirTotalEstab();
        cabecalhoEstab(empresa, estab);
        estabAtual = estab;
      }
      continue;
    }

    // End of a company (or of the data): the last establishment's total, then the company's.
    imprimirTotalEstab();
    params->SetValues("R2", "Total da empresa:");
    params->SetValues("R3", FormatFloat(mascara, totalEmpresa));
    Report()->RepPrintSection(9);
    Report()->RepPrintSection(11);
    totalEmpresa = 0;
    if (fim) return;

    FCabecalho->Executar(static_cast<int>(empresa));
    if (!Report()->GetCSLIsPageEnd()) Report()->SetCSLIsPageEnd(true);
    Report()->SetPageNo(0);
    lerDecimais(empresa, cabecalhoEstab(empresa, estab));
    empresaAtual = empresa;
    estabAtual = estab;
  }
}

STOCK_REPORT_LIBRARY(TstockBalances, {"Versao", {}}, {"ImprimirInterno", {}},
                     {"DoParamChange", {"Sender", "_AParam"}},
                     {"DoParamEnter", {"Sender", "_AParam"}},
                     {"DoParamExit", {"Sender", "_AParam"}})
