#pragma once
// The command line speaks Portuguese like everything else the user reads: help headings and
// labels, and the parser's error messages.

#include <CLI/CLI.hpp>
#include <string>

namespace stock::host {

// Portuguese help and errors for `app` and its commands. REQUIRES: called once every option
// and command is added.
void UsePortuguese(CLI::App& app);

// The parser's error in Portuguese: "Falta a opção --out.", "Argumento não esperado: x" ...
// `app` is the program whose parse failed.
std::string ParseErrorMessage(const CLI::App& app, const CLI::Error& error);

}  // namespace stock::host
