#include "listing/stockListing.h"

#include <algorithm>
#include <vector>

#include "basekit/ExecutarSQL.h"
#include "datakit/ClientDataSet.h"
#include "datakit/FieldMapper.h"
#include "datakit/FilterInterval.h"
#include "datakit/Rounding.h"
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

const char* const kMascaraValor = "##,###,##0.00";

// Number picture for a company's decimals setting.
std::string MascaraDecimais(TField* campo) {
  return MascaraCasasDecimais(CasasDecimais(campo->AsString()));
}

// A date parameter: blank is day 0, anything else must be a date.
TDateTime LerData(const std::string& texto, const char* qual) {
  if (Trim(texto).empty()) return 0;
  TDateTime data = 0;
  if (!TryStrToDate(texto, data)) {
    throw Exception(std::string("Data ") + qual + " inválida: '" + Trim(texto) + "'.");
  }
  return data;
}

// "mm/yyyy" of a date parameter for the period shown in the page header ("" for a blank one).
std::string MesAno(TDateTime data) {
  return data == 0 ? std::string() : FormatDateTime("mm/yyyy", data);
}

}  // namespace

TnMapDados::TnMapDados() {
  Mapear("CODIGOGRUPOPRODUTO", CODIGOGRUPOPRODUTO, true);
  Mapear("DESCRPRODUTO", DESCRPRODUTO, true);
  Mapear("UNIDADEMEDIDA", UNIDADEMEDIDA, true);
  Mapear("DATAINVENT", DATAINVENT, true);
  Mapear("QTDEESTOQUE", QTDEESTOQUE, true);
  Mapear("PRECOUNIT", PRECOUNIT, true);
  Mapear("CODIGOPRODUTO", CODIGOPRODUTO, true);
  // Only the listing by ownership indicator has these.
  Mapear("INDICADORPROPRIEDADE", INDICADORPROPRIEDADE);
  Mapear("CONTACTB", CONTACTB);
  Mapear("DESCRCONTA", DESCRCONTA);
  Mapear("VALORPARCELA", VALORPARCELA);
}
TnMapDados::~TnMapDados() = default;

TnMapEmp::TnMapEmp() {
  Mapear("CODIGOEMPRESA", CODIGOEMPRESA, true);
  Mapear("CODIGOESTAB", CODIGOESTAB, true);
  Mapear("QTDECASADECIMAL", QTDECASADECIMAL, true);
  Mapear("QTDECASADECIMALQTD", QTDECASADECIMALQTD, true);
}
TnMapEmp::~TnMapEmp() = default;

// The layout parameters written for every line and total, found once per run.
struct TstockListing::ParametrosLinha {
  TnpqParamItem *pCodProduto, *pDescrProduto, *pContaGrupo, *pUnidade, *pPeriodo, *pQtde,
      *pPrecoUnit, *pCustoTotal, *pIndProp, *pContaCtb, *pLblTotal, *pPrecoTotal, *pPeriodoIni,
      *pPeriodoFim;
  std::string periodoIni, periodoFim;
};

TstockListing::TstockListing(TnrwReport* rep) : TnrwBaseDll(rep) {}
TstockListing::~TstockListing() = default;

std::string TstockListing::Versao() { return "[versao: 1.0.19.0]"; }

void TstockListing::DoParamEnter(TObject*, TnpqParamItem*) {}
void TstockListing::DoParamExit(TObject*, TnpqParamItem*) {}

void TstockListing::LerParametros() {
  FCodigoEmpresa = RepParam("pCodigoEmpresa");
  FCodigoEstab = RepParam("pCodigoEstab");
  FDataIncial = LerData(RepParam("pDataInicial"), "inicial");
  FDataFinal = LerData(RepParam("pDataFinal"), "final");
  FIndPropried = StrToIntDef(RepParam("pIndPropriedade"), 0);
  FModelo = StrToIntDef(RepParam("pModelo"), 0);
  // Only 0 and 1 are models; every other value lists by ownership indicator, so that the
  // columns, the bands and the joins of the query always agree.
  if (FModelo != 0) FModelo = 1;
  FImprimeConta = StrToIntDef(RepParam("pIncluirConta"), 0) == 1;
  FMotivoInventario = StrToIntDef(RepParam("pMotivoInventario"), 0);
  FOrdem = StrToIntDef(Report()->GetParams()->GetValues("pOrdem"), 0);

  if (FModelo == 0) {
    FBandaCabecalho = 12;
    FBandaDados = 9;
  } else if (FImprimeConta) {
    FBandaCabecalho = 15;
    FBandaDados = 16;
  } else {
    FBandaCabecalho = 13;
    FBandaDados = 14;
  }
}

