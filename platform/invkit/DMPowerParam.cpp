#include "invkit/DMPowerParam.h"

#include "rtl/StringUtils.h"

TnDMPowerParam::TnDMPowerParam() = default;

TnDMPowerParam::~TnDMPowerParam() = default;

TObject* TnDMPowerParam::FindComponent(const std::string& name) const {
  auto found = components_.find(AnsiUpperCase(name));
  return found == components_.end() ? nullptr : found->second;
}

void TnDMPowerParam::SetComponent(const std::string& name, TObject* component) {
  if (component == nullptr) {
    components_.erase(AnsiUpperCase(name));
  } else {
    components_[AnsiUpperCase(name)] = component;
  }
}
