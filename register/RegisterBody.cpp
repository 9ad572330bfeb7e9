// The body of one inventory period: item lines under their product groups, group totals, the
// period's grand total, the deductions and the total for income tax; the column layout by the
// tax columns in use.

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "datakit/ClientDataSet.h"
#include "datakit/Rounding.h"
#include "reportkit/Report.h"
#include "register/RegisterParts.h"
#include "rtl/FormatDateTime.h"
#include "rtl/FormatFloat.h"

namespace {

const char* const kMascaraValor = "##,###,##0.00";

std::string Amount(double value) { return FormatFloat(kMascaraValor, value); }

// Geometry of a column in each layout: ICMS and PIS/COFINS, neither, ICMS only, PIS/COFINS
// only. A width of 0 leaves the labels where they are (their column is hidden then).
struct Column {
  std::vector<const char*> labels;
  std::array<std::pair<int, int>, 4> geometry;  // left, width
};

const std::vector<Column>& Columns() {
  static const std::vector<Column> columns = {
      {{"DescrProdutoL", "DescrProduto"}, {{{36, 282}, {42, 408}, {36, 360}, {36, 318}}}},
      {{"QtdeEstoqueL", "QtdeEstoque"}, {{{324, 60}, {456, 78}, {402, 72}, {360, 66}}}},
      {{"UnidadeMedidaL", "UnidadeMedida"}, {{{390, 66}, {540, 78}, {480, 72}, {432, 66}}}},
      {{"PrecoUnitL1", "PrecoUnitL2", "PrecoUnit"}, {{{462, 60}, {624, 78}, {558, 72}, {504, 66}}}},
      {{"CustoTotalL1", "CustoTotalL2", "CustoTotal", "EtqTotal"},
       {{{528, 60}, {708, 78}, {636, 72}, {576, 66}}}},
      {{"ValorIcmsL1", "ValorIcmsL2", "ValorIcms", "EtqTotalICMS"},
       {{{594, 60}, {0, 0}, {714, 72}, {0, 0}}}},
      {{"ValorPisL1", "ValorPisL2", "ValorPis", "EtqTotalPIS"},
       {{{660, 60}, {0, 0}, {0, 0}, {648, 66}}}},
      {{"ValorCofinsL1", "ValorCofinsL2", "ValorCofins", "EtqTotalCOFINS"},
       {{{726, 60}, {0, 0}, {0, 0}, {720, 66}}}},
  };
  return columns;
}

const std::array<int, 4> kLarguraDescrTotal = {492, 672, 600, 540};

}  // namespace

std::string TstockRegister::ZeroFillMask(const std::string& mask) {
  std::string zeros = mask;
  for (char& c : zeros) {
    if (c != '.') c = '0';
  }
  return zeros;
}

void TstockRegister::ApplyColumnLayout() {
  TnrwReport* rep = Report();
  for (const char* name : {"ValorIcmsL1", "ValorIcmsL2", "ValorIcms", "EtqTotalICMS"}) {
    rep->LabelByName(name)->SetVisible(FImpICMS);
  }
  for (const char* name : {"ValorPisL1", "ValorPisL2", "ValorCofinsL1", "ValorCofinsL2",
                           "ValorPis", "ValorCofins", "EtqTotalPIS", "EtqTotalCOFINS"}) {
    rep->LabelByName(name)->SetVisible(FImpPISCOFINS);
  }
  const int layout = FImpICMS && FImpPISCOFINS ? 0 : FImpICMS ? 2 : FImpPISCOFINS ? 3 : 1;
  for (const Column& column : Columns()) {
    const auto [left, width] = column.geometry[layout];
    if (width == 0) continue;
    for (const char* name : column.labels) {
      TnLabel* label = rep->LabelByName(name);
      label->SetLeft(left);
      label->SetWidth(width);
    }
  }
  rep->LabelByName("EtqDescrTotal")->SetWidth(kLarguraDescrTotal[layout]);
}

void TstockRegister::SetPeriodLabels() {
  const TDateTime fim = fldDataPeriodoFinal->AsDateTime();
  RepObjCaption("pPeriodoIni", FEmitirPeriodo ? "Período : " + fldDataPeriodoInicial->AsString() +
                                                    " a " + fldDataPeriodoFinal->AsString()
                                              : std::string());
  // The inventory date: the stock date asked for a single month, else the period's end, or
  // the closing date of an establishment that closed within the period. An establishment
  // without a closing date is open.
  TDateTime data = fim;
  if (FIncEstoque && FDataEstoque != 0) {
    data = FDataEstoque;
  } else if (FDataEncerAtiv != 0 && FDataEncerAtiv < fim) {
    data = FDataEncerAtiv;
  }
  Report()->GetParams()->SetValues("pDataInicial",
                                   FormatDateTime(" d \"de\" mmmm \"de\" yyyy", data));
}

void TstockRegister::ClearR() {
  for (TnpqParamItem* r : FParams->R) r->SetValue(std::string());
}

