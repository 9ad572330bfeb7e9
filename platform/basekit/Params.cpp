#include "basekit/Params.h"

#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

void TParams::SetValue(const std::string& name, const Variant& value) {
  for (Item& item : items_) {
    if (SameText(item.name, name)) {
      item.value = value;
      return;
    }
  }
  items_.push_back(Item{name, value});
}

const TParams::Item* TParams::FindParam(const std::string& name) const {
  for (const Item& item : items_) {
    if (SameText(item.name, name)) return &item;
  }
  return nullptr;
}

const Variant& TParams::ParamByName(const std::string& name) const {
  const Item* item = FindParam(name);
  if (item == nullptr) throw Exception("Parâmetro '" + name + "' não encontrado");
  return item->value;
}
