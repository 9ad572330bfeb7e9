#pragma once
// The locale settings used by every formatting and conversion routine: Brazilian Portuguese.

#include <array>
#include <string>

struct TFormatSettings {
  char DecimalSeparator = ',';
  char ThousandSeparator = '.';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "dd/mm/yyyy";
  std::string LongTimeFormat = "hh:nn:ss";
  std::array<std::string, 12> LongMonthNames;   // "janeiro" ... "dezembro"
  std::array<std::string, 12> ShortMonthNames;  // "jan" ... "dez"
  std::array<std::string, 7> LongDayNames;      // "domingo" ... "sábado"
  std::array<std::string, 7> ShortDayNames;     // "dom" ... "sáb"
};

// The process-wide pt-BR settings. Never changes after start-up.
const TFormatSettings& FormatSettings();
