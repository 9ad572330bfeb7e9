#include <gtest/gtest.h>

#include <limits>

#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"

namespace {

struct Case {
  const char* format;
  const char* expected;
};

TEST(FormatDateTime, Codes) {
  // Monday 5 January 2026, 14:05:09.007
  const TDateTime v = EncodeDate(2026, 1, 5) + EncodeTime(14, 5, 9, 7);
  const Case cases[] = {
      {" d \"de\" mmmm \"de\" yyyy", " 5 de janeiro de 2026"},
      {"mm/yyyy", "01/2026"},
      {"dd/mm/yyyy", "05/01/2026"},
      {"DD/MM/YYYY", "05/01/2026"},
      {"d/m/yy", "5/1/26"},
      {"yyyy-mm-dd", "2026-01-05"},
      {"ddd dddd", "seg segunda-feira"},
      {"mmm", "jan"},
      {"ddddd", "05/01/2026"},
      {"dddddd", "segunda-feira, 5 de janeiro de 2026"},
      {"hh:mm:ss", "14:05:09"},
      {"hh:nn:ss.zzz", "14:05:09.007"},
      {"h:n:s z", "14:5:9 7"},
      {"hh\"h\"mm", "14h05"},
      {"hh mm/yyyy", "14 05/2026"},
      {"'dia' d", "dia 5"},
      {"c", "05/01/2026 14:05:09"},
      {"t tt", "14:05 14:05:09"},
      {"", "05/01/2026 14:05:09"},
      {"[x] ç", "[x] ç"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, v), c.expected) << c.format;
}

TEST(FormatDateTime, MonthAndDayNames) {
  EXPECT_EQ(FormatDateTime("mmmm", EncodeDate(2026, 3, 1)), "março");
  EXPECT_EQ(FormatDateTime("mmmm", EncodeDate(2026, 12, 1)), "dezembro");
  EXPECT_EQ(FormatDateTime("dddd ddd", EncodeDate(2026, 1, 3)), "sábado sáb");
  EXPECT_EQ(FormatDateTime("dddd", EncodeDate(2026, 1, 4)), "domingo");
}

TEST(FormatDateTime, DateToStrAndDateTimeToStr) {
  EXPECT_EQ(DateToStr(EncodeDate(2026, 1, 5) + 0.5), "05/01/2026");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 1, 5)), "05/01/2026");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 1, 5) + EncodeTime(8, 0, 1)), "05/01/2026 08:00:01");
  EXPECT_EQ(DateToStr(EncodeDate(1, 1, 1)), "01/01/0001");
  EXPECT_EQ(DateToStr(0), "30/12/1899");
}

TEST(FormatDateTime, ValueOutsideTheCalendarRaises) {
  EXPECT_THROW(FormatDateTime("dd/mm/yyyy", 1e300), EConvertError);
  EXPECT_THROW(DateToStr(std::numeric_limits<double>::quiet_NaN()), EConvertError);
}

}  // namespace
