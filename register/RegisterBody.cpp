// The body of one inventory period: the items in up to three ownership blocks (the
// establishment's own goods in its power, its own goods in the power of third parties, third
// parties' goods in its power), each under its product groups with group totals and a block
// total; the grand total, the deductions and the total for income tax over the first two
// blocks, and the third block's total as a memo line; the column layout by the tax columns in
// use.

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
// only. A width of 0 leaves the labels where they are (their column is hidden then). The item
// value is the "Parcial" column; "Total" sums the partial values of a run of one NCM code.
struct Column {
  std::vector<const char*> labels;
  std::array<std::pair<int, int>, 4> geometry;  // left, width
};

const std::vector<Column>& Columns() {
  static const std::vector<Column> columns = {
      {{"DescrProdutoL", "DescrProduto"}, {{{36, 222}, {42, 354}, {36, 354}, {36, 288}}}},
      {{"QtdeEstoqueL", "QtdeEstoque"}, {{{264, 60}, {402, 72}, {396, 60}, {330, 60}}}},
      {{"UnidadeMedidaL", "UnidadeMedida"}, {{{330, 60}, {480, 72}, {462, 60}, {396, 60}}}},
      {{"PrecoUnitL1", "PrecoUnitL2", "PrecoUnit"}, {{{396, 60}, {558, 72}, {528, 60}, {462, 60}}}},
      {{"CustoTotalL1", "CustoTotalL2", "CustoTotal"}, {{{462, 60}, {636, 72}, {594, 60}, {528, 60}}}},
      {{"TotalNCML1", "TotalNCML2", "TotalNCM", "EtqTotal"},
       {{{528, 60}, {714, 72}, {660, 60}, {594, 60}}}},
      {{"ValorIcmsL1", "ValorIcmsL2", "ValorIcms", "EtqTotalICMS"},
       {{{594, 60}, {0, 0}, {726, 60}, {0, 0}}}},
      {{"ValorPisL1", "ValorPisL2", "ValorPis", "EtqTotalPIS"},
       {{{660, 60}, {0, 0}, {0, 0}, {660, 60}}}},
      {{"ValorCofinsL1", "ValorCofinsL2", "ValorCofins", "EtqTotalCOFINS"},
       {{{726, 60}, {0, 0}, {0, 0}, {726, 60}}}},
  };
  return columns;
}

const std::array<int, 4> kLarguraDescrTotal = {472, 658, 604, 538};

// The ownership blocks, by the line's ownership indicator.
const char* const kTituloBloco[3] = {"Mercadorias próprias em poder do estabelecimento",
                                     "Mercadorias próprias em poder de terceiros",
                                     "Mercadorias de terceiros em poder do estabelecimento"};
const char* const kTotalBloco[3] = {
    "Total de mercadorias próprias em poder do estabelecimento",
    "Total de mercadorias próprias em poder de terceiros",
    "Mercadorias de terceiros em poder do estabelecimento (não incluídas no total)"};
const char* const kTerceiro[3] = {"", "Em poder de: ", "Proprietário: "};

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

void TstockRegister::UseSummaryColumns() {
  // One caption and one amount in the rightmost column on each summary line.
  TnrwReport* rep = Report();
  rep->LabelByName("EtqTotalICMS")->SetVisible(false);
  rep->LabelByName("EtqTotalPIS")->SetVisible(false);
  rep->LabelByName("EtqTotalCOFINS")->SetVisible(false);
  TnLabel* total = rep->LabelByName("EtqTotal");
  total->SetLeft(708);
  total->SetWidth(78);
  rep->LabelByName("EtqDescrTotal")->SetWidth(672);
}

void TstockRegister::PrintSummary(double value, double icms, double pis, double cofins) {
  TnrwReport* rep = Report();
  TnpqParamItem* const* R = FParams->R;
  ClearR();
  UseSummaryColumns();

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
  TnClientDataSet* ds = ReportDataSet();
  const ItemFields& f = *FCampos;
  // The previous period's summary moved the total labels: every period starts from the layout.
  ApplyColumnLayout();

  // The period's rows by block, in the book's order (a line without ownership, or with an
  // indicator the book does not know, is the establishment's own).
  std::array<std::vector<int>, 3> blocks;
  for (ds->First(); !ds->GetEof(); ds->Next()) {
    int64_t indicador = 0;
    if (f.IndicadorPropriedade != nullptr && !f.IndicadorPropriedade->IsNull()) {
      indicador = f.IndicadorPropriedade->AsInteger();
    }
    blocks[indicador == 1 || indicador == 2 ? indicador : 0].push_back(ds->GetRecNo());
  }
  BodyProgress progress{0, ds->RecordCount()};
  Totals own;
  for (int block : {0, 1}) {
    if (blocks[block].empty()) continue;
    Totals totals;
    if (!PrintBlock(block, blocks[block], progress, totals)) return;
    own.Add(totals);
  }
  PrintSummary(own.value, own.icms, own.pis, own.cofins);
  if (!blocks[2].empty()) {
    // Third parties' goods are listed apart; their total is a memo outside the company's.
    Totals third;
    if (!PrintBlock(2, blocks[2], progress, third)) return;
  }
}

