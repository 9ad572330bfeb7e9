// The legal book around the periods: the page header with the company and the book's
// numbering, the opening and closing terms, the page table that carries the page counts from
// the first pass to the second, the book change by month, and the empty pages.

#include <string>

#include "basekit/DMSQLDataSet.h"
#include "bookkit/DMControleLivro.h"
#include "datakit/ClientDataSet.h"
#include "datakit/SqlLiterals.h"
#include "reportkit/DMReport.h"
#include "reportkit/Report.h"
#include "register/RegisterParts.h"
#include "rtl/FormatDateTime.h"
#include "rtl/FormatFloat.h"
#include "rtl/ScopeGuard.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/InscrFederal.h"
#include "utilkit/InscricaoEstadual.h"
#include "utilkit/VarToIntDef.h"

namespace {

std::string TextAt(const Variant& row, size_t index) {
  if (row.IsNull() || !row.IsArray() || index >= row.Count() || row[index].IsNull()) return {};
  return row[index].AsString();
}

// The kind of the federal inscription by TIPOINSCR; anything but 2 and 3 is a CNPJ.
TnTipoInscrFederal TipoInscricao(const Variant& tipo) {
  switch (VarToIntDef(tipo, 1)) {
    case 2: return TnTipoInscrFederal::CPF;
    case 3: return TnTipoInscrFederal::CEI;
    default: return TnTipoInscrFederal::CNPJ;
  }
}

std::string Digits4(int value) { return FormatFloat("0000", value); }

}  // namespace

void TstockRegister::PrepareHeader() {
  const int empresa = CompanyCode();
  const Variant row = nDMSQLDataSet().PegarValorCampo(
      "EMPRESA E left join ESTAB F on E.CODIGOEMPRESA = F.CODIGOEMPRESA",
      "E.NOMEEMPRESA, F.APELIDOESTAB, F.TIPOINSCR, F.INSCRFEDERAL, F.INSCRESTAD",
      "E.CODIGOEMPRESA = " + ValorParaSQL(Variant(empresa), ftSmallint) +
          " and F.CODIGOESTAB = " + ValorParaSQL(Variant(EstabCode()), ftSmallint));
  const std::string nome = TextAt(row, 0);
  const std::string apelido = TextAt(row, 1);
  const std::string inscrFederal = TextAt(row, 3);
  std::string nomeEmpresa;
  if (!nome.empty()) {
    nomeEmpresa = Digits4(empresa) + " " + nome;
    if (!apelido.empty()) nomeEmpresa += " - " + apelido;
  }
  RepParam("pNomeEmpresa", nomeEmpresa);
  if (!inscrFederal.empty()) {
    const Variant tipo = row.IsArray() && row.Count() > 2 ? row[2] : Variant();
    RepParam("pInscrFed", FormatarInscrFederal(TipoInscricao(tipo), inscrFederal, empresa, true));
    RepParam("pInscrEstad", "Inscrição Estadual: " + FormatarInscricaoEstadual(TextAt(row, 4)));
  } else {
    RepParam("pInscrFed", "");
    RepParam("pInscrEstad", "");
  }
  ApplyColumnLayout();
}

void TstockRegister::DoBeforeSection(TObject*, int section) {
  if (section != 1) return;
  RepParam("pTituloArtigo", FUsaCodigoNCM ? "Class.Fiscal  Descrição Produto" : "Descrição Produto");
  if (!FDMControleLivro->GetImpressaoTodasPaginas() && FTotPagina % 2 == 1) {
    // Numbers on every other page only: this one carries none and takes no page number.
    RepParam("pNumFolha", "");
    RepParam("pNumLivro", "");
  } else {
    FDMControleLivro->PegarLivroFolha(FLivroAtual, FFolhaAtual, FPeriodoFinal);
    Report()->SetPageNo(FFolhaAtual);
    RepParam("pNumLivro", "Livro: " + Digits4(FLivroAtual));
    RepParam("pNumFolha", FDMControleLivro->GetLegendaFolha() + ": " + Digits4(FFolhaAtual));
  }
  ++FTotPagina;
}

void TstockRegister::DoAfterPage(TObject*) {
  if (!FImpTermo || FEhTermo) return;
  if (cdsPeriodo->GetEof()) {
    // The last period has been printed: the book closes.
    PrintTerm(2, FLivroAtual, FFolhaAtual + 1);
    EndPage();
  } else if (FFolhaAtual == FDMControleLivro->GetLimiteFolhas() || FQuebrarLivro) {
    PrintTerm(2, FLivroAtual, FFolhaAtual + 1);
    PrintTerm(1, 0, 0);
    FQuebrarLivro = false;
    EndPage();
  }
}

void TstockRegister::DoBeforeReport(TObject*) {
  // A label that shows the page count makes the engine print in two passes.
  RepObjCaption("etiDuasPassagens", StrToIntDef(RepParam("pImprimeTermos"), 0) == 1 ? "@PageCount" : "");
}

