#pragma once
// TnrwReport: the report engine. One object per report definition being printed: the
// definition's parameters and labels, its main dataset, the page state, the hooks a plug-in
// sets, and the messages of the run. Allocated below 2 GiB (TnpqPowerQuery), so its address
// travels through the 32-bit argument of a plug-in's Imprimir.
//
// Printing: RepPrintSection(n) opens a page when none is open (page number + 1, section 1
// with its hooks), moves to the next page when section n does not fit above the footer, then
// calls the before-section hook (n), prints n with the current parameter values and the
// current row of the main dataset, and calls the after-section hook (n). Hooks may print
// sections themselves. SetCSLIsPageEnd(true) ends the open page at once (footer, page end,
// after-page hook); with no page open it only sets the page-end state.
//
// The page's life is one state (PageState), changed only by the transitions below:
//
//   kNone  --OpenPage-->  kOpen  --a section below the header-->  kBody
//     ^                     |                                       |
//     |                     +------ SetCSLIsPageEnd(true) ----------+--> kEnded
//     |                                                                    |
//     +-------- BeginPass, SetCSLIsPageEnd(false), EndPass, AbortPass -----+
//
//   kNone   no page open, page-end state clear: a pass begins here.
//   kOpen   a page open with only its header (and hook output) so far; the device has begun it.
//           An empty page takes any section, even one taller than the room left.
//   kBody   a page open with at least one section printed below its header.
//   kEnded  no page open, page-end state set: the last page ended (footer, device's EndPage,
//           after-page hook), or the report asked for a page end with no page open.
//
// From kNone or kEnded, OpenPage (any section, or section 1 itself) moves to kOpen and prints
// the header. EndPass and AbortPass close an open page without setting the page-end state
// (kNone); SetCSLIsPageEnd(true) with no page open moves to kEnded without touching the device.
// Hooks run inside transitions and may cause others: a before-section hook of the header may
// end the page it opens, an after-page hook may open the next. So a section's room is ensured
// twice, before its before-section hook and after it, and EnsureRoom gives up (Exception) when
// 1,000 pages in a row are ended by their own hooks. Debug builds check the state's invariants
// after every hook: a page is open exactly while the device has one begun, and only with a
// document attached.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "reportkit/Label.h"
#include "reportkit/PowerQuery.h"
#include "reportkit/ReportDefinition.h"
#include "reportkit/ReportDocument.h"
#include "reportkit/ReportFunctions.h"

class TnClientDataSet;
class TField;
class TnDMReport;

using TNotifyEvent = std::function<void(TObject* sender)>;
using TnSectionEvent = std::function<void(TObject* sender, int section)>;

struct TnReportMessage {
  int kind = 0;  // 0 information that ended the run, 1 warning
  std::string text;
};

class TnrwReport : public TnpqPowerQuery {
 public:
  // A report for `definition`: its parameters with their defaults and its labels.
  explicit TnrwReport(std::shared_ptr<const stock::ReportDefinition> definition);
  ~TnrwReport() override;

  const stock::ReportDefinition& Definition() const { return *definition_; }

  // Runs the main query with the current parameter values (":name" bound, intervals expanded
  // through FilterInterval) on the default connection and checks that every label bound to a
  // column finds it. Raises Exception naming the definition file and the label or the SQL.
  // A definition without a query has no dataset. Running it again replaces the dataset.
  void OpenMainQuery();

  // The main dataset, owned by this report; nullptr before OpenMainQuery or without a query.
  TnClientDataSet* GetDataSet() const { return dataset_.get(); }

  // The label of that name (case-insensitive); raises Exception naming the definition when
  // there is none. The report owns its labels.
  TnLabel* LabelByName(std::string_view name) const;
  TnLabel* FindLabel(std::string_view name) const;

  // --- Printing ----------------------------------------------------------------------------
  // REQUIRES: a pass is running (BeginPass). Raises Exception for a section not in the
  // definition.
  void RepPrintSection(int section);

  // Prints the next `cells` sections side by side, as one row of cells each 1/`columns` of the
  // layout width, the row centred across it (1 <= cells <= columns). Each section keeps the
  // layout it has for the whole width, moved so that the width's centre falls on its cell's
  // centre, with its labels and lines cut at the cell's edges. The row starts where the page
  // stands (on the next page when `height`, or its first section, does not fit there) and the
  // page moves on below its tallest section after its last cell. Raises Exception for a bad
  // count.
  void BeginRow(int cells, int columns, int height = 0);

  // The height `section` takes with the current values in cell `index` of a row of `cells`
  // cells in `columns` (as BeginRow lays them out), for a caller that sizes a row before
  // printing it. Raises like BeginRow, and for a section not in the definition.
  int CellHeight(int section, int cells, int columns, int index);

  // Feeds the progress display; true once the user asked to stop.
  bool CSLShowProgress(int done, int total);

  void SetCSLIsPageEnd(bool page_end);
  bool GetCSLIsPageEnd() const { return page_ == PageState::kEnded; }

  // True while a page is open.
  bool GetPageOpen() const { return page_ == PageState::kOpen || page_ == PageState::kBody; }

