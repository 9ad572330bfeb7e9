#include "reportkit/PowerParam.h"

#include <algorithm>

#include "rtl/Exception.h"

namespace {

std::string Key(std::string_view name) {
  std::string k(name);
  std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return std::toupper(c); });
  return k;
}

}  // namespace

TnpqPowerParam::TnpqPowerParam() = default;
TnpqPowerParam::~TnpqPowerParam() = default;

TnpqParamItem* TnpqPowerParam::Add(std::string name, TnParamType type, std::string caption,
                                   std::string value) {
  std::string key = Key(name);
  if (by_name_.count(key)) throw Exception("Parâmetro '" + name + "' declarado duas vezes");
  items_.push_back(
      std::make_unique<TnpqParamItem>(std::move(name), type, std::move(caption), std::move(value)));
  by_name_[key] = items_.back().get();
  return items_.back().get();
}

TnpqParamItem* TnpqPowerParam::FindParam(std::string_view name) const {
  auto it = by_name_.find(Key(name));
  return it == by_name_.end() ? nullptr : it->second;
}

TnpqParamItem* TnpqPowerParam::Param(std::string_view name) const {
  TnpqParamItem* item = FindParam(name);
  if (item == nullptr) {
    throw Exception("Parâmetro '" + std::string(name) + "' não existe no relatório");
  }
  return item;
}

const std::string& TnpqPowerParam::GetValues(std::string_view name) const {
  return Param(name)->GetValue();
}

void TnpqPowerParam::SetValues(std::string_view name, std::string value) {
  Param(name)->SetValue(std::move(value));
}
