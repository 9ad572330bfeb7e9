#include "reportkit/ParamItem.h"

#include "datakit/FilterInterval.h"
#include "rtl/Exception.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

const char* ParamTypeName(TnParamType type) {
  switch (type) {
    case TnParamType::Text: return "texto";
    case TnParamType::Integer: return "inteiro";
    case TnParamType::Float: return "número";
    case TnParamType::Date: return "data";
    case TnParamType::Flag: return "indicador (0 ou 1)";
    case TnParamType::Interval: return "intervalo";
  }
  return "texto";
}

const char* ParamTypeAccepts(TnParamType type) {
  switch (type) {
    case TnParamType::Text: return "qualquer texto";
    case TnParamType::Integer: return "um número inteiro";
    case TnParamType::Float: return "um número com vírgula decimal";
    case TnParamType::Date: return "uma data dd/mm/aaaa";
    case TnParamType::Flag: return "0 ou 1";
    case TnParamType::Interval: return "códigos, listas com ';' e faixas com '..'";
  }
  return "qualquer texto";
}

const char* ParamTypeExample(TnParamType type) {
  switch (type) {
    case TnParamType::Text: return "texto";
    case TnParamType::Integer: return "1";
    case TnParamType::Float: return "1234,56";
    case TnParamType::Date: return "31/12/2026";
    case TnParamType::Flag: return "1";
    case TnParamType::Interval: return "1;3;5..9";
  }
  return "texto";
}

TnpqParamItem::TnpqParamItem(std::string name, TnParamType type, std::string caption,
                             std::string value)
    : name_(std::move(name)), type_(type), caption_(std::move(caption)), value_(std::move(value)) {}

TnpqParamItem::~TnpqParamItem() = default;

void TnpqParamItem::CheckValue() const {
  const std::string v = Trim(value_);
  if (v.empty()) return;
  bool ok = true;
  switch (type_) {
    case TnParamType::Text: break;
    case TnParamType::Integer: {
      int32_t i;
      ok = TryStrToInt(v, i);
      break;
    }
    case TnParamType::Float: {
      double d;
      ok = TryStrToFloat(v, d);
      break;
    }
    case TnParamType::Date: {
      TDateTime d;
      ok = TryStrToDate(v, d);
      break;
    }
    case TnParamType::Flag: ok = v == "0" || v == "1"; break;
    case TnParamType::Interval: try { FilterInterval("X", v, TnTiposInclusao{tiIncluir}, false, 0);
      } catch (const Exception&) {
        ok = false;
      }
      break;
  }
  if (!ok) {
    throw Exception(
        "Valor inválido para o parâmetro " + name_ +
        (caption_.empty() ? "" : " (" + caption_ + ")") + ": '" + value_ + "' não é " +
        (type_ == TnParamType::Date ? std::string("uma data válida")
                                    : std::string("um ") + ParamTypeName(type_) + " válido") +
        "; aceita " + ParamTypeAccepts(type_) + ", ex.: " + ParamTypeExample(type_) + ".");
  }
}
