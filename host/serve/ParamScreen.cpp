#include "host/serve/ParamScreen.h"

#include "basekit/MessageDlg.h"
#include "host/serve/ClerkText.h"
#include "reportkit/BaseDll.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginLibrary.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace stock::serve {

namespace {

bool IsInput(const ReportDefinition& def, const std::string& name) {
  for (const ParamDef& p : def.params) {
    if (p.input && p.name == name) return true;
  }
  return false;
}

}  // namespace

ParamScreen::ParamScreen(const std::string& report) : report_(report) {
  module_ = OpenReportModule(report);
  const ReportDefinition& def = module_->Definition();
  if (def.plugin.empty()) {
    throw Exception("O relatório '" + report + "' é impresso apenas dentro de outros relatórios.");
  }
  TnrwBaseDllClassRef cls = PluginLibrary::Load(def.plugin).ClassDll();
  if (cls == nullptr) throw Exception("FClassDll está nil.");
  instance_ = cls->Create(module_->GetReport());
}

ParamScreen::~ParamScreen() {
  instance_.reset();  // before the report it is bound to
  module_.reset();
}

const std::string& ParamScreen::Title() const { return module_->Definition().title; }

std::vector<ScreenField> ParamScreen::Fields() const {
  std::vector<ScreenField> fields;
  const TnpqPowerParam* params = module_->GetReport()->GetParams();
  for (const ParamDef& p : module_->Definition().params) {
    if (!p.input) continue;
    fields.push_back({p.name, p.type, p.caption, params->GetValues(p.name)});
  }
  return fields;
}

std::vector<std::pair<std::string, std::string>> ParamScreen::Values() const {
  std::vector<std::pair<std::string, std::string>> values;
  for (const ScreenField& f : Fields()) values.emplace_back(f.name, f.value);
  return values;
}

TnpqParamItem* ParamScreen::Input(const std::string& name) const {
  if (!IsInput(module_->Definition(), name)) {
    throw Exception("O relatório " + report_ + " não tem o parâmetro '" + name + "'.");
  }
  return module_->GetReport()->GetParams()->Param(name);
}

template <class F>
void ParamScreen::Handle(const std::string& name, F handler) {
  TnpqParamItem* item = Input(name);
  // The screen answers no questions: one asked from a handler is an error by the field.
  DialogHandlerGuard no_questions([](const DialogRequest& request) -> int {
    throw Exception("O relatório fez uma pergunta que a tela de parâmetros não atende: " + request.text);
  });
  try {
    handler(item);
  } catch (const std::exception& e) {
    errors_[name] = ClerkError(e.what());
  }
}

void ParamScreen::Enter(const std::string& name) {
  Handle(name, [&](TnpqParamItem* item) { instance_->DoParamEnter(module_->GetReport(), item); });
}

void ParamScreen::Change(const std::string& name, const std::string& value) {
  TnpqParamItem* item = Input(name);
  errors_.erase(name);
  if (value.size() > kMaxValue) {
    errors_[name] = "Valor longo demais (no máximo " + std::to_string(kMaxValue) + " caracteres).";
    return;
  }
  item->SetValue(value);
  Handle(name, [&](TnpqParamItem* it) { instance_->DoParamChange(module_->GetReport(), it); });
}

void ParamScreen::Exit(const std::string& name) {
  Handle(name, [&](TnpqParamItem* item) {
    instance_->DoParamExit(module_->GetReport(), item);
    item->CheckValue();  // as a typed field of the screen would, whatever the report checks
  });
}

bool ParamScreen::CheckAll() {
  for (const ScreenField& f : Fields()) {
    if (errors_.count(f.name) != 0) continue;
    try {
      Input(f.name)->CheckValue();
    } catch (const std::exception& e) {
      errors_[f.name] = e.what();
    }
  }
  return errors_.empty();
}

std::string FieldOfError(const std::vector<ScreenField>& fields, const std::string& message) {
  const std::string upper = AnsiUpperCase(message);
  std::string best;
  size_t best_length = 0;
  auto consider = [&](const std::string& field, std::string text) {
    text = AnsiUpperCase(Trim(text));
    if (text.size() > best_length && upper.find(text) != std::string::npos) {
      best = field;
      best_length = text.size();
    }
  };
  for (const ScreenField& f : fields) {
    consider(f.name, f.name);
    consider(f.name, f.caption.substr(0, f.caption.find_first_of("(:")));
  }
  return best;
}

}  // namespace stock::serve