std::string TstockListing::MontarSQL() const {
  const bool porIndicador = FModelo == 1;
  const TnTiposInclusao inclusao{tiIncluir};
  std::string sql;
  sql +=
      "SELECT L.CODIGOEMPRESA , L.CODIGOESTAB , P.CODIGOGRUPOPRODUTO , P.DESCRPRODUTO , "
      "P.UNIDADEMEDIDA , L.DATAINVENT ";
  sql += porIndicador ? ", D.PRECOUNIT " : ", L.PRECOUNIT ";
  sql += ", L.CODIGOPRODUTO ";
  if (porIndicador) {
    sql += ", D.QUANTIDADE QTDEESTOQUE ";
    sql += ", D.INDICADORPROPRIEDADE ";
    sql += ", D.VALORTOTAL VALORPARCELA ";
    sql += ", D.CONTACTB ";
    sql += ", PLA.CLASSIFCONTA||' - '||PLA.DESCRCONTA DESCRCONTA ";
  } else {
    sql += ", L.QTDEESTOQUE ";
  }
  sql += "FROM PRODUTO P ";
  sql += "INNER JOIN LCTOINV L ";
  sql += "ON L.CODIGOPRODUTO = P.CODIGOPRODUTO ";
  sql += "and L.CODIGOEMPRESA = P.CODIGOEMPRESA ";
  if (porIndicador) {
    sql += " INNER JOIN LCTOINVPROPRIEDADE D ";
    sql += " ON D.CODIGOEMPRESA = L.CODIGOEMPRESA ";
    sql += " AND D.CODIGOESTAB = L.CODIGOESTAB ";
    sql += " AND D.DATAINVENT = L.DATAINVENT ";
    sql += " AND D.CODIGOPRODUTO = L.CODIGOPRODUTO ";
    sql += " AND D.MOTIVOINVENTARIO = L.MOTIVOINVENTARIO ";
    sql += " LEFT JOIN PLANOESPEC PLA ";
    sql += " on PLA.CODIGOEMPRESA = D.CODIGOEMPRESA ";
    sql += " and PLA.CONTACTB = D.CONTACTB ";
  }
  sql += "WHERE ";
  // The company condition carries no connective; the establishment condition brings its own
  // " and " and ends in a space, like the company condition.
  sql += FilterInterval("L.CODIGOEMPRESA", FCodigoEmpresa, inclusao, false, 0);
  if (!Trim(FCodigoEstab).empty()) {
    sql += FilterInterval("L.CODIGOESTAB", FCodigoEstab, inclusao, true, 1);
  }
  sql += "AND L.DATAINVENT BETWEEN :pDataIni AND :pDataFim ";
  if (porIndicador && FIndPropried != 3) {
    sql += "AND D.INDICADORPROPRIEDADE = " + ValorParaSQL(Variant(FIndPropried), ftInteger);
  }
  if (FMotivoInventario != 0) {
    sql += " AND L.MOTIVOINVENTARIO = " + ValorParaSQL(Variant(FMotivoInventario), ftInteger);
  }
  sql += " ORDER BY L.Codigoempresa, L.Codigoestab ";
  switch (FOrdem) {
    case 0: sql += ", L.Codigoproduto, L.Datainvent"; break;
    case 1: sql += ", P.DESCRPRODUTO, L.Datainvent"; break;
    case 2: sql += ", L.Datainvent, L.Codigoproduto"; break;
    default: break;
  }
  // Lines and portions with the same sort values come in the order of their keys, so every
  // database prints them alike.
  if (FOrdem == 1) sql += ", L.Codigoproduto";
  sql += ", L.MOTIVOINVENTARIO";
  if (porIndicador) sql += ", D.SEQPROPRIEDADE";
  return sql;
}

void TstockListing::AbrirDados() {
  TDataSet* resultado = ExecutarSQL(
      MontarSQL(), VarArrayOf({Variant::FromDate(FDataIncial), Variant::FromDate(FDataFinal)}),
      true, false, -1, "", nullptr, true);
  curDados = dynamic_cast<TnClientDataSet*>(resultado);
  if (curDados == nullptr) {
    DestruirSQL(resultado);
    throw Exception("A consulta da listagem do inventário não devolveu um TnClientDataSet.");
  }
}

void TstockListing::LiberarExecucao() {
  Report()->SetOnBeforeSection(nullptr);
  Report()->SetOnAfterSection(nullptr);
  FCabecalho.reset();
  FMapDados.reset();
  FMapEmp.reset();
  FTotalIndProp.reset();
  FTotalContaCtb.reset();
  FDicDescrConta.reset();
  FLstIndProp.reset();
  FParams.reset();
  TDataSet* dados = curDados;
  curDados = nullptr;
  DestruirSQL(dados);
}