void TstockRegister::PrintGroupTotal(double& value, double& icms, double& pis, double& cofins,
                                     double& periodValue, double& periodIcms, double& periodPis,
                                     double& periodCofins, const std::string& caption) {
  TnpqParamItem* const* R = FParams->R;
  ClearR();
  R[0]->SetValue("Total de " + caption);
  R[1]->SetValue(Amount(value));
  periodValue += value;
  value = 0;
  if (FImpICMS) {
    R[2]->SetValue(Amount(icms));
    periodIcms += icms;
    icms = 0;
  }
  if (FImpPISCOFINS) {
    R[3]->SetValue(Amount(pis));
    R[4]->SetValue(Amount(cofins));
    periodPis += pis;
    periodCofins += cofins;
    pis = 0;
    cofins = 0;
  }
}

void TstockRegister::PrintSummary(double value, double icms, double pis, double cofins) {
  TnrwReport* rep = Report();
  TnpqParamItem* const* R = FParams->R;
  ClearR();
  // One caption and one amount in the rightmost column on each summary line.
  rep->LabelByName("EtqTotalICMS")->SetVisible(false);
  rep->LabelByName("EtqTotalPIS")->SetVisible(false);
  rep->LabelByName("EtqTotalCOFINS")->SetVisible(false);
  TnLabel* total = rep->LabelByName("EtqTotal");
  total->SetLeft(708);
  total->SetWidth(78);
  rep->LabelByName("EtqDescrTotal")->SetWidth(672);

  const double dedIcms = FImpICMS ? icms : FValorICMS;
  const double dedPis = FImpPISCOFINS ? pis : FValorPIS;
  const double dedCofins = FImpPISCOFINS ? cofins : FValorCOFINS;
  auto line = [&](const char* caption, double amount) {
    R[0]->SetValue(caption);
    R[1]->SetValue(Amount(amount));
    rep->RepPrintSection(10);
  };
  if (dedIcms != 0 || dedPis != 0 || dedCofins != 0) line("Total Geral: ", value);
  if (dedIcms != 0) line("(-) ICMS Recuperável: ", dedIcms);
  if (dedPis != 0) line("(-) PIS não cumulativo: ", dedPis);
  if (dedCofins != 0) line("(-) COFINS não cumulativo: ", dedCofins);
  line("Total p/I.R: ", value - dedIcms - dedPis - dedCofins);
}

void TstockRegister::PrintPeriodBody() {
  TnrwReport* rep = Report();
  TnClientDataSet* ds = ReportDataSet();
  const ItemFields& f = *FCampos;
  BodyParams& p = *FParams;
  // The previous period's summary moved the total labels: every period starts from the layout.
  ApplyColumnLayout();

  double value = 0, icms = 0, pis = 0, cofins = 0;
  double periodValue = 0, periodIcms = 0, periodPis = 0, periodCofins = 0;
  std::string groupKey, groupCaption;
  std::string scratch;  // for AsStringView of values that are not texts
  int counter = 0;
  const int total = ds->RecordCount();
  ds->First();
  while (!ds->GetEof()) {
    ++counter;
    if (rep->CSLShowProgress(counter, total)) {
      FParado = true;
      return;
    }
    ClearR();
    const std::string_view classif = f.ClassifGrupoProduto->AsStringView(scratch);
    if (classif != groupKey) {
      if (!groupKey.empty()) rep->RepPrintSection(15);
      rep->RepPrintSection(8);
      groupKey.assign(classif);
      groupCaption = f.DescrGrupoProduto->AsString();
    }
    const double qtde = f.QtdeEstoque->AsFloat();
    const double preco = f.PrecoUnit->AsFloat();
    p.pValorQtd->SetValue(FormatFloat(FMascQtd, qtde));
    p.pPrecoUnit->SetValue(FormatFloat(FMasc, preco));
    const double linha = RoundValor(qtde * preco, 2);
    p.R[0]->SetValue(Amount(linha));
    if (FUsaCodigoNCM) {
      const std::string ncm = f.CodigoNCM->AsString();
      p.pCodigoNCM->SetValue((ncm.empty() ? ZeroFillMask(f.MascClassifFiscalProd->AsString()) : ncm) +
                             "  ");
    } else {
      p.pCodigoNCM->SetValue(std::string());
    }
    rep->RepPrintSection(9);
    if (FUsaCodigoNCM && !f.ObsLctoInv->AsStringView(scratch).empty()) rep->RepPrintSection(18);
    value += linha;
    if (FImpICMS) icms += f.ValorICMS->AsFloat();
    if (FImpPISCOFINS) {
      pis += f.ValorPIS->AsFloat();
      cofins += f.ValorCOFINS->AsFloat();
    }
    ds->Next();
    if (!ds->GetEof()) {
      if (f.ClassifGrupoProduto->AsStringView(scratch) != groupKey) {
        PrintGroupTotal(value, icms, pis, cofins, periodValue, periodIcms, periodPis,
                        periodCofins, groupCaption);
        rep->RepPrintSection(15);
        rep->RepPrintSection(10);
      }
    } else {
      PrintGroupTotal(value, icms, pis, cofins, periodValue, periodIcms, periodPis, periodCofins,
                      groupCaption);
      rep->RepPrintSection(15);
      rep->RepPrintSection(10);
      rep->RepPrintSection(15);
      PrintSummary(periodValue, periodIcms, periodPis, periodCofins);
    }
  }
}