  // Messages of the run, shown by the host after it.
  void MsgConfigurar(const std::vector<std::string>& captions, int last_index);
  void MsgMensagem(int kind, const std::string& text);
  const std::vector<TnReportMessage>& Messages() const { return messages_; }

  // True while the pass being printed produces the output (the only pass, or the second of
  // two); false during a counting pass.
  bool IsDrawNormal() const { return document_ == nullptr || document_->draw_normal; }

  // The definition's user functions; owned by the report.
  TnReportFunctions* ReportFunctions() { return &functions_; }

  // --- Hooks -------------------------------------------------------------------------------
  void SetOnBeforeReport(TNotifyEvent hook) { on_before_report_ = std::move(hook); }
  void SetOnAfterPage(TNotifyEvent hook) { on_after_page_ = std::move(hook); }
  void SetOnBeforeSection(TnSectionEvent hook) { on_before_section_ = std::move(hook); }
  void SetOnAfterSection(TnSectionEvent hook) { on_after_section_ = std::move(hook); }
  bool HasHooks() const;
  void ClearHooks();
  // Fires the before-report hook, when set.
  void FireBeforeReport();

  // --- Passes (the run drives these) -------------------------------------------------------
  // True when a label's caption holds "@PageCount": the report then prints in two passes.
  bool NeedsPageCount() const;
  // Starts a pass into `document` (not owned; REQUIRES it outlives the pass): no page open,
  // page number 0, page-end state clear, the messages of an earlier pass dropped.
  void BeginPass(stock::ReportDocument* document);
  // Ends the open page, if any, and detaches the document.
  void EndPass();
  // Gives up the pass after an error: closes the open page without its footer or any hook and
  // detaches the document. Never raises: an error of the device here is dropped, the error
  // that ended the pass is the one that matters.
  void AbortPass() noexcept;
  stock::ReportDocument* Document() const { return document_; }

  // Prints the report of `dm` into this report's document, on a new page (RepInterno): the
  // inner report's own plug-in instance and hooks, its last page ended when its run ends and
  // its messages added to this report's. Any error of the inner run (its plug-in, its hooks,
  // the device) reaches the caller as an Exception, with the inner report's hooks emptied and
  // its instance freed. REQUIRES: a pass is running.
  void PrintInternal(TnDMReport* dm);

 private:
  enum class PageState { kNone, kOpen, kBody, kEnded };  // see the top of this file
  struct BoundLabel;
  struct BoundSection;

  struct Cell {
    double left = 0, width = 0;  // layout units
  };
  struct Box {
    double left = 0, top = 0, width = 0, height = 0;  // layout units, relative to the section
  };

  const BoundSection& Section(int number) const;
  Cell CellOf(int cells, int columns, int index) const;
  // Lays `section` out for its current values, in `cell` when not null: the boxes of its labels
  // and its lines into placed_ and placed_lines_, stretched labels grown and what lies below
  // them moved down. Returns the section's height. A plain section (no cell, nothing that
  // stretches) is not laid out: Draw takes its definition's geometry.
  int Arrange(const BoundSection& section, const Cell* cell);
  stock::PageFormat PageFormatOf() const;
  void EnsureRoom(int height);
  void OpenPage();
  void PrintNow(const BoundSection& section);
  // Draws the section at `top`, from placed_ when `arranged`.
  void Draw(const BoundSection& section, int top, bool arranged = false);
  // The text `bound` shows on the current row, into `text` (its capacity is reused).
  void TextOf(const BoundLabel& bound, std::string& text) const;
  void BindColumns();
  // Debug builds: aborts when the page state's invariants do not hold (after `where` ran).
  void CheckPageState(const char* where) const;

  std::shared_ptr<const stock::ReportDefinition> definition_;
  std::vector<std::unique_ptr<TnLabel>> labels_;
  std::unordered_map<std::string, TnLabel*> labels_by_name_;  // upper-case
  std::unordered_map<int, std::unique_ptr<BoundSection>> sections_;
  std::unique_ptr<TnClientDataSet> dataset_;
  TnReportFunctions functions_;

  stock::ReportDocument* document_ = nullptr;
  PageState page_ = PageState::kNone;
  int device_pages_open_ = 0;  // BeginPage calls on the device minus EndPage calls, this pass
  int y_ = 0;                  // next free position in the page body, from the top margin
  std::string label_text_;     // Draw's buffer for the text of each label
  std::vector<Box> placed_;    // Arrange's label boxes, in the section's label order
  std::vector<stock::LineDef> placed_lines_;
  // The row of cells being printed (BeginRow): cells still to print, the row's columns, its
  // cells, the next cell, its top and the height of its tallest section so far.
  int row_left_ = 0, row_columns_ = 0, row_cells_ = 0, row_next_ = 0;
  int row_top_ = 0, row_height_ = 0, row_room_ = 0;

  std::vector<std::string> message_captions_;
  std::vector<TnReportMessage> messages_;

  TNotifyEvent on_before_report_, on_after_page_;
  TnSectionEvent on_before_section_, on_after_section_;
};
