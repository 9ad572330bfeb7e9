#include "host/serve/RunFolder.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "reportkit/output/TempFile.h"
#include "rtl/Exception.h"

namespace stock::serve {

namespace {

const char* const kPrefix = "stockreports-";

std::filesystem::path TempBase() {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  return ec ? std::filesystem::path("/tmp") : base;
}

// The process id in "stockreports-<pid>-XXXXXX", or 0 for another name.
pid_t OwnerPid(const std::string& name) {
  if (name.rfind(kPrefix, 0) != 0) return 0;
  const std::string rest = name.substr(std::string(kPrefix).size());
  const size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string::npos || dash > 9 || rest.size() - dash - 1 != 6) return 0;
  for (size_t i = 0; i < dash; ++i) {
    if (rest[i] < '0' || rest[i] > '9') return 0;
  }
  return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

}  // namespace

int RunFolder::RemoveStale() {
  int removed = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(TempBase(), ec)) {
    const pid_t pid = OwnerPid(entry.path().filename().string());
    if (pid <= 0) continue;
    struct stat info {};
    if (lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != geteuid())
      continue;
    if (kill(pid, 0) == 0 || errno != ESRCH) continue;  // its server still runs
    std::error_code remove_error;
    if (std::filesystem::remove_all(entry.path(), remove_error) > 0 && !remove_error) ++removed;
  }
  return removed;
}

RunFolder::RunFolder() {
  const std::filesystem::path base = TempBase();
  std::string pattern = (base / (kPrefix + std::to_string(getpid()) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {  // mkdtemp creates it with mode 0700
    throw Exception("Não foi possível criar a pasta temporária da impressão em '" + base.string() +
                    "': " + FileErrorText(errno));
  }
  path_ = pattern;
}

RunFolder::~RunFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace stock::serve
