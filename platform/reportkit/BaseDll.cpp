#include "reportkit/BaseDll.h"

#include "datakit/ClientDataSet.h"
#include "reportkit/ParamItem.h"

TWinControl::~TWinControl() = default;

TnrwBaseDll::TnrwBaseDll(TnrwReport* rep) : report_(rep) {}
TnrwBaseDll::~TnrwBaseDll() = default;

std::string TnrwBaseDll::Versao() { return {}; }
void TnrwBaseDll::CriarListaSectionsParaZebrar() {}
void TnrwBaseDll::CriarListaSectionsTrocaCor() {}
void TnrwBaseDll::RepInterno(TnDMReport* rep) { report_->PrintInternal(rep); }
void TnrwBaseDll::ImprimirInterno() {}
void TnrwBaseDll::DoParamChange(TObject*, TnpqParamItem*) {}
void TnrwBaseDll::DoParamEnter(TObject*, TnpqParamItem*) {}
void TnrwBaseDll::DoParamExit(TObject*, TnpqParamItem* _AParam) {
  if (_AParam != nullptr) _AParam->CheckValue();
}
void TnrwBaseDll::DoZebradoBeforeSection(TObject*, int) {}
void TnrwBaseDll::DepoisConfigurar(TWinControl*) {}
void TnrwBaseDll::AntesConfigurar(TWinControl*) {}

TnClientDataSet* TnrwBaseDll::ReportDataSet() const { return report_->GetDataSet(); }

std::string TnrwBaseDll::RepParam(const std::string& name) const {
  return report_->GetParams()->GetValues(name);
}

void TnrwBaseDll::RepParam(const std::string& name, const std::string& value) {
  report_->GetParams()->SetValues(name, value);
}

void TnrwBaseDll::RepObjCaption(const std::string& name, const std::string& text) {
  report_->LabelByName(name)->SetCaption(text);
}

bool TnrwBaseDll::IsDrawNormal() const { return report_->IsDrawNormal(); }

TnrwBaseDllClass::~TnrwBaseDllClass() = default;
