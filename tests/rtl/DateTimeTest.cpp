#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "rtl/DateTime.h"
#include "rtl/Exception.h"

namespace {

// A calendar that only knows how to step one day, to check the arithmetic against.
struct Walker {
  int y, m, d;
  static bool Leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
  int Length() const {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && Leap(y) ? 29 : kDays[m - 1];
  }
  void Next() {
    if (++d > Length()) {
      d = 1;
      if (++m > 12) m = 1, ++y;
    }
  }
  void Previous() {
    if (--d < 1) {
      if (--m < 1) m = 12, --y;
      d = Length();
    }
  }
};

TEST(DateTime, FixedDays) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  EXPECT_EQ(DayOfWeek(0), 7);                       // Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 1, 5)), 2);  // Monday
}

// Day numbers, DecodeDate and DayOfWeek against a day-by-day walk from 30/12/1899 in both
// directions (1/1/1600 to 31/12/2199), crossing every kind of leap-year rule.
TEST(DateTime, EncodeDecodeAgreeWithCalendarWalk) {
  for (int direction : {1, -1}) {
    Walker w{1899, 12, 30};
    int weekday = 6;  // 0 = Sunday
    for (int day = 0; w.y >= 1600 && w.y < 2200; day += direction) {
      TDateTime v;
      ASSERT_TRUE(TryEncodeDate(w.y, w.m, w.d, v)) << w.d << "/" << w.m << "/" << w.y;
      ASSERT_EQ(v, day);
      const DateParts p = DecodeDate(day + 0.75);
      ASSERT_EQ(p.year * 10000 + p.month * 100 + p.day, w.y * 10000 + w.m * 100 + w.d) << day;
      ASSERT_EQ(DayOfWeek(day + 0.5), weekday + 1) << day;
      if (direction > 0) {
        w.Next();
        weekday = (weekday + 1) % 7;
      } else {
        w.Previous();
        weekday = (weekday + 6) % 7;
      }
    }
  }
}

TEST(DateTime, InvalidDates) {
  const int invalid[][3] = {{2026, 2, 29}, {1900, 2, 29}, {2026, 4, 31}, {2026, 0, 1},
                            {2026, 13, 1}, {2026, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
  for (const auto& d : invalid) {
    TDateTime v = 123;
    EXPECT_FALSE(TryEncodeDate(d[0], d[1], d[2], v)) << d[2] << "/" << d[1] << "/" << d[0];
    EXPECT_EQ(v, 123);
    EXPECT_THROW(EncodeDate(d[0], d[1], d[2]), EConvertError);
  }
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
}

TEST(DateTime, TimeOfDay) {
  int h, m, s, ms;
  DecodeTime(EncodeDate(2026, 1, 5) + EncodeTime(23, 59, 59, 999), h, m, s, ms);
  EXPECT_EQ((std::array{h, m, s, ms}), (std::array{23, 59, 59, 999}));
  // Before 1899 the time still adds to the day: 29/12/1899 06:00 is -1 + 0.25.
  const TDateTime before = EncodeDate(1899, 12, 29) + EncodeTime(6, 0, 0);
  DecodeTime(before, h, m, s, ms);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(DecodeDate(before).day, 29);
}

// A value a hair below midnight is midnight of the next day for every decoder alike.
TEST(DateTime, FloatNoiseBeforeMidnightBelongsToTheNextDay) {
  const TDateTime v = EncodeDate(2026, 1, 6) - 1e-10;
  int h, m, s, ms;
  DecodeTime(v, h, m, s, ms);
  EXPECT_EQ(DecodeDate(v).day, 6);
  EXPECT_EQ(h + m + s + ms, 0);
  EXPECT_EQ(DateOf(v), EncodeDate(2026, 1, 6));
}

TEST(DateTime, ValuesOutsideTheCalendarRaise) {
  for (double bad : {std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity(), 1e300, -1e7, 2958466.0,
                     // rounds to the millisecond into 1/1/10000
                     2958466.0 - 1e-9}) {
    EXPECT_THROW(DecodeDate(bad), EConvertError) << bad;
  }
}

TEST(DateTime, IncMonthClampsTheDay) {
  struct Case {
    int y, m, d, months, ey, em, ed;
  } cases[] = {
      {2026, 1, 31, 1, 2026, 2, 28},    {2024, 1, 31, 1, 2024, 2, 29},
      {2026, 11, 15, 3, 2027, 2, 15},   {2026, 3, 15, -3, 2025, 12, 15},
      {2026, 1, 31, 3, 2026, 4, 30},    {2024, 2, 29, 12, 2025, 2, 28},
      {2026, 5, 10, -17, 2024, 12, 10},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IncMonth(EncodeDate(c.y, c.m, c.d), c.months), EncodeDate(c.ey, c.em, c.ed))
        << c.d << "/" << c.m << "/" << c.y << " + " << c.months;
  }
  const TDateTime noon = EncodeDate(2026, 1, 5) + 0.5;
  EXPECT_EQ(IncMonth(noon, 1), EncodeDate(2026, 2, 5) + 0.5);
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
  EXPECT_EQ(EndOfTheMonth(EncodeDate(2024, 2, 10) + 0.3), EncodeDate(2024, 2, 29));
}

}  // namespace
