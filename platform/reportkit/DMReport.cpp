#include "reportkit/DMReport.h"

#include <cstdlib>
#include <filesystem>

#include "basekit/DataModules.h"
#include "rtl/Exception.h"
#include "rtl/Mutex.h"

TnDMReport::TnDMReport(std::shared_ptr<const stock::ReportDefinition> definition)
    : report_(std::make_unique<TnrwReport>(std::move(definition))) {}

TnDMReport::~TnDMReport() = default;

namespace stock {

namespace {

struct Directories {
  Mutex mutex;
  std::string definitions GUARDED_BY(mutex);
  std::string plugins GUARDED_BY(mutex);
};

Directories& Dirs() {
  static Directories* dirs = [] {
    auto* d = new Directories;
    const char* def = std::getenv("STOCK_DEFINITION_DIR");
    const char* plug = std::getenv("STOCK_PLUGIN_DIR");
    {
      MutexLock lock(d->mutex);  // not shared yet; the lock satisfies the analysis
      d->definitions = def && *def ? def : "definitions";
      d->plugins = plug && *plug ? plug : "plugins";
    }
    return d;
  }();
  return *dirs;
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name.size() > 128) return false;
  for (char c : name) {
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-')) return false;
  }
  return true;
}

// Report definitions are data modules too: CriarDMNovo("stockBookTermsLayout") opens one.
const bool kResolverInstalled = [] {
  SetDataModuleResolver([](const std::string& name) -> std::unique_ptr<TObject> {
    if (!IsPlainName(name)) return nullptr;
    if (!std::filesystem::exists(DefinitionPath(name))) return nullptr;
    return OpenReportModule(name);
  });
  return true;
}();

}  // namespace

void SetDefinitionDirectory(const std::string& dir) {
  Directories& dirs = Dirs();
  MutexLock lock(dirs.mutex);
  dirs.definitions = dir;
}

std::string DefinitionDirectory() {
  Directories& dirs = Dirs();
  MutexLock lock(dirs.mutex);
  return dirs.definitions;
}

void SetPluginDirectory(const std::string& dir) {
  Directories& dirs = Dirs();
  MutexLock lock(dirs.mutex);
  dirs.plugins = dir;
}

std::string PluginDirectory() {
  Directories& dirs = Dirs();
  MutexLock lock(dirs.mutex);
  return dirs.plugins;
}

std::string DefinitionPath(const std::string& name) {
  if (!IsPlainName(name)) throw Exception("Nome de relatório inválido: '" + name + "'");
  return (std::filesystem::path(DefinitionDirectory()) / (name + ".json")).string();
}

std::unique_ptr<TnDMReport> OpenReportModule(const std::string& name) {
  (void)kResolverInstalled;
  return std::make_unique<TnDMReport>(LoadReportDefinition(DefinitionPath(name)));
}

}  // namespace stock
