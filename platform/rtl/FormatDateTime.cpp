#include "rtl/FormatDateTime.h"

#include <cctype>

#include "rtl/FormatSettings.h"

namespace {

// The pt-BR long date, used by "dddddd".
constexpr std::string_view kLongDateFormat = "dddd, d \"de\" mmmm \"de\" yyyy";

struct Parts {
  DateParts date;
  int hour, minute, second, ms;
  int week_day;  // 0 = Sunday
};

void AppendNumber(std::string& out, int value, int width) {
  char buf[12];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  for (int i = n; i < width; ++i) out += '0';
  while (n > 0) out += buf[--n];
}

void Append(std::string& out, std::string_view format, const Parts& p, int depth) {
  const TFormatSettings& fs = FormatSettings();
  if (depth > 2) return;  // the locale formats never nest deeper
  bool after_hour = false;
  for (size_t i = 0; i < format.size();) {
    const char raw = format[i];
    if (raw == '"' || raw == '\'') {
      size_t close = format.find(raw, i + 1);
      if (close == std::string_view::npos) close = format.size();
      out.append(format.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(raw)));
    size_t count = 1;
    if (std::isalpha(static_cast<unsigned char>(raw))) {
      while (i + count < format.size() &&
             std::tolower(static_cast<unsigned char>(format[i + count])) == c) {
        ++count;
      }
    }
    bool is_code = true;
    switch (c) {
      case 'd':
        if (count <= 2)
          AppendNumber(out, p.date.day, static_cast<int>(count));
        else if (count == 3)
          out += fs.ShortDayNames[p.week_day];
        else if (count == 4)
          out += fs.LongDayNames[p.week_day];
        else if (count == 5)
          Append(out, fs.ShortDateFormat, p, depth + 1);
        else
          Append(out, kLongDateFormat, p, depth + 1);
        break;
      case 'm':
        if (after_hour && count <= 2)
          AppendNumber(out, p.minute, static_cast<int>(count));
        else if (count <= 2)
          AppendNumber(out, p.date.month, static_cast<int>(count));
        else if (count == 3)
          out += fs.ShortMonthNames[p.date.month - 1];
        else
          out += fs.LongMonthNames[p.date.month - 1];
        break;
      case 'y':
        if (count <= 2)
          AppendNumber(out, p.date.year % 100, 2);
        else
          AppendNumber(out, p.date.year, 4);
        break;
      case 'h': AppendNumber(out, p.hour, count >= 2 ? 2 : 1); break;
      case 'n': AppendNumber(out, p.minute, count >= 2 ? 2 : 1); break;
      case 's': AppendNumber(out, p.second, count >= 2 ? 2 : 1); break;
      case 'z': AppendNumber(out, p.ms, count >= 3 ? 3 : 1); break;
      case 'c':
        Append(out, fs.ShortDateFormat, p, depth + 1);
        if (p.hour || p.minute || p.second || p.ms) {
          out += ' ';
          Append(out, fs.LongTimeFormat, p, depth + 1);
        }
        break;
      case 't':
        Append(out, count >= 2 ? std::string_view(fs.LongTimeFormat) : "hh:nn", p, depth + 1);
        break;
      default:
        is_code = false;
        if (raw == '/')
          out += fs.DateSeparator;
        else if (raw == ':')
          out += fs.TimeSeparator;
        else
          out.append(format.substr(i, count));
    }
    if (is_code) after_hour = c == 'h';
    i += count;
  }
}

Parts Decode(TDateTime value) {
  Parts p;
  p.date = DecodeDate(value);
  DecodeTime(value, p.hour, p.minute, p.second, p.ms);
  p.week_day = DayOfWeek(value) - 1;
  return p;
}

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime value) {
  const Parts p = Decode(value);
  std::string out;
  Append(out, format.empty() ? std::string_view("c") : format, p, 0);
  return out;
}

std::string DateToStr(TDateTime value) {
  return FormatDateTime(FormatSettings().ShortDateFormat, value);
}

std::string DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }
