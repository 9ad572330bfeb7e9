#include "basekit/DataModules.h"

#include <map>

#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace {

struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return AnsiUpperCase(a) < AnsiUpperCase(b);
  }
};

struct Registry {
  std::map<std::string, DataModuleFactory, CaseInsensitiveLess> factories;
  DataModuleResolver resolver;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

TObject* CriarDMNovo(const std::string& name, void* /*action*/) {
  Registry& registry = TheRegistry();
  std::unique_ptr<TObject> module;
  auto found = registry.factories.find(name);
  if (found != registry.factories.end()) {
    DataModuleFactory factory = found->second;
    module = factory();
  } else if (registry.resolver) {
    DataModuleResolver resolver = registry.resolver;
    module = resolver(name);
  }
  if (module == nullptr) throw Exception("Módulo de dados '" + name + "' não encontrado");
  return module.release();
}

void RegisterDataModule(const std::string& name, DataModuleFactory factory) {
  TheRegistry().factories[name] = std::move(factory);
}

bool UnregisterDataModule(const std::string& name) {
  return TheRegistry().factories.erase(name) > 0;
}

DataModuleResolver SetDataModuleResolver(DataModuleResolver resolver) {
  DataModuleResolver previous = std::move(TheRegistry().resolver);
  TheRegistry().resolver = std::move(resolver);
  return previous;
}
