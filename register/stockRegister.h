#pragma once
// TstockRegister: the inventory register book of one establishment over a span of competence
// months. One section of the book per inventory period: the period's stock items under their
// product groups, a total per group, the period's grand total, the deductions of recoverable
// ICMS and non-cumulative PIS and COFINS, and the total for income tax. Every page header
// carries the book's legal numbering, taken from the book control (book type 11); a book may
// begin with an opening term and end with a closing term (printed through the terms report
// "stockBookTermsLayout", or "taxBookTermsGraphicP1" in landscape); a period without items
// prints a no-movement page; front-and-back books get a blank back page where a period ends
// on a front side. With pAtualizarControleLivro=1 the printed period is recorded in the book
// control at the end of the run.
//
// Passes: with terms (pImprimeTermos=1) the before-report hook puts "@PageCount" on the label
// etiDuasPassagens, so the engine prints twice on the same instance. The first pass counts the
// pages of every book into cdsConfigLivro; the second prints the opening terms with the counts
// of the first. Without terms there is a single pass.
//
// The report's main dataset holds the establishment's inventory lines ordered by product group,
// with DATAINVENTINI/DATAINVENTFIM (the line's inventory date), the item columns read by the
// period body and the company's LivroModelo7, QtdeCasaDecimal and QTDECASADECIMALQTD.
//
// The legal book (see TnDMControleLivro for the rules it keeps across runs): the book control
// numbers every page, term pages included, and decides every book change; the register only
// prints what is due. With terms, each book this run begins opens with its opening term (its
// first number; in a front-and-back book followed by its blank back) and each book it numbers
// closes with its closing term (the next number, on the front of a sheet; its back is left
// blank and outside the book when another book follows). A book continued from an earlier
// recorded run gets no second opening term. Each book's terms carry its own span: the opening
// term the first day of the book's first period, the closing term the last day of its last
// period (or the establishment's closing date, when earlier); pDataIniTermo and pDataFimTermo,
// when given, win. The page table carries, from the counting pass to the second, each book's
// closing page and last day.
//
// Decisions where the book is otherwise undefined:
//   - the checks of the competences run before the activity check, so an unreadable month
//     gets its own message ("Data inicial inválida.") and not the inactivity warning;
//   - an establishment without a closing date is active from its start on, and the inventory
//     date of a period is never the zero date;
//   - the column layout is applied again at the start of every period body, since the summary
//     of the previous period moved the total labels;
//   - a stop asked through the progress display ends the run after the current period, and
//     the period is then not recorded in the book control;
//   - a TIPOINSCR outside 1 to 3 formats the federal inscription as a CNPJ;
//   - a run that would reprint part of a recorded period, or whose pages would give a later
//     recorded period's pages a second number, is refused before anything is printed (the
//     counting pass of a run with terms; the single pass otherwise writes no file);
//   - without the terms report the book prints, and is recorded, without terms.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "reportkit/BaseDll.h"
#include "rtl/DateTime.h"

class TField;
class TnClientDataSet;
class TnDMControleLivro;
class TnDMReport;
class TnpqParamItem;
class TRegisterOwnership;

class TstockRegister : public TnrwBaseDll {
 public:
  // Attaches DoBeforeReport to the report's before-report hook for the instance's life.
  explicit TstockRegister(TnrwReport* _ARep);
  // Detaches the before-report hook, then releases what a pass left.
  ~TstockRegister() override;

  std::string Versao() override;
  // One pass of the book (see the file comment). Raises Exception "Data inicial inválida.",
  // "Data final inválida." or "A Data Inicial deve ser menor que a Data Final!" for bad
  // competences; ends without printing (a message of kind 0) for an inactive establishment or
  // a refused confirmation. Releases what the pass created on every path.
  void ImprimirInterno() override;
  void DoParamEnter(TObject* Sender, TnpqParamItem* _AParam) override;
  void DoParamExit(TObject* Sender, TnpqParamItem* _AParam) override;

  // Report-engine hooks.
  void DoAfterPage(TObject* Sender);
  void DoBeforeReport(TObject* Sender);
  void DoBeforeSection(TObject* Sender, int section);

  // The mask's shape in zeros: every "." stays, every other character becomes "0".
  static std::string ZeroFillMask(const std::string& mask);

  // The periods from `start` to `end`: each begins the day after the previous one ends and
  // ends at GerarDataFinalPeriodo(begin, kind); the last one is the first to end on or after
  // `end`. At least one row. OWNERSHIP: the caller's. Fields Seq, DataInicial, DataFinal.
  static std::unique_ptr<TnClientDataSet> BuildPeriodTable(TDateTime start, TDateTime end,
                                                           int kind);

 private:
  struct ItemFields;
  struct BodyParams;
  struct Totals;
  struct BodyProgress;
  struct BlockItem;

