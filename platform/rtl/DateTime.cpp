#include "rtl/DateTime.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "rtl/Assert.h"
#include "rtl/Exception.h"

namespace {

// 30/12/1899 counted as a day number where 1/1/1 is day 1 (proleptic Gregorian).
constexpr int64_t kDelphiEpoch = 693594;
constexpr int64_t kMsPerDay = 86400000;
// Day numbers of 1/1/1 and of the day after 31/12/9999.
constexpr double kFirstDay = -693593.0;
constexpr double kEndDay = 2958466.0;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

[[noreturn]] void OutOfRange(TDateTime value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  throw EConvertError(std::string("'") + text + "' não é um valor de data e hora válido");
}

// Splits `value` into its day number and the milliseconds of that day, rounding the whole value
// to the millisecond first so that date and time of day always agree.
void Split(TDateTime value, int64_t& day, int64_t& ms) {
  if (!(value >= kFirstDay && value < kEndDay)) OutOfRange(value);
  const int64_t total = static_cast<int64_t>(std::llround(value * static_cast<double>(kMsPerDay)));
  day = total >= 0 ? total / kMsPerDay : -((-total + kMsPerDay - 1) / kMsPerDay);
  ms = total - day * kMsPerDay;
  // The last millisecond of 31/12/9999 rounds into a day the calendar does not have.
  if (day >= static_cast<int64_t>(kEndDay)) OutOfRange(value);
}

}  // namespace

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (!IsValidDate(year, month, day)) return false;
  const int64_t y = year - 1;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  days += day;
  result = static_cast<TDateTime>(days - kDelphiEpoch);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) {
    throw EConvertError("Data inválida: " + std::to_string(day) + "/" + std::to_string(month) +
                        "/" + std::to_string(year));
  }
  return r;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  STOCK_ASSERT(hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60,
               "EncodeTime fora de um horário do dia");
  return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
}

DateParts DecodeDate(TDateTime value) {
  int64_t day, ms;
  Split(value, day, ms);
  // Civil-from-days (H. Hinnant), shifted from the 1899 epoch to 1970.
  int64_t z = day - 25569;  // days since 1/1/1970
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2);
  return DateParts{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
  int64_t day, ms;
  Split(value, day, ms);
  hour = static_cast<int>(ms / 3600000);
  minute = static_cast<int>(ms / 60000 % 60);
  second = static_cast<int>(ms / 1000 % 60);
  millisecond = static_cast<int>(ms % 1000);
}

TDateTime DateOf(TDateTime value) {
  int64_t day, ms;
  Split(value, day, ms);
  return static_cast<TDateTime>(day);
}

TDateTime IncMonth(TDateTime value, int months) {
  const DateParts p = DecodeDate(value);
  const TDateTime time = value - DateOf(value);
  const int64_t index = static_cast<int64_t>(p.year) * 12 + (p.month - 1) + months;
  const int64_t year = index >= 0 ? index / 12 : -1;
  if (year < 1 || year > 9999) OutOfRange(value);
  const int month = static_cast<int>(index % 12) + 1;
  const int last = DaysInMonth(static_cast<int>(year), month);
  return EncodeDate(static_cast<int>(year), month, p.day < last ? p.day : last) + time;
}

TDateTime EndOfTheMonth(TDateTime value) {
  const DateParts p = DecodeDate(value);
  return EncodeDate(p.year, p.month, DaysInMonth(p.year, p.month));
}

int DayOfWeek(TDateTime value) {
  // 30/12/1899 was a Saturday.
  const int64_t d = static_cast<int64_t>(DateOf(value));
  const int64_t r = ((d % 7) + 7 + 6) % 7;  // 0 = Sunday
  return static_cast<int>(r) + 1;
}

TDateTime Now() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
         EncodeTime(local.tm_hour, local.tm_min, local.tm_sec);
}
