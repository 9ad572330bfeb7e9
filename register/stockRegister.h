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
//   - an opening term of the second pass whose book the first pass did not close (no row of
//     cdsConfigLivro at or after the key) states book FLivroAtual + 1 and the pages this pass
//     has counted for it, never the count of a neighbouring book.

#include <cstdint>
#include <memory>
#include <string>

#include "reportkit/BaseDll.h"
#include "rtl/DateTime.h"

class TField;
class TnClientDataSet;
class TnDMControleLivro;
class TnDMReport;
class TnpqParamItem;

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
  void PrintGroupTotal(double& value, double& icms, double& pis, double& cofins,
                       double& periodValue, double& periodIcms, double& periodPis,
                       double& periodCofins, const std::string& caption);
  void PrintSummary(double value, double icms, double pis, double cofins);
  void ApplyColumnLayout();
  void ClearR();

  // Numbering, terms and empty pages.
  void PrepareHeader();
  void PrintTerm(int kind, int book, int pages);
  void SetTermParameters(int kind, int book, int pages);
  void CreatePageTable();
  bool BookChangesAtMonth();
  void ClosePeriodPages();
  void PrintEmptyPage(bool filler);

  int CompanyCode() const;
  int EstabCode() const;
  void EndPage();

  std::string FMasc;
  std::string FMascQtd;
  int32_t FLivroAtual = 0;
  int32_t FTotPagina = 0;
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
  bool FQuebrarLivro = false;
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

  // Deductions given on the parameter screen, used when the per-item taxes are off.
  double FValorPIS = 0, FValorICMS = 0, FValorCOFINS = 0;
  // The user asked to stop through the progress display.
  bool FParado = false;
  // Why the first pass ended without printing ("" when it did not), and the error that kept
  // the terms report from being created: both are said again in the second pass.
  std::string FCancelamento;
  std::string FErroTermos;
  std::unique_ptr<ItemFields> FCampos;
  std::unique_ptr<BodyParams> FParams;
};