void TstockRegister::PrintTerm(int kind, int book, int pages) {
  if (!FImpTermo || !FDMRepAE) return;
  FEhTermo = true;
  AoSair fim([this] { FEhTermo = false; });
  EndPage();  // a term always starts on a new page
  if (kind == 1 && FSegundaPassagem) {
    cdsConfigLivro->FindNearest({Variant(CompanyCode()), Variant(EstabCode()),
                                 Variant::FromDate(FPeriodoFinal), Variant(FLivroAtual + 1)});
    if (!cdsConfigLivro->GetEof()) {
      book = static_cast<int>(cdsConfigLivro->FieldByName("NumLivro")->AsInteger());
      pages = static_cast<int>(cdsConfigLivro->FieldByName("QtdeFolhas")->AsInteger());
    } else {
      // The first pass closed no book at or after this one: the next book, pages not counted.
      book = FLivroAtual + 1;
      pages = 0;
    }
  }
  if (kind == 2 && !FSegundaPassagem) {
    cdsConfigLivro->Append();
    cdsConfigLivro->FieldByName("CodigoEmpresa")->SetAsInteger(CompanyCode());
    cdsConfigLivro->FieldByName("CodigoEstab")->SetAsInteger(EstabCode());
    cdsConfigLivro->FieldByName("DataPeriodo")->SetAsDateTime(FPeriodoFinal);
    cdsConfigLivro->FieldByName("NumLivro")->SetAsInteger(book);
    cdsConfigLivro->FieldByName("QtdeFolhas")->SetAsInteger(pages);
    cdsConfigLivro->Post();
  }
  SetTermParameters(kind, book, pages);
  RepInterno(FDMRepAE.get());
  if (kind == 2) FTotPagina = 0;
}

void TstockRegister::SetTermParameters(int kind, int book, int pages) {
  TnpqPowerParam* terms = FDMRepAE->GetReport()->GetParams();
  terms->SetValues("pTermo", IntToStr(kind));
  terms->SetValues("pTipoLivro", "11");
  terms->SetValues("pNumeroLivro", IntToStr(book));
  terms->SetValues("pNumeroFolha", IntToStr(pages));
  // Term dates left blank are the span the run prints (the same for every book of the run):
  // the terms cannot date a term without them.
  const std::string inicio = Trim(RepParam("pDataIniTermo"));
  const std::string fim = Trim(RepParam("pDataFimTermo"));
  terms->SetValues("pDataInicial", inicio.empty() ? DateToStr(FDataInicial) : inicio);
  terms->SetValues("pDataFinal", fim.empty() ? DateToStr(FDataFinal) : fim);
  terms->SetValues("pAssinCont", RepParam("pAssinCont"));
  terms->SetValues("pCodigoCont", RepParam("pCodigoCont"));
  terms->SetValues("pAssinSocio", RepParam("pAssinSocio"));
  terms->SetValues("pCodigoEmpresa", RepParam("pCodigoEmpresa"));
  terms->SetValues("pCodigoEstab", RepParam("pCodigoEstab"));
  terms->SetValues("pImpTermo", "1");
}

void TstockRegister::CreatePageTable() {
  if (!FImpTermo || cdsConfigLivro) return;
  cdsConfigLivro = std::make_unique<TnClientDataSet>();
  cdsConfigLivro->SetName("cdsConfigLivro");
  TFieldDefs& defs = cdsConfigLivro->FieldDefs();
  defs.Add("CodigoEmpresa", ftInteger);
  defs.Add("CodigoEstab", ftInteger);
  defs.Add("DataPeriodo", ftDate);
  defs.Add("NumLivro", ftInteger);
  defs.Add("QtdeFolhas", ftInteger);
  cdsConfigLivro->CreateDataSet();
  cdsConfigLivro->SetLogChanges(false);
  cdsConfigLivro->SetIndexFieldNames("CodigoEmpresa;CodigoEstab;DataPeriodo;NumLivro");
}

bool TstockRegister::BookChangesAtMonth() {
  const int mesAtual = DecodeDate(FPeriodoFinal).month;
  const int mesNovo = DecodeDate(fldDataPeriodoFinal->AsDateTime()).month;
  if (mesAtual == mesNovo) return false;
  const Variant meses = nDMSQLDataSet().PegarValorCampo(
      "CONTROLELIVRO", "INCLIVROMES",
      "CODIGOEMPRESA = " + ValorParaSQL(Variant(RepParam("pCodigoEmpresa")), ftSmallint) +
          " and CODIGOESTAB = " + ValorParaSQL(Variant(RepParam("pCodigoEstab")), ftSmallint) +
          " and TIPOLIVRO = " + ValorParaSQL(Variant(11), ftInteger));
  if (meses.IsNull()) return false;
  const std::string lista = ";" + ReplaceAll(meses.AsString(), " ", "") + ";";
  return lista.find(";" + IntToStr(mesNovo) + ";") != std::string::npos;
}

void TstockRegister::ClosePeriodPages() {
  if (!FDMControleLivro->GetFrenteVerso() || FTotPagina % 2 == 0) return;
  // The period ended on a front side: the next one starts on the next front.
  if (!Report()->GetCSLIsPageEnd()) EndPage();
  PrintEmptyPage(true);
}

void TstockRegister::PrintEmptyPage(bool filler) {
  TnrwReport* rep = Report();
  TnpqParamItem* r1 = FParams->R[0];
  const int n = FInventarioPaisagem ? 18 : 25;
  auto stars = [](int i) { return std::string(static_cast<size_t>(3 * i), ' ') + "**"; };
  r1->SetValue(std::string());
  for (int i = 1; i <= n; ++i) {
    if (i >= n - 10) r1->SetValue(stars(i));
    rep->RepPrintSection(12);
  }
  TnLabel* mensagem = rep->LabelByName("Etiqueta9");
  if (filler) {
    mensagem->Font().SetStyle({true, false, false});
    mensagem->Font().SetSize(12);
    r1->SetValue("            E M     B R A N C O            ");
  } else {
    r1->SetValue("P E R Í O D O    S E M    M O V I M E N T O");
  }
  {
    AoSair regular([mensagem] {
      mensagem->Font().SetStyle({});
      mensagem->Font().SetSize(8);
    });
    rep->RepPrintSection(13);
  }
  for (int i = 1; i <= 20; ++i) {
    r1->SetValue(i <= 10 ? stars(i) : std::string());
    rep->RepPrintSection(14);
  }
}
