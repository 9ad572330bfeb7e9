#include "host/serve/ParamScreen.h"

#include <cctype>
#include <cstring>

#include "basekit/ExecutarSQL.h"
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
    fields.push_back(
        {p.name, p.type, p.caption, params->GetValues(p.name), p.required, p.choices, p.lookup});
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
    throw Exception("O relatório fez uma pergunta que a tela de parâmetros não atende: " +
                    request.text);
  });
  try {
    handler(item);
  } catch (const std::exception& e) {
    errors_[name] = Readable(ClerkError(e.what()));
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
    if (f.required && Trim(f.value).empty()) {
      errors_[f.name] =
          "Preencha \"" + ScreenLabel(f) + "\": o relatório não imprime sem este campo.";
      continue;
    }
    try {
      Input(f.name)->CheckValue();
    } catch (const std::exception& e) {
      errors_[f.name] = Readable(e.what());
    }
  }
  return errors_.empty();
}

std::string NameFieldsByLabel(const std::string& text, const std::vector<ScreenField>& fields) {
  std::string out = text;
  for (const ScreenField& f : fields) {
    std::string label = ScreenLabel(f);
    label.insert(label.begin(), '"');
    label.push_back('"');
    for (size_t at = out.find(f.name); at != std::string::npos; at = out.find(f.name, at)) {
      const size_t end = at + f.name.size();
      const bool word = (at == 0 || !std::isalnum(static_cast<unsigned char>(out[at - 1]))) &&
                        (end == out.size() || !std::isalnum(static_cast<unsigned char>(out[end])));
      if (!word) {
        at = end;
        continue;
      }
      out.replace(at, f.name.size(), label);
      at += label.size();
      // "pX (Caption)" would read ""Caption" (Caption)"
      const std::string caption = " (" + f.caption + ")";
      if (!f.caption.empty() && out.compare(at, caption.size(), caption) == 0)
        out.erase(at, caption.size());
    }
  }
  // "o parâmetro "Data inicial"" reads as a screen's field.
  for (size_t at = out.find("parâmetro \""); at != std::string::npos;
       at = out.find("parâmetro \"", at)) {
    out.replace(at, std::string("parâmetro").size(), "campo");
  }
  return out;
}

std::vector<ParamChoice> ParamScreen::LookupChoices(const std::string& name) const {
  std::string lookup;
  for (const ParamDef& p : module_->Definition().params) {
    if (p.input && p.name == name) lookup = p.lookup;
  }
  if (lookup.empty()) return {};
  const bool companies = lookup == "empresas";
  const char* sql = companies
                        ? "select CODIGOEMPRESA, NOMEEMPRESA from EMPRESA order by CODIGOEMPRESA"
                        : "select CODIGOESTAB, NOMEESTAB, CODIGOEMPRESA from ESTAB "
                          "order by CODIGOESTAB, CODIGOEMPRESA";
  SQLDataSetPtr rows(ExecutarSQL(sql, nullptr, true, false, -1, "", nullptr, true));
  std::vector<ParamChoice> out;
  for (rows->First(); !rows->GetEof(); rows->Next()) {
    std::string text = rows->Fields(1)->AsString();
    if (!companies) text += " (empresa " + rows->Fields(2)->AsString() + ")";
    out.push_back({rows->Fields(0)->AsString(), text});
  }
  return out;
}

namespace {

// Lower-case ASCII words of `text` joined by '-': accents dropped, other signs as breaks.
std::string Slug(const std::string& text) {
  static const std::pair<const char*, char> kAccents[] = {
      {"á", 'a'}, {"à", 'a'}, {"â", 'a'}, {"ã", 'a'}, {"é", 'e'}, {"ê", 'e'}, {"í", 'i'},
      {"ó", 'o'}, {"ô", 'o'}, {"õ", 'o'}, {"ú", 'u'}, {"ü", 'u'}, {"ç", 'c'}, {"Á", 'a'},
      {"À", 'a'}, {"Â", 'a'}, {"Ã", 'a'}, {"É", 'e'}, {"Ê", 'e'}, {"Í", 'i'}, {"Ó", 'o'},
      {"Ô", 'o'}, {"Õ", 'o'}, {"Ú", 'u'}, {"Ç", 'c'}};
  std::string out;
  bool gap = false;
  for (size_t i = 0; i < text.size();) {
    char c = 0;
    size_t step = 1;
    const unsigned char u = static_cast<unsigned char>(text[i]);
    if (std::isalnum(u)) {
      c = static_cast<char>(std::tolower(u));
    } else if (u >= 0x80) {
      for (const auto& [from, to] : kAccents) {
        if (text.compare(i, std::strlen(from), from) == 0) {
          c = to;
          step = std::strlen(from);
          break;
        }
      }
      if (c == 0) {
        while (i + step < text.size() &&
               (static_cast<unsigned char>(text[i + step]) & 0xC0) == 0x80)
          ++step;
      }
    }
    i += step;
    if (c == 0) {
      gap = !out.empty();
      continue;
    }
    if (gap) out += '-';
    gap = false;
    out += c;
  }
  return out;
}

}  // namespace

std::string PdfFileName(const std::string& title, const std::vector<ScreenField>& fields) {
  std::string name = Slug(title);
  std::vector<std::string> dates;
  for (const ScreenField& f : fields) {
    const std::string value = Trim(f.value);
    if (value.empty()) continue;
    if (f.lookup == "empresas") {
      // "1;3;5..9" as "empresas-1_3_5-9"
      std::string codes;
      for (size_t i = 0; i < value.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(value[i]))) codes += value[i];
        if (value[i] == ';') codes += '_';
        if (value.compare(i, 2, "..") == 0) codes += '-', ++i;
      }
      codes.erase(0, codes.find_first_not_of("_-") == std::string::npos
                         ? codes.size()
                         : codes.find_first_not_of("_-"));
      while (!codes.empty() && (codes.back() == '_' || codes.back() == '-')) codes.pop_back();
      const bool many = codes.find_first_of("_-") != std::string::npos;
      if (!codes.empty()) name += (many ? "_empresas-" : "_empresa-") + codes;
    }
    if (f.type == TnParamType::Date && dates.size() < 2) dates.push_back(Slug(value));
  }
  if (dates.size() == 1) name += "_" + dates[0];
  if (dates.size() == 2) name += "_" + dates[0] + "_a_" + dates[1];
  return (name.empty() ? std::string("relatorio") : name) + ".pdf";
}

std::string ScreenLabel(const ScreenField& f) {
  const std::string label = Trim(f.caption.substr(0, f.caption.find_first_of("(:")));
  return label.empty() ? f.name : label;
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
