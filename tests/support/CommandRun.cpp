#include "support/CommandRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace stock::test {

namespace {

// In the child: the environment and limits of the run, then exec. Never returns.
[[noreturn]] void Exec(const std::vector<std::string>& args, long file_size_limit, int out_fd) {
  unsetenv("STOCK_PLUGIN_DIR");
  unsetenv("STOCK_DEFINITION_DIR");
  if (file_size_limit > 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{static_cast<rlim_t>(file_size_limit), static_cast<rlim_t>(file_size_limit)};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  dup2(out_fd, STDOUT_FILENO);
  dup2(out_fd, STDERR_FILENO);
  const int null_in = open("/dev/null", O_RDONLY);
  dup2(null_in, STDIN_FILENO);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(STOCKREPORTS_EXE));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(STOCKREPORTS_EXE, argv.data());
  _exit(127);
}

void Decode(int status, CommandResult& result) {
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
}

}  // namespace

CommandResult RunStockreports(const std::vector<std::string>& args, long file_size_limit) {
  int fds[2];
  CommandResult result;
  if (pipe(fds) != 0) return result;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    Exec(args, file_size_limit, fds[1]);
  }
  close(fds[1]);
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
    result.output.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  Decode(status, result);
  return result;
}

CommandResult RunStockreportsShell(const std::string& args, const std::string& env) {
  const std::string command = "env -u STOCK_PLUGIN_DIR -u STOCK_DEFINITION_DIR " + env + " " +
                              std::string(STOCKREPORTS_EXE) + " " + args + " 2>&1";
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  Decode(pclose(pipe), result);
  return result;
}

pid_t StartStockreports(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null_out = open("/dev/null", O_WRONLY);
    Exec(args, 0, null_out);
  }
  return pid;
}

}  // namespace stock::test
