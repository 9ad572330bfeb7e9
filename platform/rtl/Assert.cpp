#include "rtl/Assert.h"

#include <cstdio>
#include <cstdlib>

namespace stock {

void AssertionFailed(const char* condition, std::string_view what, const char* file,
                     int line) noexcept {
  std::fprintf(stderr, "%s:%d: contrato violado: %s\n  %.*s\n", file, line, condition,
               static_cast<int>(what.size()), what.data());
  std::fflush(stderr);
  std::abort();
}

}  // namespace stock
