// The body of one inventory period: the items in up to three ownership blocks (the
// establishment's own goods in its power, its own goods in the power of third parties, third
// parties' goods in its power), each under its product groups with group totals and a block
// total; the grand total, the deductions and the total for income tax over the first two
// blocks, and the third block's total as a memo line; the column layout by the tax columns in
// use.

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "datakit/ClientDataSet.h"
#include "datakit/Rounding.h"
#include "register/RegisterParts.h"
#include "reportkit/Report.h"
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
      {{"CustoTotalL1", "CustoTotalL2", "CustoTotal"},
       {{{462, 60}, {636, 72}, {594, 60}, {528, 60}}}},
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
  for (const char* name : {"ValorPisL1", "ValorPisL2", "ValorCofinsL1", "ValorCofinsL2", "ValorPis",
                           "ValorCofins", "EtqTotalPIS", "EtqTotalCOFINS"}) {
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
  TnpqParamItem* const* R = FParams->R;
  ClearR();
  UseSummaryColumns();

  const double dedIcms = FImpICMS ? icms : FValorICMS;
  const double dedPis = FImpPISCOFINS ? pis : FValorPIS;
  const double dedCofins = FImpPISCOFINS ? cofins : FValorCOFINS;
  auto line = [&](const char* caption, double amount) {
    R[0]->SetValue(caption);
    R[1]->SetValue(Amount(amount));
    PrintSection(Section::Totals);
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

  // The period's items by block, in the book's order: a line with ownership portions gives one
  // item per portion, in the block of its indicator; a line without them is one item in the
  // block of its own indicator (none, or one the book does not know: the establishment's own).
  std::vector<BlockItem>(&blocks)[3] = FBlocos;
  for (auto& items : blocks) items.clear();
  auto block_of = [](int64_t indicador) {
    return indicador == 1 || indicador == 2 ? indicador : 0;
  };
  const bool keyed = f.CodigoProduto != nullptr && f.DataInventario != nullptr &&
                     f.MotivoInventario != nullptr && !FPropriedade->Empty();
  std::string scratch, classif;
  int group = 0;
  for (ds->First(); !ds->GetEof(); ds->Next()) {
    const std::string_view lineGroup = f.ClassifGrupoProduto->AsStringView(scratch);
    if (lineGroup != classif) {
      classif.assign(lineGroup);
      ++group;
    }
    const std::string_view ncm = f.CodigoNCM->AsStringView(scratch);
    const std::vector<TRegisterPortion>* portions =
        keyed ? FPropriedade->Find(f.CodigoProduto->AsInteger(), f.DataInventario->AsDateTime(),
                                   f.MotivoInventario->AsInteger())
              : nullptr;
    if (portions != nullptr) {
      for (size_t i = 0; i < portions->size(); ++i) {
        blocks[block_of((*portions)[i].indicador)].push_back(
            {ds->GetRecNo(), portions, i, group, std::string(ncm)});
      }
    } else {
      int64_t indicador = 0;
      if (f.IndicadorPropriedade != nullptr && !f.IndicadorPropriedade->IsNull()) {
        indicador = f.IndicadorPropriedade->AsInteger();
      }
      blocks[block_of(indicador)].push_back({ds->GetRecNo(), nullptr, 0, group, std::string(ncm)});
    }
  }
  // The query gives each group's items by description, code and date; the book lists them in
  // NCM order (items without a code first), keeping that order among items of one code.
  auto inBookOrder = [](const BlockItem& a, const BlockItem& b) {
    return a.group != b.group ? a.group < b.group : a.ncm < b.ncm;
  };
  for (auto& items : blocks) {
    if (!std::is_sorted(items.begin(), items.end(), inBookOrder)) {
      std::stable_sort(items.begin(), items.end(), inBookOrder);
    }
  }
  BodyProgress progress{0,
                        static_cast<int>(blocks[0].size() + blocks[1].size() + blocks[2].size())};
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

bool TstockRegister::PrintBlock(int block, const std::vector<BlockItem>& items,
                                BodyProgress& progress, Totals& blockTotals) {
  TnrwReport* rep = Report();
  TnClientDataSet* ds = ReportDataSet();
  const ItemFields& f = *FCampos;
  BodyParams& p = *FParams;
  ApplyColumnLayout();
  ClearR();
  p.pTituloBloco->SetValue(kTituloBloco[block]);
  PrintSection(Section::BlockTitle);

  Totals group;
  std::string groupKey, groupCaption;
  std::string scratch;  // for AsStringView of values that are not texts
  double ncmRun = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (rep->CSLShowProgress(++progress.done, progress.total)) {
      FParado = true;
      return false;
    }
    const BlockItem& item = items[i];
    // The next item of the block tells where a run of one NCM code and a group end.
    const bool last = i + 1 == items.size();
    ds->SetRecNo(item.row);
    ClearR();
    const std::string_view classif = f.ClassifGrupoProduto->AsStringView(scratch);
    if (classif != groupKey) {
      if (!groupKey.empty()) PrintSection(Section::Spacer);
      PrintSection(Section::Group);
      groupKey.assign(classif);
      groupCaption = f.DescrGrupoProduto->AsString();
      ncmRun = 0;
    }
    const std::string& ncmKey = item.ncm;
    // A portion shows its quantity and is worth its stored value (the portions of a line add
    // up to the line's value to the cent), and the line's taxes go with its first portion; a
    // whole line is worth its quantity times its price, to the cent.
    const TRegisterPortion* portion =
        item.portions != nullptr ? &(*item.portions)[item.index] : nullptr;
    const double qtde = portion != nullptr ? portion->quantidade : f.QtdeEstoque->AsFloat();
    const double preco = f.PrecoUnit->AsFloat();
    const bool taxes = portion == nullptr || item.index == 0;
    const double itemIcms = taxes ? f.ValorICMS->AsFloat() : 0;
    const double itemPis = taxes ? f.ValorPIS->AsFloat() : 0;
    const double itemCofins = taxes ? f.ValorCOFINS->AsFloat() : 0;
    p.pValorQtd->SetValue(FormatFloat(FMascQtd, qtde));
    p.pPrecoUnit->SetValue(FormatFloat(FMasc, preco));
    if (FImpICMS) p.pValorIcmsItem->SetValue(Amount(itemIcms));
    if (FImpPISCOFINS) {
      p.pValorPisItem->SetValue(Amount(itemPis));
      p.pValorCofinsItem->SetValue(Amount(itemCofins));
    }
    const double linha =
        portion != nullptr ? RoundValor(portion->valor, 2) : RoundValor(qtde * preco, 2);
    p.R[0]->SetValue(Amount(linha));
    ncmRun = RoundValor(ncmRun + linha, 2);
    const bool groupEnds = last || items[i + 1].group != item.group;
    const bool runEnds = groupEnds || items[i + 1].ncm != ncmKey;
    p.pTotalNCM->SetValue(runEnds ? Amount(ncmRun) : std::string());
    if (runEnds) ncmRun = 0;
    if (FUsaCodigoNCM) {
      p.pCodigoNCM->SetValue(
          (ncmKey.empty() ? ZeroFillMask(f.MascClassifFiscalProd->AsString()) : ncmKey) + "  ");
    } else {
      p.pCodigoNCM->SetValue(std::string());
    }
    PrintSection(Section::Item);
    if (FUsaCodigoNCM && !f.ObsLctoInv->AsStringView(scratch).empty())
      PrintSection(Section::Observation);
    if (block > 0) {
      int64_t terceiro = portion != nullptr ? portion->terceiro : 0;
      if (portion == nullptr && f.CodigoTerceiro != nullptr && !f.CodigoTerceiro->IsNull()) {
        terceiro = f.CodigoTerceiro->AsInteger();
      }
      const std::string& nome = FPropriedade->Name(terceiro);
      if (!nome.empty()) {
        p.pTerceiro->SetValue(kTerceiro[block] + nome);
        PrintSection(Section::ThirdParty);
      }
    }
    group.value += linha;
    if (FImpICMS) group.icms += itemIcms;
    if (FImpPISCOFINS) {
      group.pis += itemPis;
      group.cofins += itemCofins;
    }
    if (groupEnds) {
      PrintGroupTotal(group.value, group.icms, group.pis, group.cofins, blockTotals.value,
                      blockTotals.icms, blockTotals.pis, blockTotals.cofins, groupCaption);
      PrintSection(Section::Spacer);
      PrintSection(Section::Totals);
    }
  }
  PrintSection(Section::Spacer);
  // The block's total: one caption and one amount in the rightmost column, as the summary's.
  TnpqParamItem* const* R = p.R;
  ClearR();
  UseSummaryColumns();
  R[0]->SetValue(kTotalBloco[block]);
  R[1]->SetValue(Amount(blockTotals.value));
  PrintSection(Section::Totals);
  PrintSection(Section::Spacer);
  return true;
}
