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
    case TnParamType::Integer: { int32_t i; ok = TryStrToInt(v, i); break; }
    case TnParamType::Float: { double d; ok = TryStrToFloat(v, d); break; }
    case TnParamType::Date: { TDateTime d; ok = TryStrToDate(v, d); break; }
    case TnParamType::Flag: ok = v == "0" || v == "1"; break;
    case TnParamType::Interval:
      try {
        FilterInterval("X", v, TnTiposInclusao{tiIncluir}, false, 0);
      } catch (const Exception&) {
        ok = false;
      }
      break;
  }
  if (!ok) {
    throw Exception("Valor inválido para o parâmetro " + name_ +
                    (caption_.empty() ? "" : " (" + caption_ + ")") + ": '" + value_ +
                    "' não é " + (type_ == TnParamType::Date ? "uma data válida." : std::string("um ") +
                    ParamTypeName(type_) + " válido."));
  }
}
