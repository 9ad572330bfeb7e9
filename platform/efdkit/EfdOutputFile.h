#pragma once
// EfdOutputFile: the file being written under a temporary name beside its final path, renamed
// to it only when complete, so a failed export never leaves a file (nor half of one) under the
// requested name.

#include <cstdio>
#include <string>
#include <string_view>

#include "efdkit/RecordWriter.h"

namespace stock::efd {

class EfdOutputFile : public RecordSink {
 public:
  // Creates "<path>.tmp-XXXXXX". Raises Exception naming the path when it cannot.
  explicit EfdOutputFile(std::string path);
  // Removes the temporary file unless committed.
  ~EfdOutputFile() override;
  EfdOutputFile(const EfdOutputFile&) = delete;
  EfdOutputFile& operator=(const EfdOutputFile&) = delete;

  // Appends bytes (buffered). Raises Exception naming the path on a write error.
  void Write(std::string_view bytes) override;
  // Flushes, closes and renames to the final path. Raises Exception on failure.
  void Commit();

 private:
  void Flush();
  [[noreturn]] void Fail(const char* what, int error);

  std::string path_, temp_;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace stock::efd
