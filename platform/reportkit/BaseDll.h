#pragma once
// TnrwBaseDll: base class of every report class of a plug-in, and its metaclass. A report
// class overrides Versao and ImprimirInterno, and may override the parameter-screen handlers
// (an empty override switches the base class's check off for that report).

#include <memory>
#include <string>
#include <vector>

#include "reportkit/Report.h"
#include "rtl/TObject.h"

class TnClientDataSet;
class TnDMReport;
class TnpqParamItem;

// A window control of the parameter screen; the command-line host has none to offer.
class TWinControl : public TObject {
 public:
  ~TWinControl() override;
};

class TnrwBaseDll : public TObject {
 public:
  // Bound to `rep` for the instance's whole life. REQUIRES: rep outlives the instance.
  explicit TnrwBaseDll(TnrwReport* rep);
  ~TnrwBaseDll() override;

  // Virtual operations, in slot order.
  virtual std::string Versao();
  virtual void CriarListaSectionsParaZebrar();
  virtual void CriarListaSectionsTrocaCor();
  // Prints the report of `rep` into this report's document (it starts on a new page).
  virtual void RepInterno(TnDMReport* rep);
  virtual void ImprimirInterno();
  // Parameter-screen events. The base class checks the parameter's value against its type
  // when the user leaves it (DoParamExit raises Exception naming the parameter and value).
  virtual void DoParamChange(TObject* Sender, TnpqParamItem* _AParam);
  virtual void DoParamEnter(TObject* Sender, TnpqParamItem* _AParam);
  virtual void DoParamExit(TObject* Sender, TnpqParamItem* _AParam);
  virtual void DoZebradoBeforeSection(TObject* Sender, int section);
  virtual void DepoisConfigurar(TWinControl* control);
  virtual void AntesConfigurar(TWinControl* control);

  // The bound report (also the report's parameter query).
  TnrwReport* Report() const { return report_; }
  // The report's main dataset, opened by the host; nullptr when the definition has no query.
  TnClientDataSet* ReportDataSet() const;
  // A parameter's value as text; raises when the report has no such parameter.
  std::string RepParam(const std::string& name) const;
  void RepParam(const std::string& name, const std::string& value);
  // Sets a layout object's caption.
  void RepObjCaption(const std::string& name, const std::string& text);
  bool IsDrawNormal() const;

 private:
  TnrwReport* report_;
};

// A published method of a report class: its name and parameter names.
struct TnPublishedMethod {
  std::string name;
  std::vector<std::string> params;
};

// The metaclass of a report class: what a class reference offers.
class TnrwBaseDllClass {
 public:
  virtual ~TnrwBaseDllClass();
  // The virtual constructor: a new instance bound to `rep`, owned by the caller.
  virtual std::unique_ptr<TnrwBaseDll> Create(TnrwReport* rep) const = 0;
  virtual std::string ClassName() const = 0;
  virtual std::vector<TnPublishedMethod> PublishedMethods() const = 0;
};

using TnrwBaseDllClassRef = const TnrwBaseDllClass*;

// The metaclass of report class T.
template <class T>
class TnrwReportClass final : public TnrwBaseDllClass {
 public:
  TnrwReportClass(std::string name, std::vector<TnPublishedMethod> methods)
      : name_(std::move(name)), methods_(std::move(methods)) {}
  std::unique_ptr<TnrwBaseDll> Create(TnrwReport* rep) const override {
    return std::make_unique<T>(rep);
  }
  std::string ClassName() const override { return name_; }
  std::vector<TnPublishedMethod> PublishedMethods() const override { return methods_; }

 private:
  std::string name_;
  std::vector<TnPublishedMethod> methods_;
};
