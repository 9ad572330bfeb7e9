// The legal book around the periods: the page header with the company and the book's
// numbering, the opening and closing terms, the page table that carries the page counts from
// the first pass to the second, and the empty pages.

#include <string>

#include "basekit/DMSQLDataSet.h"
#include "bookkit/DMControleLivro.h"
#include "datakit/ClientDataSet.h"
#include "datakit/SqlLiterals.h"
#include "register/RegisterParts.h"
#include "reportkit/DMReport.h"
#include "reportkit/Report.h"
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
  if (section != static_cast<int>(Section::Header)) return;
  RepParam("pTituloArtigo",
           FUsaCodigoNCM ? "Class.Fiscal  Descrição Produto" : "Descrição Produto");
  const TnFolhaLivro folha = FDMControleLivro->PegarFolha(FForaDoLivro ? TnPaginaLivro::ForaDoLivro
                                                                       : TnPaginaLivro::Corpo);
  if (!folha.numerada) {
    // Numbers on every other page only, or the blank back of a closing term: no numbers.
    RepParam("pNumFolha", "");
    RepParam("pNumLivro", "");
    return;
  }
  FLivroAtual = folha.livro;
  FFolhaAtual = folha.folha;
  Report()->SetPageNo(FFolhaAtual);
  RepParam("pNumLivro", "Livro: " + Digits4(FLivroAtual));
  RepParam("pNumFolha", FDMControleLivro->GetLegendaFolha() + ": " + Digits4(FFolhaAtual));
}

void TstockRegister::DoAfterPage(TObject*) {
  // A page of a period's body ended and the body goes on: a full book closes here.
  if (!FImpTermo || !FDMRepAE || FEhTermo || !FNoCorpo) return;
  if (FDMControleLivro->DeveTrocarLivro()) {
    CloseBook(false);
    OpenBook();
  }
}

void TstockRegister::DoBeforeReport(TObject*) {
  // A label that shows the page count makes the engine print in two passes.
  RepObjCaption("etiDuasPassagens",
                StrToIntDef(RepParam("pImprimeTermos"), 0) == 1 ? "@PageCount" : "");
}

void TstockRegister::OpenBook() {
  if (!FImpTermo || !FDMRepAE) return;
  const bool wasTerm = FEhTermo;
  FEhTermo = true;  // the pages ended here are the book's own, not the body's
  AoSair restore([this, wasTerm] { FEhTermo = wasTerm; });
  const TnFolhaLivro folha = FDMControleLivro->PegarFolha(TnPaginaLivro::TermoAbertura);
  FLivroAtual = folha.livro;
  FFolhaAtual = folha.folha;
  FFolhaAbertura = folha.folha;
  FInicioLivro = FInicioPeriodo;
  // The counting pass does not know yet where the book ends; the second states it.
  int pages = 0;
  TDateTime lastDay = FDataFinal;
  if (FSegundaPassagem) FindClosedBook(folha.livro, pages, lastDay);
  FTermoInicio = FInicioLivro;
  FTermoFim = lastDay;
  PrintTerm(Term::Opening, folha.livro, pages);
  // The terms report prints the blank back itself in a front-and-back book.
  if (FDMControleLivro->GetFrenteVerso())
    FDMControleLivro->PegarFolha(TnPaginaLivro::VersoAbertura);
}

