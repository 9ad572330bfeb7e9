#include "rtl/StringUtils.h"

#include <utf8proc.h>

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Maps every code point of `text` through `map`. Invalid UTF-8 leaves the whole text unchanged:
// a byte sequence that is not text is better printed as it came than half converted.
std::string MapCase(std::string_view text, utf8proc_int32_t (*map)(utf8proc_int32_t)) {
  std::string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
  utf8proc_ssize_t left = static_cast<utf8proc_ssize_t>(text.size());
  while (left > 0) {
    utf8proc_int32_t cp;
    const utf8proc_ssize_t n = utf8proc_iterate(p, left, &cp);
    if (n <= 0) return std::string(text);
    utf8proc_uint8_t buf[4];
    const utf8proc_ssize_t m = utf8proc_encode_char(map(cp), buf);
    out.append(reinterpret_cast<const char*>(buf), static_cast<size_t>(m));
    p += n;
    left -= n;
  }
  return out;
}

}  // namespace

std::string Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return std::string(text);
}

std::string TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string AnsiUpperCase(std::string_view text) {
  if (IsAscii(text)) {
    std::string out(text);
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return out;
  }
  return MapCase(text, utf8proc_toupper);
}

std::string AnsiLowerCase(std::string_view text) {
  if (IsAscii(text)) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
  }
  return MapCase(text, utf8proc_tolower);
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b)) return SameText(a, b);
  return AnsiLowerCase(a) == AnsiLowerCase(b);
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string QuotedStr(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '\'';
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  size_t start = 0;
  for (size_t hit; (hit = text.find(from, start)) != std::string_view::npos;
       start = hit + from.size()) {
    out.append(text.substr(start, hit - start));
    out.append(to);
  }
  out.append(text.substr(start));
  return out;
}

size_t Utf8Length(std::string_view text) {
  size_t n = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}
