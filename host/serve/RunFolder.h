#pragma once
// RunFolder: a private temporary folder (mode 0700) for one print's files, removed with
// everything in it when the object is destroyed.

#include <filesystem>

namespace stock::serve {

class RunFolder {
 public:
  // Creates "<temp>/stockreports-<pid>-XXXXXX". Raises Exception when it cannot.
  RunFolder();
  ~RunFolder();
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Removes the folders a server killed before it could remove them left in the temporary
  // folder: those named as above, owned by this user, whose process is gone. Returns how
  // many. Never raises.
  static int RemoveStale();

 private:
  std::filesystem::path path_;
};

}  // namespace stock::serve
