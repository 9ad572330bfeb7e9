#pragma once
// Helpers of the output tests: a scratch folder and running the poppler/qpdf tools.

#include <string>
#include <vector>

namespace stock::testing {

// A fresh folder under the temporary directory, removed with its files on destruction.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Names of the files in the folder, sorted.
  std::vector<std::string> Files() const;

 private:
  std::string path_;
};

// True when `program` is on PATH.
bool HaveProgram(const std::string& program);

// Runs a shell command; returns its standard output and sets `status` to its exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);

std::string ReadFile(const std::string& path);

}  // namespace stock::testing