void TstockRegister::CloseBook(bool lastOfRun) {
  if (!FImpTermo || !FDMRepAE || !FDMControleLivro->GetLivroAberto()) return;
  const bool wasTerm = FEhTermo;
  FEhTermo = true;  // the pages ended here are the book's own, not the body's
  AoSair restore([this, wasTerm] { FEhTermo = wasTerm; });
  if (FDMControleLivro->ProximaEhVerso()) {
    // The closing term begins a sheet: the back before it stays blank, in the book.
    EndPage();
    PrintEmptyPage(true);
    EndPage();
  }
  // The book's last day: the period being printed when it fills up in the middle of one,
  // else the last period that printed pages; never after the establishment closed.
  // A book begun by an earlier run states its recorded span with this run's; closed before
  // this run printed a page of it, it ends where its last recorded period ended.
  TDateTime recordedStart = 0, recordedEnd = 0;
  const bool continued =
      FInicioLivro <= 0 && FDMControleLivro->LivroRegistrado(recordedStart, recordedEnd);
  TDateTime lastDay = FNoCorpo ? FPeriodoFinal : FFimCorpo;
  if (lastDay <= 0) lastDay = continued ? recordedEnd : FInicioPeriodo - 1;
  if (FDataEncerAtiv > 0 && DateOf(FDataEncerAtiv) < DateOf(lastDay)) lastDay = FDataEncerAtiv;
  const TnFolhaLivro folha = FDMControleLivro->PegarFolha(TnPaginaLivro::TermoEncerramento);
  FLivroAtual = folha.livro;
  FFolhaAtual = folha.folha;
  if (!FSegundaPassagem) {
    cdsConfigLivro->Append();
    cdsConfigLivro->FieldByName("CodigoEmpresa")->SetAsInteger(CompanyCode());
    cdsConfigLivro->FieldByName("CodigoEstab")->SetAsInteger(EstabCode());
    cdsConfigLivro->FieldByName("DataPeriodo")->SetAsDateTime(DateOf(lastDay));
    cdsConfigLivro->FieldByName("NumLivro")->SetAsInteger(folha.livro);
    cdsConfigLivro->FieldByName("QtdeFolhas")->SetAsInteger(folha.folha);
    cdsConfigLivro->Post();
  }
  FTermoInicio = FInicioLivro > 0 ? FInicioLivro : continued ? recordedStart : FDataInicial;
  FTermoFim = lastDay;
  PrintTerm(Term::Closing, folha.livro, folha.folha);
  FInicioLivro = 0;
  if (!lastOfRun && FDMControleLivro->GetFrenteVerso()) PrintPageOutsideBook();
}

void TstockRegister::PrintSection(Section section) {
  Report()->RepPrintSection(static_cast<int>(section));
}

void TstockRegister::PrintPageOutsideBook() {
  FForaDoLivro = true;
  AoSair fim([this] { FForaDoLivro = false; });
  PrintEmptyPage(true);
  EndPage();
}

void TstockRegister::FindClosedBook(int book, int& pages, TDateTime& lastDay) {
  for (cdsConfigLivro->First(); !cdsConfigLivro->GetEof(); cdsConfigLivro->Next()) {
    if (cdsConfigLivro->FieldByName("NumLivro")->AsInteger() == book) {
      pages = static_cast<int>(cdsConfigLivro->FieldByName("QtdeFolhas")->AsInteger());
      lastDay = cdsConfigLivro->FieldByName("DataPeriodo")->AsDateTime();
      return;
    }
  }
}

void TstockRegister::PrintTerm(Term kind, int book, int pages) {
  if (!FImpTermo || !FDMRepAE) return;
  const bool wasTerm = FEhTermo;
  FEhTermo = true;
  AoSair fim([this, wasTerm] { FEhTermo = wasTerm; });
  EndPage();  // a term always starts on a new page
  SetTermParameters(kind, book, pages);
  RepInterno(FDMRepAE.get());
}

void TstockRegister::SetTermParameters(Term kind, int book, int pages) {
  TnpqPowerParam* terms = FDMRepAE->GetReport()->GetParams();
  terms->SetValues("pTermo", IntToStr(static_cast<int>(kind)));
  terms->SetValues("pTipoLivro", "11");
  terms->SetValues("pNumeroLivro", IntToStr(book));
  terms->SetValues("pNumeroFolha", IntToStr(pages));
  terms->SetValues("pFolhaAbertura", IntToStr(FFolhaAbertura));
  // Term dates left blank are the book's own span.
  const std::string inicio = Trim(RepParam("pDataIniTermo"));
  const std::string fim = Trim(RepParam("pDataFimTermo"));
  terms->SetValues("pDataInicial", inicio.empty() ? DateToStr(DateOf(FTermoInicio)) : inicio);
  terms->SetValues("pDataFinal", fim.empty() ? DateToStr(DateOf(FTermoFim)) : fim);
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

void TstockRegister::ClosePeriodPages() {
  // The period ended on a front side: the next one starts on the next front.
  if (!FDMControleLivro->ProximaEhVerso()) return;
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
    PrintSection(Section::EmptyLine);
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
    PrintSection(Section::EmptyMessage);
  }
  for (int i = 1; i <= 20; ++i) {
    r1->SetValue(i <= 10 ? stars(i) : std::string());
    PrintSection(Section::EmptyTail);
  }
}
