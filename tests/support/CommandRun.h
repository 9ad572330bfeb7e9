#pragma once
// Running the stockreports command from a test: arguments as given (no shell), standard output
// and error captured together, optionally under a limit on the size of the files it writes.

#include <sys/types.h>

#include <string>
#include <vector>

namespace stock::test {

struct CommandResult {
  int status = -1;     // exit status; -1 when the program did not exit normally
  int signal = 0;      // the signal that ended it, 0 when it exited
  std::string output;  // stdout and stderr together
};

// Runs STOCKREPORTS_EXE with `args`, plug-ins and definitions found next to the program. With
// `file_size_limit` > 0 no file it writes may grow past that many bytes: SIGXFSZ is ignored,
// so a write past the limit fails with EFBIG, as on a full disk.
CommandResult RunStockreports(const std::vector<std::string>& args, long file_size_limit = 0);

// Runs STOCKREPORTS_EXE through the shell: `args` already quoted for it, `env` a list of
// assignments ("A=1 B=2") for the run. Plug-ins and definitions are found next to the program.
CommandResult RunStockreportsShell(const std::string& args, const std::string& env = "");

// Starts the command in the background, its output discarded; returns the process id.
pid_t StartStockreports(const std::vector<std::string>& args);

}  // namespace stock::test