void TstockListing::ImprimirTotal(const std::string& legenda, double valor) {
  FParams->pLblTotal->SetValue(legenda);
  FParams->pPrecoTotal->SetValue(FormatFloat(kMascaraValor, valor));
  Report()->RepPrintSection(11);
}

void TstockListing::ImprimirLinha(double& subtotal) {
  ParametrosLinha& p = *FParams;
  TnMapDados& d = *FMapDados;
  p.pCodProduto->SetValue(d.CODIGOPRODUTO->AsString());
  p.pDescrProduto->SetValue(d.DESCRPRODUTO->AsString());
  p.pContaGrupo->SetValue(d.CODIGOGRUPOPRODUTO->AsString());
  p.pUnidade->SetValue(d.UNIDADEMEDIDA->AsString());
  p.pPeriodo->SetValue(FormatDateTime("mm/yyyy", d.DATAINVENT->AsDateTime()));
  p.pQtde->SetValue(FormatFloat(FMascaraQtde, d.QTDEESTOQUE->AsFloat()));
  p.pPrecoUnit->SetValue(FormatFloat(FMascaraPreco, d.PRECOUNIT->AsFloat()));
  // A portion costs its stored value: the portions of a line add up to the line's value to the
  // cent, which their quantities times the price, each rounded, need not.
  const double custo = d.VALORPARCELA != nullptr
                           ? RoundValor(d.VALORPARCELA->AsFloat(), 2)
                           : RoundValor(d.QTDEESTOQUE->AsFloat() * d.PRECOUNIT->AsFloat(), 2);
  p.pCustoTotal->SetValue(FormatFloat(kMascaraValor, custo));
  if (FModelo == 1) {
    p.pIndProp->SetValue(d.INDICADORPROPRIEDADE->AsString());
    p.pContaCtb->SetValue(d.CONTACTB->AsString());
    (*FTotalIndProp)[static_cast<int32_t>(d.INDICADORPROPRIEDADE->AsInteger())] += custo;
    if (FImprimeConta) {
      // A portion without an account counts under account 0.
      const double conta = d.CONTACTB->AsFloat();
      auto [item, nova] = FTotalContaCtb->try_emplace(conta, 0.0);
      item->second += custo;
      if (nova) (*FDicDescrConta)[conta] = d.DESCRCONTA->AsString();
    }
  }
  subtotal += custo;
  Report()->RepPrintSection(FBandaDados);
}

void TstockListing::ImprimirTotaisEmpresa(double totalEstab, double totalEmpresa) {
  ImprimirTotal("Total:", totalEstab);
  Report()->RepPrintSection(10);

  // The captions of the indicator and account totals are cut to the label's width while
  // they print; the label sizes itself again afterwards, also when an error passes.
  TnLabel* rotulo = Report()->LabelByName("pLblTotal");
  if (!FTotalIndProp->empty()) {
    {
      rotulo->SetAutoSize(false);
      AoSair restaura([rotulo] { rotulo->SetAutoSize(true); });
      for (int32_t indicador = 0; indicador <= 2; ++indicador) {
        auto item = FTotalIndProp->find(indicador);
        if (item == FTotalIndProp->end()) continue;
        ImprimirTotal(
            "Total Ind. de Propr.: " + IntToStr(indicador) + " " + FLstIndProp->at(indicador),
            item->second);
      }
      FTotalIndProp->clear();
    }
    Report()->RepPrintSection(10);
  }
  if (!FTotalContaCtb->empty()) {
    {
      rotulo->SetAutoSize(false);
      AoSair restaura([rotulo] { rotulo->SetAutoSize(true); });
      // Ascending account order.
      for (const auto& [conta, valor] : *FTotalContaCtb) {
        ImprimirTotal(conta == 0
                          ? std::string("Total Conta Não Informada ")
                          : "Total Conta " + FloatToStr(conta) + " - " + (*FDicDescrConta)[conta],
                      valor);
      }
      FTotalContaCtb->clear();
      FDicDescrConta->clear();
    }
    Report()->RepPrintSection(10);
  }
  ImprimirTotal("Total da empresa:", totalEmpresa);
}

