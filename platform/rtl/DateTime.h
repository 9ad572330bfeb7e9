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

// The calendar date of `value` (its fraction ignored).
DateParts DecodeDate(TDateTime value);

// Hours, minutes, seconds and milliseconds of the fraction of `value`.
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);

// `value` truncated to the whole day.
TDateTime DateOf(TDateTime value);

// Day of week, 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// Number of days in the month.
int DaysInMonth(int year, int month);

// The local date and time of the machine (honours TZ).
TDateTime Now();
