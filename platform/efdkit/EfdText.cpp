#include "efdkit/EfdText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace stock::efd {

namespace {

constexpr int64_t kPowers[] = {1,      10,      100,      1000,      10000,
                               100000, 1000000, 10000000, 100000000, 1000000000};

}  // namespace

bool AppendLatin1(std::string& out, std::string_view utf8) {
  const size_t start = out.size();
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c < 0x7F && c != '|') {
      out.push_back(static_cast<char>(c));
      continue;
    }
    // Two-byte sequences C2 A0..C3 BF are U+00A0..U+00FF, the printable upper half of
    // ISO-8859-1 (C2 80..C2 9F are control characters).
    if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      const auto next = static_cast<unsigned char>(utf8[i + 1]);
      const unsigned code = ((c & 0x1Fu) << 6) | (next & 0x3Fu);
      if ((next & 0xC0) == 0x80 && code >= 0xA0) {
        out.push_back(static_cast<char>(code));
        ++i;
        continue;
      }
    }
    out.resize(start);
    return false;
  }
  return true;
}

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char ch : latin1) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::optional<int64_t> Scaled(double value, int decimals) {
  if (!std::isfinite(value) || value < 0 || decimals < 0 || decimals > 9) return std::nullopt;
  const double scaled = value * static_cast<double>(kPowers[decimals]);
  if (scaled >= 9e15) return std::nullopt;
  const double rounded = std::round(scaled);
  // Stored amounts are decimals held in binary: 0.1 * 1000 is 100.00000000000001. Anything
  // further from a whole number than that error has places the field cannot carry.
  if (std::fabs(scaled - rounded) > 1e-6 * std::max(1.0, std::fabs(scaled)) + 1e-7)
    return std::nullopt;
  return static_cast<int64_t>(rounded);
}

void AppendDecimal(std::string& out, int64_t scaled, int decimals) {
  char digits[24];
  int n = 0;
  uint64_t v = scaled < 0 ? static_cast<uint64_t>(-scaled) : static_cast<uint64_t>(scaled);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0 || n <= decimals);
  if (scaled < 0) out.push_back('-');
  for (int i = n - 1; i >= decimals; --i) out.push_back(digits[i]);
  if (decimals > 0) {
    out.push_back(',');
    for (int i = decimals - 1; i >= 0; --i) out.push_back(digits[i]);
  }
}

std::optional<int64_t> ParseDecimal(std::string_view text, int decimals) {
  if (text.empty() || decimals < 0 || decimals > 9) return std::nullopt;
  int64_t whole = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] != ','; ++i) {
    if (text[i] < '0' || text[i] > '9' || whole > 900000000000000LL / kPowers[decimals])
      return std::nullopt;
    whole = whole * 10 + (text[i] - '0');
  }
  if (i == 0) return std::nullopt;
  int64_t fraction = 0;
  int places = 0;
  if (i < text.size()) {
    for (++i; i < text.size(); ++i, ++places) {
      if (text[i] < '0' || text[i] > '9' || places >= decimals) return std::nullopt;
      fraction = fraction * 10 + (text[i] - '0');
    }
    if (places == 0) return std::nullopt;
  }
  return whole * kPowers[decimals] + fraction * kPowers[decimals - places];
}

std::string EfdDate(std::string_view iso) {
  if (iso.size() < 10) return std::string(iso);
  std::string out;
  out.append(iso.substr(8, 2)).append(iso.substr(5, 2)).append(iso.substr(0, 4));
  return out;
}

std::string IsoFromEfdDate(std::string_view efd) {
  if (efd.size() != 8) return std::string(efd);
  return std::string(efd.substr(4, 4)) + "-" + std::string(efd.substr(2, 2)) + "-" +
         std::string(efd.substr(0, 2));
}

std::string ShortFromEfdDate(std::string_view efd) {
  if (efd.size() != 8) return std::string(efd);
  return std::string(efd.substr(0, 2)) + "/" + std::string(efd.substr(2, 2)) + "/" +
         std::string(efd.substr(4, 4));
}

std::string MoneyText(int64_t cents) {
  const bool negative = cents < 0;
  uint64_t v = negative ? static_cast<uint64_t>(-cents) : static_cast<uint64_t>(cents);
  std::string whole = std::to_string(v / 100);
  std::string grouped;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped.push_back('.');
    grouped.push_back(whole[i]);
  }
  char fraction[4];
  std::snprintf(fraction, sizeof fraction, "%02u", static_cast<unsigned>(v % 100));
  return (negative ? "-" : "") + grouped + "," + fraction;
}

}  // namespace stock::efd
