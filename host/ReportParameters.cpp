#include "host/ReportParameters.h"

#include <algorithm>

#include "reportkit/ParamDefault.h"
#include "reportkit/ParamItem.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace stock::host {

namespace {

// "pDataInicial (Data do saldo)": how a message names a parameter.
std::string Naming(const ParamDef& p) {
  return p.caption.empty() ? p.name : p.name + " (" + p.caption + ")";
}

// "-p pQuebra=1", quoted for the shell when the value holds ';' or a blank.
std::string Example(const ParamDef& p) {
  const std::string value = p.default_value.empty() ? ParamTypeExample(p.type) : DefaultValue(p);
  if (value.find_first_of("; ") == std::string::npos) return "-p " + p.name + "=" + value;
  return "-p " + p.name + "=\"" + value + "\"";
}

const ParamDef* FindInput(const ReportDefinition& definition, const std::string& name) {
  for (const ParamDef& p : definition.params) {
    if (p.input && SameText(p.name, name)) return &p;
  }
  return nullptr;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ResolveParameters(
    const ReportDefinition& definition, const std::vector<std::string>& given) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const std::string& text : given) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw UsageError("Parâmetro mal formado: '" + text + "' (use -p nome=valor)");
    }
    const std::string name = text.substr(0, eq);
    const ParamDef* p = FindInput(definition, name);
    if (p == nullptr) {
      throw UsageError("O relatório " + definition.name + " não tem o parâmetro '" + name +
                       "' (veja 'stockreports print " + definition.name + " --help')");
    }
    const std::string value = text.substr(eq + 1);
    TnpqParamItem(p->name, p->type, p->caption, value).CheckValue();
    out.emplace_back(p->name, value);
  }
  for (const ParamDef& p : definition.params) {
    if (!p.input || !p.required) continue;
    auto given_value = std::find_if(out.rbegin(), out.rend(),
                                    [&](const auto& item) { return item.first == p.name; });
    const std::string value = given_value != out.rend() ? given_value->second : DefaultValue(p);
    if (Trim(value).empty()) {
      throw UsageError("Falta o parâmetro obrigatório " + Naming(p) + ": informe " + Example(p) +
                       " (aceita " + ParamTypeAccepts(p.type) + ")");
    }
  }
  return out;
}

void DescribeParameters(std::ostream& out, const ReportDefinition& definition) {
  for (const ParamDef& p : definition.params) {
    if (!p.input) continue;
    out << "    " << p.name << " (" << ParamTypeName(p.type) << ")"
        << (p.required ? " [obrigatório]" : "");
    if (!p.caption.empty()) out << ": " << p.caption;
    if (!p.default_value.empty()) {
      const std::string value = DefaultValue(p);
      out << " [padrão: " << value << (value != p.default_value ? ", " + p.default_value : "")
          << "]";
    }
    out << "\n        aceita " << ParamTypeAccepts(p.type) << "; ex.: " << Example(p) << "\n";
    if (!p.choices.empty()) {
      out << "        valores:";
      for (size_t i = 0; i < p.choices.size(); ++i) {
        out << (i == 0 ? " " : "; ") << p.choices[i].value << " = " << p.choices[i].text;
      }
      out << "\n";
    }
    if (p.lookup == "empresas")
      out << "        códigos da tabela de empresas do banco (stockreports serve mostra os "
             "nomes)\n";
    if (p.lookup == "estabelecimentos") {
      out << "        códigos da tabela de estabelecimentos do banco (stockreports serve mostra os "
             "nomes)\n";
    }
  }
}

}  // namespace stock::host
