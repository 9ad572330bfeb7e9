#include "host/ProgramFolders.h"

#include <cstdlib>

#include "reportkit/DMReport.h"

// Paths from the installed program's folder to its plug-ins and definitions; the build sets
// them from its install layout.
#ifndef STOCK_PLUGINS_FROM_BIN
#define STOCK_PLUGINS_FROM_BIN "../lib/stockreports/plugins"
#endif
#ifndef STOCK_DEFINITIONS_FROM_BIN
#define STOCK_DEFINITIONS_FROM_BIN "../share/stockreports/definitions"
#endif

namespace stock::host {

namespace {

std::string Pick(const std::string& option, const char* env, const std::filesystem::path& installed,
                 const std::filesystem::path& build_tree) {
  if (!option.empty()) return option;
  if (const char* value = std::getenv(env); value != nullptr && *value) return value;
  std::error_code ec;
  if (std::filesystem::is_directory(installed, ec) ||
      !std::filesystem::is_directory(build_tree, ec)) {
    return installed.lexically_normal().string();
  }
  return build_tree.lexically_normal().string();
}

}  // namespace

ProgramFolders LocateProgramFolders(const std::filesystem::path& program_dir,
                                    const std::string& plugins_option,
                                    const std::string& definitions_option) {
  return {Pick(plugins_option, "STOCK_PLUGIN_DIR", program_dir / STOCK_PLUGINS_FROM_BIN,
               program_dir / ".." / "plugins"),
          Pick(definitions_option, "STOCK_DEFINITION_DIR", program_dir / STOCK_DEFINITIONS_FROM_BIN,
               program_dir / ".." / "definitions")};
}

const char* InstalledPluginsFromProgram() { return STOCK_PLUGINS_FROM_BIN; }
const char* InstalledDefinitionsFromProgram() { return STOCK_DEFINITIONS_FROM_BIN; }

std::filesystem::path RunningProgramDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() : exe.parent_path();
}

void UseProgramFolders(const std::string& plugins_option, const std::string& definitions_option) {
  const ProgramFolders folders =
      LocateProgramFolders(RunningProgramDir(), plugins_option, definitions_option);
  SetPluginDirectory(folders.plugins);
  SetDefinitionDirectory(folders.definitions);
}

}  // namespace stock::host
