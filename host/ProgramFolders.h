#pragma once
// Where the program finds its report plug-ins and definitions. An installed program finds them
// from its own location (bin/ -> lib/stockreports/plugins, share/stockreports/definitions, as
// laid out at install time), a program run from its build tree finds them beside its folder
// (../plugins, ../definitions). A command-line option or the environment (STOCK_PLUGIN_DIR,
// STOCK_DEFINITION_DIR) wins over both.

#include <filesystem>
#include <string>

namespace stock::host {

struct ProgramFolders {
  std::string plugins;
  std::string definitions;
};

// The folders for a program living in `program_dir`, given the options typed (empty when not
// given). Each folder is chosen on its own: option, else environment variable, else the
// installed layout when that folder exists, else the build tree's.
ProgramFolders LocateProgramFolders(const std::filesystem::path& program_dir,
                                    const std::string& plugins_option,
                                    const std::string& definitions_option);

// The paths from the installed program's folder to its plug-ins and to its definitions.
const char* InstalledPluginsFromProgram();
const char* InstalledDefinitionsFromProgram();

// The folder of the running program (/proc/self/exe), the working folder when unknown.
std::filesystem::path RunningProgramDir();

// Locates the folders for the running program and hands them to the report engine.
void UseProgramFolders(const std::string& plugins_option, const std::string& definitions_option);

}  // namespace stock::host
