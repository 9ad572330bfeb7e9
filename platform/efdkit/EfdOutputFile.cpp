#include "efdkit/EfdOutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "rtl/Exception.h"

namespace stock::efd {

namespace {
constexpr size_t kBufferSize = 1 << 20;
}

EfdOutputFile::EfdOutputFile(std::string path) : path_(std::move(path)) {
  std::vector<char> name(path_.begin(), path_.end());
  const char suffix[] = ".tmp-XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof suffix);
  fd_ = mkstemp(name.data());
  if (fd_ < 0) Fail("criar", errno);
  temp_ = name.data();
  fchmod(fd_, 0644);
  buffer_.reserve(kBufferSize);
}

EfdOutputFile::~EfdOutputFile() {
  if (fd_ >= 0) close(fd_);
  if (!temp_.empty()) unlink(temp_.c_str());
}

void EfdOutputFile::Write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= kBufferSize) Flush();
}

void EfdOutputFile::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("gravar", errno);
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
}

void EfdOutputFile::Commit() {
  Flush();
  if (fsync(fd_) != 0 && errno != EINVAL) Fail("gravar", errno);
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) Fail("gravar", errno);
  if (rename(temp_.c_str(), path_.c_str()) != 0) Fail("gravar", errno);
  temp_.clear();
}

void EfdOutputFile::Fail(const char* what, int error) {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
  const char* reason = error == ENOSPC || error == EFBIG ? "não há espaço no disco"
                       : error == EACCES                 ? "permissão negada"
                       : error == ENOENT                 ? "a pasta não existe"
                                                         : std::strerror(error);
  throw Exception(std::string("Não foi possível ") + what + " o arquivo '" + path_ +
                  "': " + reason);
}

}  // namespace stock::efd
