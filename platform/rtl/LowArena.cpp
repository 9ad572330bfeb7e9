#include "rtl/LowArena.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

namespace {

// Each block starts with a header that remembers its mapping length; the object follows at a
// 16-byte aligned offset.
constexpr std::size_t kHeader = 16;

}  // namespace

void* LowArenaAllocate(std::size_t size) {
  const std::size_t length = size + kHeader;
  int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_32BIT
  flags |= MAP_32BIT;
  void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, flags, -1, 0);
#else
  // Without MAP_32BIT, probe hints in the low range.
  void* p = MAP_FAILED;
  for (uintptr_t hint = 0x10000000; hint < 0x7f000000 && p == MAP_FAILED; hint += 0x1000000) {
    void* q = mmap(reinterpret_cast<void*>(hint), length, PROT_READ | PROT_WRITE,
                   flags | MAP_FIXED_NOREPLACE, -1, 0);
    if (q != MAP_FAILED) p = q;
  }
#endif
  if (p == MAP_FAILED) throw std::bad_alloc();
  if (reinterpret_cast<uintptr_t>(p) + length > 0x7fffffffu) {
    munmap(p, length);
    throw std::bad_alloc();
  }
  *static_cast<std::size_t*>(p) = length;
  return static_cast<char*>(p) + kHeader;
}

void LowArenaFree(void* block) noexcept {
  if (block == nullptr) return;
  char* base = static_cast<char*>(block) - kHeader;
  munmap(base, *reinterpret_cast<std::size_t*>(base));
}
