#include "reportkit/output/TempFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "reportkit/output/PublishGate.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

constexpr size_t kBufferSize = 1 << 16;

// The process's umask, read without changing it (umask() would race with other threads).
mode_t CurrentUmask() {
  static const mode_t mask = [] {
    mode_t result = 022;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
      char line[256];
      while (std::fgets(line, sizeof line, f)) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
          result = static_cast<mode_t>(value);
          break;
        }
      }
      std::fclose(f);
    }
    return result;
  }();
  return mask;
}

}  // namespace

std::string FileErrorText(int error) {
  switch (error) {
    case ENOENT: return "a pasta não existe";
    case ENOTDIR: return "o caminho não é uma pasta";
    case EACCES:
    case EPERM: return "permissão negada";
    case ENOSPC: return "sem espaço no disco";
    case EDQUOT: return "cota de disco excedida";
    case EFBIG: return "o arquivo passou do tamanho máximo permitido";
    case EROFS: return "sistema de arquivos somente leitura";
    case EISDIR: return "o caminho é uma pasta";
    case ENAMETOOLONG: return "nome de arquivo longo demais";
    case EIO: return "erro de entrada e saída";
    default: return std::strerror(error);
  }
}

TempFile::TempFile(std::string path) : path_(std::move(path)) {
  if (path_.empty() || path_.back() == '/') {
    throw Exception("Não foi possível criar o arquivo '" + path_ + "': nome de arquivo vazio");
  }
  std::string pattern = path_ + ".tmp-XXXXXX";
  fd_ = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) {
    throw Exception("Não foi possível criar o arquivo '" + path_ + "': " + FileErrorText(errno));
  }
  temp_path_ = pattern;
  // mkstemp creates the file readable by its owner only; the report gets the usual mode.
  fchmod(fd_, 0666 & ~CurrentUmask());
  buffer_ = std::make_unique<char[]>(kBufferSize);
}

TempFile::~TempFile() { Discard(); }

void TempFile::Fail(const char* what, int error) {
  const std::string message = std::string("Não foi possível ") + what + " o arquivo '" + path_ +
                              "': " + FileErrorText(error);
  Discard();
  throw Exception(message);
}

void TempFile::Flush() {
  const char* p = buffer_.get();
  size_t left = used_;
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("gravar", errno);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  used_ = 0;
}

void TempFile::Write(const void* data, size_t size) {
  if (fd_ < 0) throw Exception("O arquivo '" + path_ + "' já foi fechado.");
  if (size == 0) return;  // an empty piece may come with no buffer at all
  position_ += size;
  if (used_ + size <= kBufferSize) {
    std::memcpy(buffer_.get() + used_, data, size);
    used_ += size;
    return;
  }
  Flush();
  if (size >= kBufferSize) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = ::write(fd_, p, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail("gravar", errno);
      }
      p += n;
      size -= static_cast<size_t>(n);
    }
    return;
  }
  std::memcpy(buffer_.get(), data, size);
  used_ = size;
}

void TempFile::Commit() {
  if (fd_ < 0) throw Exception("O arquivo '" + path_ + "' já foi fechado.");
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    const int error = errno;
    Fail("gravar", error);
  }
  // A folder under the final name would refuse the rename after the gate committed what goes
  // with the file: refuse it before.
  struct stat existente;
  if (::stat(path_.c_str(), &existente) == 0 && S_ISDIR(existente.st_mode)) Fail("criar", EISDIR);
  try {
    PublishGate::Run();
  } catch (...) {
    Discard();
    throw;
  }
  if (std::rename(temp_path_.c_str(), path_.c_str()) != 0) {
    const int error = errno;
    Fail("criar", error);
  }
  temp_path_.clear();
}

void TempFile::Discard() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_path_.empty()) {
    ::unlink(temp_path_.c_str());
    temp_path_.clear();
  }
  used_ = 0;
}

}  // namespace stock
