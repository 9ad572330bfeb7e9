#include "datakit/FieldType.h"

#include "datakit/FieldDefs.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

bool IsIntegerFieldType(TFieldType type) {
  return type == ftSmallint || type == ftInteger || type == ftLargeint;
}

bool IsFloatFieldType(TFieldType type) { return type == ftFloat || type == ftCurrency; }

bool IsDateFieldType(TFieldType type) { return type == ftDate || type == ftDateTime; }

std::string FieldTypeName(TFieldType type) {
  switch (type) {
    case ftUnknown: return "ftUnknown";
    case ftSmallint: return "ftSmallint";
    case ftInteger: return "ftInteger";
    case ftLargeint: return "ftLargeint";
    case ftBoolean: return "ftBoolean";
    case ftFloat: return "ftFloat";
    case ftCurrency: return "ftCurrency";
    case ftString: return "ftString";
    case ftDate: return "ftDate";
    case ftDateTime: return "ftDateTime";
  }
  return "ftUnknown";
}

void TFieldDefs::Add(const std::string& name, TFieldType type, int size) {
  if (name.empty()) throw Exception("Nome de campo vazio na definição do dataset");
  if (type == ftUnknown) throw Exception("Tipo de campo desconhecido para o campo '" + name + "'");
  for (const TFieldDef& def : defs_) {
    if (SameText(def.Name, name)) throw Exception("Campo '" + name + "' definido duas vezes");
  }
  defs_.push_back(TFieldDef{name, type, size});
}
