#pragma once
// Commands for the build and the shell, not shown in the help:
//   stockreports __manual                      the manual page stockreports(1) on stdout
//   stockreports __complete N WORD0 WORD1 ...  completions for word N of the command line

#include <CLI/CLI.hpp>

namespace stock::host {

bool IsToolingCommand(const char* word);

// Runs the tooling command of `argv` (argv[0] is its name) for the program `app`; returns the
// exit status.
int RunToolingCommand(const CLI::App& app, int argc, char** argv);

}  // namespace stock::host
