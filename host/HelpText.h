#pragma once
// The texts that describe the program as a whole: its summary, exit statuses, environment
// variables, files and examples. `--help` shows them below the commands and the manual page
// prints them in its sections, so the two always say the same.

#include <string>
#include <vector>

namespace stock::host {

// "stockreports 0.1": the program and its version, as --version prints it.
std::string VersionText();

// The program in one line (the manual page's name line).
const char* ProgramSummary();
// What the program does, in a sentence or two (the top of --help, the manual's description).
const char* ProgramDescription();

struct HelpItem {
  std::string term;  // "0", "STOCK_PLUGIN_DIR", a command line ...
  std::string text;  // what it means or does
};

std::vector<HelpItem> ExitStatusHelp();
std::vector<HelpItem> EnvironmentHelp();
// Folders and files the program uses; `plugins` and `definitions` are where it looks for
// them by default.
std::vector<HelpItem> FileHelp();
std::vector<HelpItem> ExampleHelp();

// Exit statuses, environment and examples as plain text for the end of --help.
std::string HelpFooter();

}  // namespace stock::host
