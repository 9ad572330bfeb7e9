#include <gtest/gtest.h>

#include <limits>

#include "rtl/Exception.h"
#include "rtl/Variant.h"

namespace {

TEST(Variant, AsInteger) {
  const struct {
    Variant value;
    int64_t expected;
  } cases[] = {{Variant(), 0},
               {Variant(42), 42},
               {Variant(2.5), 3},
               {Variant(-2.5), -3},
               {Variant("42"), 42},
               {Variant(" 7 "), 7},
               {Variant("2,5"), 3},
               {Variant(true), 1},
               {Variant(int64_t{1} << 40), int64_t{1} << 40},
               {Variant::FromDate(EncodeDate(2026, 1, 5) + 0.7), 46027}};
  for (const auto& c : cases) EXPECT_EQ(c.value.AsInteger(), c.expected) << c.value.AsString();
  for (const Variant& bad : {Variant("abc"), Variant(""),
                             Variant(std::numeric_limits<double>::quiet_NaN()), Variant(1e30)}) {
    EXPECT_THROW(bad.AsInteger(), EConvertError);
  }
  EXPECT_THROW(VarArrayOf({1, 2}).AsInteger(), Exception);
}

TEST(Variant, AsStringAsFloatAsDateTime) {
  const TDateTime jan5 = EncodeDate(2026, 1, 5);
  EXPECT_EQ(Variant(1.5).AsString(), "1,5");
  EXPECT_EQ(Variant::FromDate(jan5).AsString(), "05/01/2026");
  EXPECT_EQ(Variant::FromDate(jan5 + EncodeTime(14, 30, 0)).AsString(), "05/01/2026 14:30:00");
  EXPECT_EQ(Variant(true).AsString(), "True");
  EXPECT_EQ(Variant().AsString(), "");
  EXPECT_EQ(Variant("1,5").AsFloat(), 1.5);
  EXPECT_THROW(Variant("x").AsFloat(), EConvertError);
  EXPECT_EQ(Variant("05/01/2026").AsDateTime(), jan5);
  EXPECT_EQ(Variant("2026-01-05 14:30:00").AsDateTime(), jan5 + EncodeTime(14, 30, 0));
  EXPECT_THROW(Variant("31/02/2026").AsDateTime(), EConvertError);
}

TEST(Variant, AsBoolean) {
  EXPECT_TRUE(Variant("TRUE").AsBoolean());
  EXPECT_FALSE(Variant("false").AsBoolean());
  EXPECT_FALSE(Variant("0").AsBoolean());
  EXPECT_TRUE(Variant("2").AsBoolean());
  EXPECT_TRUE(Variant(0.5).AsBoolean());
  EXPECT_FALSE(Variant().AsBoolean());
  EXPECT_THROW(Variant("talvez").AsBoolean(), EConvertError);
}

TEST(Variant, ArraysAndEquality) {
  const Variant a = VarArrayOf({1, "x", Variant()});
  ASSERT_EQ(a.Count(), 3u);
  EXPECT_EQ(a[1].AsString(), "x");
  EXPECT_TRUE(a[2].IsNull());
  EXPECT_THROW(a[3], Exception);
  EXPECT_THROW(Variant(1)[0], Exception);
  EXPECT_EQ(a, VarArrayOf({1, "x", Variant()}));
  EXPECT_NE(a, VarArrayOf({1, "y", Variant()}));
  EXPECT_NE(Variant(1), Variant(1.0));
  EXPECT_EQ(Variant(0).Count(), 0u);
}

}  // namespace
