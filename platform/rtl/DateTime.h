#pragma once
// TDateTime: days since 30/12/1899 (day 0) with the time of day as the fraction, so adding 1
// moves one day and truncating gives the date alone. Dates are proleptic Gregorian.

#include <cstdint>

using TDateTime = double;

struct DateParts {
  int year = 1899;
  int month = 12;
  int day = 30;
};

// True when year/month/day is a real calendar date between 1/1/1 and 31/12/9999.
bool IsValidDate(int year, int month, int day);

// Sets `result` to the date and returns true; returns false for an invalid date.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);

// The date; raises EConvertError for an invalid date.
TDateTime EncodeDate(int year, int month, int day);

// Time of day as a fraction of a day. REQUIRES: 0 <= h < 24, 0 <= m, s < 60.
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);

// The calendar date of `value`. The value is first rounded to the millisecond, so a value a
// hair below midnight (float noise) belongs to the next day, consistently with DecodeTime.
// Raises EConvertError when `value` is not finite or lies outside 1/1/1 .. 31/12/9999.
DateParts DecodeDate(TDateTime value);

// Hours, minutes, seconds and milliseconds of the time of day of `value` (rounded to the
// millisecond, as DecodeDate). Raises EConvertError as DecodeDate.
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);

// The whole day of `value` (the day DecodeDate reports), without its time of day.
TDateTime DateOf(TDateTime value);

// `value` moved by `months` calendar months, keeping its time of day; a day that does not exist
// in the target month becomes that month's last day (31/01 + 1 month -> 28/02 or 29/02).
// Raises EConvertError when the result leaves 1/1/1 .. 31/12/9999.
TDateTime IncMonth(TDateTime value, int months);

// The last day of the month of `value`, without time of day.
TDateTime EndOfTheMonth(TDateTime value);

// Day of week, 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// Number of days in the month.
int DaysInMonth(int year, int month);

// The local date and time of the machine (honours TZ).
TDateTime Now();