bool TstockRegister::PrintBlock(int block, const std::vector<int>& rows, BodyProgress& progress,
                                Totals& blockTotals) {
  TnrwReport* rep = Report();
  TnClientDataSet* ds = ReportDataSet();
  const ItemFields& f = *FCampos;
  BodyParams& p = *FParams;
  ApplyColumnLayout();
  ClearR();
  p.pTituloBloco->SetValue(kTituloBloco[block]);
  rep->RepPrintSection(19);

  Totals group;
  std::string groupKey, groupCaption, ncmKey;
  std::string scratch, nextGroup, nextNcm;  // scratch for AsStringView of values that are not texts
  double ncmRun = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rep->CSLShowProgress(++progress.done, progress.total)) {
      FParado = true;
      return false;
    }
    // The next row of the block, to know where a run of one NCM code and a group end.
    const bool last = i + 1 == rows.size();
    if (!last) {
      ds->SetRecNo(rows[i + 1]);
      nextGroup.assign(f.ClassifGrupoProduto->AsStringView(scratch));
      nextNcm.assign(f.CodigoNCM->AsStringView(scratch));
    }
    ds->SetRecNo(rows[i]);
    ClearR();
    const std::string_view classif = f.ClassifGrupoProduto->AsStringView(scratch);
    if (classif != groupKey) {
      if (!groupKey.empty()) rep->RepPrintSection(15);
      rep->RepPrintSection(8);
      groupKey.assign(classif);
      groupCaption = f.DescrGrupoProduto->AsString();
      ncmRun = 0;
    }
    ncmKey.assign(f.CodigoNCM->AsStringView(scratch));
    const double qtde = f.QtdeEstoque->AsFloat();
    const double preco = f.PrecoUnit->AsFloat();
    p.pValorQtd->SetValue(FormatFloat(FMascQtd, qtde));
    p.pPrecoUnit->SetValue(FormatFloat(FMasc, preco));
    // A portion of a line is worth its stored value (the portions of a line add up to the
    // line's value to the cent); a whole line its quantity times its price, to the cent.
    const double linha = f.ValorParcela != nullptr && !f.ValorParcela->IsNull()
                             ? RoundValor(f.ValorParcela->AsFloat(), 2)
                             : RoundValor(qtde * preco, 2);
    p.R[0]->SetValue(Amount(linha));
    ncmRun = RoundValor(ncmRun + linha, 2);
    const bool groupEnds = last || nextGroup != groupKey;
    const bool runEnds = groupEnds || nextNcm != ncmKey;
    p.pTotalNCM->SetValue(runEnds ? Amount(ncmRun) : std::string());
    if (runEnds) ncmRun = 0;
    if (FUsaCodigoNCM) {
      p.pCodigoNCM->SetValue((ncmKey.empty() ? ZeroFillMask(f.MascClassifFiscalProd->AsString()) : ncmKey) +
                             "  ");
    } else {
      p.pCodigoNCM->SetValue(std::string());
    }
    rep->RepPrintSection(9);
    if (FUsaCodigoNCM && !f.ObsLctoInv->AsStringView(scratch).empty()) rep->RepPrintSection(18);
    if (block > 0 && f.NomeTerceiro != nullptr && !f.NomeTerceiro->AsStringView(scratch).empty()) {
      p.pTerceiro->SetValue(kTerceiro[block] + f.NomeTerceiro->AsString());
      rep->RepPrintSection(20);
    }
    group.value += linha;
    if (FImpICMS) group.icms += f.ValorICMS->AsFloat();
    if (FImpPISCOFINS) {
      group.pis += f.ValorPIS->AsFloat();
      group.cofins += f.ValorCOFINS->AsFloat();
    }
    if (groupEnds) {
      PrintGroupTotal(group.value, group.icms, group.pis, group.cofins, blockTotals.value,
                      blockTotals.icms, blockTotals.pis, blockTotals.cofins, groupCaption);
      rep->RepPrintSection(15);
      rep->RepPrintSection(10);
    }
  }
  rep->RepPrintSection(15);
  // The block's total: one caption and one amount in the rightmost column, as the summary's.
  TnpqParamItem* const* R = p.R;
  ClearR();
  UseSummaryColumns();
  R[0]->SetValue(kTotalBloco[block]);
  R[1]->SetValue(Amount(blockTotals.value));
  rep->RepPrintSection(10);
  rep->RepPrintSection(15);
  return true;
}
