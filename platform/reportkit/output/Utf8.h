#pragma once
// Small UTF-8 helpers shared by the output backends.

#include <cstddef>
#include <string>
#include <string_view>

#include "rtl/Assert.h"

namespace stock {

// Decodes the code point that starts at text[i] and advances i past it. A malformed or
// truncated sequence yields '?' and advances one byte, so bad input never stops a document.
// REQUIRES: i < text.size().
inline char32_t NextCodePoint(std::string_view text, size_t& i) {
  STOCK_ASSERT(i < text.size(), "NextCodePoint além do fim do texto");
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int extra;
  char32_t cp;
  if ((c & 0xE0) == 0xC0) {
    extra = 1;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    cp = c & 0x07;
  } else {
    ++i;
    return U'?';
  }
  if (i + extra >= text.size()) {
    ++i;
    return U'?';
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char cc = static_cast<unsigned char>(text[i + k]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return U'?';
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return U'?';
  }
  i += extra + 1;
  return cp;
}

// Appends the UTF-8 form of `cp` to `out`.
inline void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace stock
