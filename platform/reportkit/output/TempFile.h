#pragma once
// TempFile: a file written under a temporary name next to its final path and published by
// renaming, so that nobody ever sees a half-written file under the final name.
//
//   TempFile out("/x/report.pdf");   // creates /x/report.pdf.tmp-XXXXXX
//   out.Write(...);                  // buffered
//   out.Commit();                    // flushes and renames to /x/report.pdf
//
// Destroying the object without Commit (or calling Discard) removes the temporary file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace stock {

class TempFile {
 public:
  // Creates the temporary file in the folder of `path`. Raises Exception ("Não foi possível
  // criar o arquivo '<path>': <motivo>") when the folder does not exist or is not writable.
  explicit TempFile(std::string path);
  ~TempFile();

  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Appends bytes. Raises Exception naming the path on a write error (disk full ...); the
  // temporary file is removed then.
  void Write(const void* data, size_t size);
  void Write(std::string_view text) { Write(text.data(), text.size()); }

  // Bytes written so far (the offset of the next byte).
  uint64_t Position() const { return position_; }

  // Flushes, closes, runs this thread's PublishGate and renames the file to its final path,
  // replacing an existing file.
  // Raises Exception on failure (the temporary file is removed). REQUIRES: not committed or
  // discarded.
  void Commit();

  // Removes the temporary file. Safe to call more than once and after Commit (does nothing).
  void Discard() noexcept;

  const std::string& FinalPath() const { return path_; }
  const std::string& TemporaryPath() const { return temp_path_; }
  bool IsOpen() const { return fd_ >= 0; }

 private:
  void Flush();
  [[noreturn]] void Fail(const char* what, int error);

  std::string path_;
  std::string temp_path_;
  int fd_ = -1;
  uint64_t position_ = 0;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
};

// The reason for an errno value, in Portuguese for the common file errors.
std::string FileErrorText(int error);

}  // namespace stock
