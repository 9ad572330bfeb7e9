#pragma once
// The texts of an EFD file: ISO-8859-1 characters, fields between '|', numbers with a decimal
// comma and no thousands separator, dates ddmmaaaa.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stock::efd {

// `utf8` as ISO-8859-1 bytes, appended to `out`. Returns false (appending nothing) when the
// text holds a character ISO-8859-1 lacks, '|', a control character, or is not valid UTF-8.
bool AppendLatin1(std::string& out, std::string_view utf8);

// ISO-8859-1 bytes as UTF-8 (every byte is a character), for messages.
std::string Latin1ToUtf8(std::string_view latin1);

// `value` in units of 10^-decimals ("12,345" is 12345 at 3 places), or nothing when the value
// is negative, not finite, too large, or has more places than `decimals` (beyond a rounding
// error of the stored binary value).
std::optional<int64_t> Scaled(double value, int decimals);

// `scaled` units of 10^-decimals as the file writes them: "1234,50" for 123450 at 2 places.
void AppendDecimal(std::string& out, int64_t scaled, int decimals);

// Reads a number field ("1234,5") into units of 10^-decimals. Nothing when it is not one or
// has more places than `decimals`.
std::optional<int64_t> ParseDecimal(std::string_view text, int decimals);

// 'yyyy-mm-dd' as "ddmmaaaa".
std::string EfdDate(std::string_view iso);
// "ddmmaaaa" as 'yyyy-mm-dd' (no check).
std::string IsoFromEfdDate(std::string_view efd);
// "ddmmaaaa" as "dd/mm/aaaa".
std::string ShortFromEfdDate(std::string_view efd);

// Cents as "1.234,56" for messages.
std::string MoneyText(int64_t cents);

}  // namespace stock::efd
