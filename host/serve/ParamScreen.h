#pragma once
// ParamScreen: a report's parameter screen as the browser shows it. Holds the report's
// definition opened as a module and one instance of its report class bound to that module's
// report for the screen's whole life; the screen's events reach the instance's handlers
// (DoParamEnter, DoParamChange, DoParamExit) as they would on the desktop.
//
// An error raised by a handler is kept by the field it concerns, in the report's own words,
// until that field changes again; the print button stays off while any field has one. Leaving
// a field also checks its value against its type, as a typed field of a screen does, even when
// the report switched the base class's check off.
// Not thread-safe: create, use and destroy it on the platform thread.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "reportkit/ParamItem.h"
#include "reportkit/ReportDefinition.h"

class TnDMReport;
class TnrwBaseDll;

namespace stock::serve {

struct ScreenField {
  std::string name;
  TnParamType type = TnParamType::Text;
  std::string caption;
  std::string value;
  bool required = false;
  std::vector<ParamChoice> choices;  // the fixed values, when the definition gives them
  std::string lookup;                // "empresas", "estabelecimentos" or ""
};

// `text` with the names of `fields` replaced by their labels on the screen, in quotes ("o
// parâmetro pDataInicial" reads "o campo "Data inicial"").
std::string NameFieldsByLabel(const std::string& text, const std::vector<ScreenField>& fields);

class ParamScreen {
 public:
  // Longest value a field takes; a longer one is refused with an error by the field.
  static constexpr size_t kMaxValue = 1000;

  // Opens report `report` (a name from the definition folder) and creates its instance.
  // Raises Exception for an unknown name, a definition printed only inside other reports, or
  // a plug-in that cannot be loaded.
  explicit ParamScreen(const std::string& report);
  ~ParamScreen();
  ParamScreen(const ParamScreen&) = delete;
  ParamScreen& operator=(const ParamScreen&) = delete;

  const std::string& Report() const { return report_; }
  const std::string& Title() const;

  // The input parameters, in the definition's order, with their current values (the
  // definition's defaults at first); hidden parameters are not among them.
  std::vector<ScreenField> Fields() const;
  // The input parameters' values, as a print takes them.
  std::vector<std::pair<std::string, std::string>> Values() const;

  // The events of field `name` (an input parameter; Exception otherwise). An error a handler
  // raises (or, on Exit, a value that does not fit the type) is recorded for the field, not
  // thrown.
  void Enter(const std::string& name);
  void Change(const std::string& name, const std::string& value);
  void Exit(const std::string& name);

  // Records an error for every field whose value does not fit its type, and for every
  // required field left empty. Returns true when no field has an error.
  bool CheckAll();

  // The database rows field `name` takes its codes from (its lookup): code and name, in code
  // order; empty for a field without a lookup. Raises Exception when the query fails.
  std::vector<ParamChoice> LookupChoices(const std::string& name) const;

  // Errors by field name.
  const std::map<std::string, std::string>& Errors() const { return errors_; }
  // Records an error for a field (a print's error that names it).
  void SetError(const std::string& name, const std::string& text) {
    errors_[name] = Readable(text);
  }

 private:
  class TnpqParamItem* Input(const std::string& name) const;
  template <class F>
  void Handle(const std::string& name, F handler);
  std::string Readable(const std::string& text) const { return NameFieldsByLabel(text, Fields()); }

  std::string report_;
  std::unique_ptr<TnDMReport> module_;
  std::unique_ptr<TnrwBaseDll> instance_;
  std::map<std::string, std::string> errors_;
};

// The name a print's PDF is offered under: the report's title, the companies and the period
// of `fields`, in plain ASCII ("listagem-do-inventario_empresa-1_01-01-2026_a_31-12-2026.pdf").
std::string PdfFileName(const std::string& title, const std::vector<ScreenField>& fields);

// The label field `f` has on the screen: its caption up to a parenthesis, or its name.
std::string ScreenLabel(const ScreenField& f);

// The input field a print's error `message` is about: the field whose name, or whose caption
// (up to a parenthesis or colon), appears in it, the longest such match; "" when none does.
std::string FieldOfError(const std::vector<ScreenField>& fields, const std::string& message);

}  // namespace stock::serve
