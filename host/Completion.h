#pragma once
// Completion of the command line for the shell: commands, options, report names, each report's
// parameter names and its --definition values, from the program's own command-line definition
// and its definition folder. packaging/stockreports.bash asks for it on every Tab.

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace stock::host {

// What a file or folder argument completes to: the shell lists the file system itself.
inline constexpr const char* kCompleteFiles = "@arquivos";
inline constexpr const char* kCompleteFolders = "@pastas";

// Writes one candidate per line for the word `current` of `words` (the command line as the shell
// split it, words[0] the program; `current` may be words.size() for a word not begun). Writes
// kCompleteFiles or kCompleteFolders alone when the word is a file or a folder. Candidates are
// not filtered by the word's beginning: the shell does that.
void WriteCompletions(const CLI::App& app, const std::vector<std::string>& words, size_t current,
                      std::ostream& out);

}  // namespace stock::host