void TstockListing::ImprimirInterno() {
  VerificarSelecaoEmpresa(Report()->GetParams()->GetValues("pCodigoEmpresa"),
                          Report()->GetParams()->GetValues("pCodigoEstab"));
  TnClientDataSet* empresas = ReportDataSet();
  if (empresas == nullptr || empresas->IsEmpty()) return;

  // Whatever the run created is released, and the hooks emptied, however it ends.
  struct Limpeza {
    TstockListing* self;
    ~Limpeza() { self->LiberarExecucao(); }
  } limpeza{this};

  LerParametros();
  FLstIndProp = std::make_unique<std::map<int32_t, std::string>>(
      std::map<int32_t, std::string>{{0, "Estoque Próprio"},
                                     {1, "Estoque Próprio em poder de Terceiros"},
                                     {2, "Estoque de Terceiros em poder do Contribuinte"}});
  FTotalIndProp = std::make_unique<std::map<int32_t, double>>();
  FTotalContaCtb = std::make_unique<std::map<double, double>>();
  FDicDescrConta = std::make_unique<std::map<double, std::string>>();

  TnpqPowerParam* params = Report()->GetParams();
  FParams = std::make_unique<ParametrosLinha>(ParametrosLinha{
      params->Param("pCodProduto"), params->Param("pDescrProduto"), params->Param("pContaGrupo"),
      params->Param("pUnidade"), params->Param("pPeriodo"), params->Param("pQtde"),
      params->Param("pPrecoUnit"), params->Param("pCustoTotal"), params->Param("pIndProp"),
      params->Param("pContaCtb"), params->Param("pLblTotal"), params->Param("pPrecoTotal"),
      params->Param("pPeriodoIni"), params->Param("pPeriodoFim"), MesAno(FDataIncial),
      MesAno(FDataFinal)});

  FCabecalho = std::make_unique<TnCabecalhoRelatorio>(
      Report(), false, false, true, false, true, Variant::Null(), -1, 0, 0,
      Trim(params->GetValues("pCodigoEstab")), "", false);
  Report()->SetOnBeforeSection([this](TObject*, int) {
    FParams->pPeriodoIni->SetValue(FParams->periodoIni);
    FParams->pPeriodoFim->SetValue(FParams->periodoFim);
  });
  Report()->SetOnAfterSection([this](TObject*, int secao) {
    if (secao == 1) Report()->RepPrintSection(FBandaCabecalho);
  });

  AbrirDados();
  FMapDados = std::make_unique<TnMapDados>();
  FieldMapper()->MapearFields(curDados, FMapDados.get());
  FMapEmp = std::make_unique<TnMapEmp>();
  FieldMapper()->MapearFields(empresas, FMapEmp.get());

  const int total = curDados->RecordCount();
  int contador = 0;  // lines printed in the whole run
  double subtotal = 0, totalEmpresa = 0;
  TnMapEmp& emp = *FMapEmp;
  empresas->First();
  for (;;) {
    const int64_t empresa = emp.CODIGOEMPRESA->AsInteger();
    const int64_t estab = emp.CODIGOESTAB->AsInteger();
    FCabecalho->Executar(static_cast<int>(empresa));
    if (empresas->GetBof()) Report()->RepPrintSection(8);
    FMascaraPreco = MascaraDecimais(emp.QTDECASADECIMAL);
    FMascaraQtde = MascaraDecimais(emp.QTDECASADECIMALQTD);

    curDados->CancelRange();
    curDados->SetRange({Variant(empresa), Variant(estab)}, {Variant(empresa), Variant(estab)});
    while (!curDados->GetEof()) {
      ImprimirLinha(subtotal);
      ++contador;
      // A stop ends the lines of this establishment; its totals still print.
      if (Report()->CSLShowProgress(contador, total)) break;
      curDados->Next();
    }

    empresas->Next();
    const bool fim = empresas->GetEof();
    const int64_t proxEmpresa = emp.CODIGOEMPRESA->AsInteger();
    const int64_t proxEstab = emp.CODIGOESTAB->AsInteger();
    if (proxEmpresa == empresa && proxEstab != estab) {
      totalEmpresa += subtotal;
      ImprimirTotal("Total:", subtotal);
      Report()->RepPrintSection(10);
      Report()->RepPrintSection(8);
      subtotal = 0;
    }
    if (proxEmpresa == empresa && !fim) continue;

    totalEmpresa += subtotal;
    ImprimirTotaisEmpresa(subtotal, totalEmpresa);
    subtotal = 0;
    totalEmpresa = 0;
    if (fim) break;
    // The next company's header is loaded before its first page opens, so the last page of
    // the company just finished keeps its own header.
    FCabecalho->Executar(static_cast<int>(proxEmpresa));
    if (!Report()->GetCSLIsPageEnd()) Report()->SetCSLIsPageEnd(true);
    Report()->RepPrintSection(8);
  }
}

STOCK_REPORT_LIBRARY(TstockListing, {"Versao", {}}, {"ImprimirInterno", {}},
                     {"DoParamEnter", {"Sender", "_AParam"}},
                     {"DoParamExit", {"Sender", "_AParam"}})
