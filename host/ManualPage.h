#pragma once
// The manual page stockreports(1), in Portuguese, written from the command line's own
// definition (commands, options and their descriptions), the help texts of HelpText.h and the
// reports found in the definition folder, so it says what --help and `list` say.

#include <CLI/CLI.hpp>
#include <ostream>

namespace stock::host {

// Writes the page in man(7) markup, UTF-8. `app` is the complete program, every command added.
void WriteManualPage(const CLI::App& app, std::ostream& out);

}  // namespace stock::host
