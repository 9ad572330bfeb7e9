// Number masks and date texts on arbitrary input: no crash and no undefined behaviour; the
// Try forms agree with the raising forms; what a conversion writes reads back as the value;
// the short and the general path of masks print alike, and so do RoundValor and a mask.
//
// Input: 8 bytes of a double, 8 bytes of a date value, then a mask or format, "\n", a text.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "datakit/Rounding.h"
#include "rtl/DateTime.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/FormatFloat.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

namespace {

double ReadDouble(const uint8_t* data) {
  double value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

// Removes the thousands separators FormatFloat puts in ("1.234,5" -> "1234,5").
std::string WithoutGrouping(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '.') out += c;
  return out;
}

void CheckNumbers(const std::string& mask, double value, const std::string& text) {
  const std::string formatted = FormatFloat(mask, value);
  // An empty quoted text at the end prints nothing, and sends a mask of digits, grouping and
  // one point through the general path instead of the short one.
  if (!mask.empty() && mask.find_first_of("\"';") == std::string::npos) {
    FUZZ_CHECK(FormatFloat(mask + "''", value) == formatted,
               "paths disagree: " + mask + " " + formatted);
  }
  // Rounding an amount and printing it to the same places decide alike, while the places lie
  // within the 15 digits both work on (beyond them RoundValor keeps the shortest digits).
  if (std::isfinite(value)) {
    for (int places = 0; places <= 4 && std::fabs(value) < std::pow(10.0, 14 - places); ++places) {
      const std::string printed =
          FormatFloat(places == 0 ? "0" : "0." + std::string(places, '0'), value);
      const double rounded = RoundValor(value, places);
      FUZZ_CHECK(StrToFloat(printed) == rounded || (rounded == 0 && StrToFloat(printed) == 0),
                 "RoundValor and FormatFloat disagree: " + printed);
    }
  }
  if (std::isfinite(value) && std::fabs(value) < 1e15) {
    const std::string fixed = FormatFloat("0.000000", value);
    const double back = StrToFloat(fixed);
    // Masks work on the value's 15 significant digits, as the run-time's formatting does.
    FUZZ_CHECK(std::fabs(back - value) <= 5.000001e-7 + 5e-15 * std::fabs(value), fixed);
    const std::string grouped = FormatFloat("#,##0.00", value);
    FUZZ_CHECK(std::fabs(StrToFloat(WithoutGrouping(grouped)) - value) <=
                   5.000001e-3 + 5e-15 * std::fabs(value),
               grouped);
    const std::string shortest = FloatToStr(value);
    FUZZ_CHECK(std::fabs(StrToFloat(shortest) - value) <= 1e-14 * std::fabs(value), shortest);
  }
  double f = 0;
  bool converted = true;
  try {
    f = StrToFloat(text);
  } catch (const EConvertError&) {
    converted = false;
  }
  double g = 0;
  FUZZ_CHECK(TryStrToFloat(text, g) == converted, "TryStrToFloat disagrees: " + text);
  FUZZ_CHECK(!converted || (g == f || (std::isnan(g) && std::isnan(f))),
             "TryStrToFloat value: " + text);
  int32_t i = 0;
  converted = true;
  try {
    i = StrToInt(text);
  } catch (const EConvertError&) {
    converted = false;
  }
  int32_t j = 0;
  FUZZ_CHECK(TryStrToInt(text, j) == converted && (!converted || i == j),
             "TryStrToInt disagrees: " + text);
  if (converted) FUZZ_CHECK(StrToInt(IntToStr(i)) == i, "integer does not read back: " + text);
}

void CheckDates(const std::string& format, TDateTime raw, const std::string& text) {
  // A text read as a date writes back as the same date.
  TDateTime d = 0;
  bool converted = true;
  try {
    d = StrToDate(text);
  } catch (const EConvertError&) {
    converted = false;
  }
  TDateTime e = 0;
  FUZZ_CHECK(TryStrToDate(text, e) == converted && (!converted || d == e),
             "TryStrToDate disagrees: " + text);
  if (converted) {
    FUZZ_CHECK(DateOf(d) == d, "StrToDate keeps a time of day: " + text);
    FUZZ_CHECK(StrToDate(DateToStr(d)) == d,
               "date does not read back: " + text + " -> " + DateToStr(d));
    (void)FormatDateTime(format, d);
  }
  converted = true;
  try {
    d = StrToDateTime(text);
  } catch (const EConvertError&) {
    converted = false;
  }
  FUZZ_CHECK(TryStrToDateTime(text, e) == converted && (!converted || d == e),
             "TryStrToDateTime disagrees: " + text);
  if (converted) (void)DateTimeToStr(d);

  // Any double as a date: outside the calendar an EConvertError, inside a text that reads back.
  try {
    (void)FormatDateTime(format, raw);
  } catch (const EConvertError&) {
  }
  std::string shown;
  try {
    shown = DateToStr(raw);
  } catch (const EConvertError&) {
    return;
  }
  FUZZ_CHECK(StrToDate(shown) == DateOf(raw), "date value does not read back: " + shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 16) return 0;
  const double number = ReadDouble(data);
  const TDateTime date = ReadDouble(data + 8);
  const std::string rest(reinterpret_cast<const char*>(data) + 16, size - 16);
  const size_t cut = rest.find('\n');
  const std::string mask = rest.substr(0, cut);
  const std::string text = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
  CheckNumbers(mask, number, text);
  CheckDates(mask, date, text);
  return 0;
}