  // The definition's sections, by their numbers there.
  enum class Section : int {
    Header = 1,         // the page header, with the book's numbers
    Group = 8,          // a product group's title
    Item = 9,           // an item line
    Totals = 10,        // a group's, a block's or the period's totals
    EmptyLine = 12,     // the lines of an empty page above its message
    EmptyMessage = 13,  // "P E R Í O D O    S E M    M O V I M E N T O" or "E M     B R A N C O"
    EmptyTail = 14,     // the lines below it
    Spacer = 15,        // a blank line
    Observation = 18,   // an item's observation
    BlockTitle = 19,    // the title of an ownership block
    ThirdParty = 20,    // the third party of an item held by or for another
  };
  // The terms report's pTermo values.
  enum class Term : int { Opening = 1, Closing = 2 };

  void PrintSection(Section section);

  // Run steps.
  void ReadFlagsAndMasks();
  void ReadCompanyConfiguration();
  // False when the run ends here without printing (inactive, or confirmation refused).
  bool CheckFirstPass();
  void ReadEstablishmentDates();
  void LocateItemFields();
  void PrintPeriods();
  void ReleasePass();

  // Period body and column layout.
  void SetPeriodLabels();
  void PrintPeriodBody();
  // One ownership block of the period (0, 1 or 2) over its items (in the book's order): its
  // title, groups, the run totals of each NCM code and the block total, summed into
  // `blockTotals`. False when the user asked to stop.
  bool PrintBlock(int block, const std::vector<BlockItem>& items, BodyProgress& progress,
                  Totals& blockTotals);
  void PrintGroupTotal(double& value, double& icms, double& pis, double& cofins,
                       double& periodValue, double& periodIcms, double& periodPis,
                       double& periodCofins, const std::string& caption);
  void PrintSummary(double value, double icms, double pis, double cofins);
  void UseSummaryColumns();
  void ApplyColumnLayout();
  void ClearR();

  // Numbering, terms and empty pages.
  void PrepareHeader();
  void OpenBook();
  void CloseBook(bool lastOfRun);
  void PrintTerm(Term kind, int book, int pages);
  void SetTermParameters(Term kind, int book, int pages);
  void CreatePageTable();
  void FindClosedBook(int book, int& pages, TDateTime& lastDay);
  void ClosePeriodPages();
  void PrintEmptyPage(bool filler);
  void PrintPageOutsideBook();

  int CompanyCode() const;
  int EstabCode() const;
  void EndPage();

  std::string FMasc;
  std::string FMascQtd;
  int32_t FLivroAtual = 0;
  int32_t FFolhaAtual = 0;
  int32_t FTipoPerInv = 0;
  bool FInventarioPaisagem = false;
  bool FEmitirPeriodo = false;
  bool FImpICMS = false;
  bool FImpTermo = false;
  bool FUsaCodigoNCM = false;
  bool FImpPISCOFINS = false;
  bool FEhTermo = false;
  bool FIncEstoque = false;
  bool FSegundaPassagem = false;
  bool FAtualizarControleLivro = false;
  TDateTime FDataEstoque = 0;
  TDateTime FDataInicial = 0;
  TDateTime FDataFinal = 0;
  TDateTime FPeriodoFinal = 0;
  TDateTime FDataEncerAtiv = 0;
  TField* fldDataPeriodoInicial = nullptr;
  TField* fldDataPeriodoFinal = nullptr;
  std::unique_ptr<TnDMReport> FDMRepAE;
  std::unique_ptr<TnDMControleLivro> FDMControleLivro;
  std::unique_ptr<TnClientDataSet> cdsPeriodo;
  std::unique_ptr<TnClientDataSet> cdsConfigLivro;

  // The book around the pages: the period being printed began on FInicioPeriodo; the body of
  // a period is being printed (a page end there may close a full book); the next page is the
  // blank back of a closing term, outside the book; the first day of the current book's
  // first period in this run, and the last day of the last period that printed pages; the
  // page number of the opening term being printed, and the span its terms state.
  TDateTime FInicioPeriodo = 0;
  bool FNoCorpo = false;
  bool FForaDoLivro = false;
  TDateTime FInicioLivro = 0;
  TDateTime FFimCorpo = 0;
  int32_t FFolhaAbertura = 1;
  TDateTime FTermoInicio = 0;
  TDateTime FTermoFim = 0;

  // Deductions given on the parameter screen, used when the per-item taxes are off.
  double FValorPIS = 0, FValorICMS = 0, FValorCOFINS = 0;
  // The user asked to stop through the progress display.
  bool FParado = false;
  // Why the first pass ended without printing ("" when it did not), and the error that kept
  // the terms report from being created: both are said again in the second pass.
  std::string FCancelamento;
  std::string FErroTermos;
  std::unique_ptr<ItemFields> FCampos;
  // The ownership portions of the run's lines and the third parties' names, read by the first
  // pass and kept for the second.
  std::unique_ptr<TRegisterOwnership> FPropriedade;
  std::unique_ptr<BodyParams> FParams;
  // A period's items by ownership block, kept between periods so that their memory is reused.
  std::vector<BlockItem> FBlocos[3];
};
