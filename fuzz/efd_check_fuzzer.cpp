// Files given to `stockreports efd --check`: whatever the bytes, the structure check returns
// (it never throws nor crashes), names every problem in valid UTF-8 text, and finds no problem
// in a file only when it read every line of it.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "efdkit/EfdCheck.h"

namespace {

bool ValidUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) continue;
    const size_t extra = (c & 0xE0) == 0xC0   ? 1
                         : (c & 0xF0) == 0xE0 ? 2
                         : (c & 0xF8) == 0xF0 ? 3
                                              : 0;
    if (extra == 0 || i + extra >= text.size()) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += extra;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const stock::efd::FileCheck check = stock::efd::CheckFile(bytes);
  for (const std::string& problem : check.problems) {
    FUZZ_CHECK(!problem.empty() && ValidUtf8(problem), problem);
  }
  if (check.problems.empty()) {
    FUZZ_CHECK(check.lines > 0 && bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n",
               "a file without problems must end its last line with CR LF");
  }
  return 0;
}
