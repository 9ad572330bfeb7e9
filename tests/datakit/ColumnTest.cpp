// Text cells of the column store: every length round-trips (empty, short, the longest that
// shares a block, those that take a block of their own), equal neighbours share their bytes
// without tying their fates, and null flags follow every change.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "datakit/Column.h"

namespace stock {
namespace {

TEST(Column, TextsOfEveryLengthComeBackAsStored) {
  const size_t limit = Column::kLongText;
  const std::vector<std::optional<std::string>> values = {std::string(),
                                                          std::string("a"),
                                                          std::string("a"),
                                                          std::nullopt,
                                                          std::string("a"),
                                                          std::string(limit - 1, 'x'),
                                                          std::string(limit - 1, 'x'),
                                                          std::string(limit, 'y'),
                                                          std::string(limit, 'y'),
                                                          std::string("depois"),
                                                          std::string(3 << 20, 'z'),
                                                          std::string("ação"),
                                                          std::string("ação"),
                                                          std::nullopt,
                                                          std::string("fim")};
  Column column("T", ftString);
  for (const auto& v : values) {
    if (v)
      column.PushText(*v);
    else
      column.PushNull();
  }
  ASSERT_EQ(column.size(), values.size());
  for (size_t row = 0; row < values.size(); ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(column.IsNull(row), !values[row].has_value());
    EXPECT_EQ(std::string(column.Text(row)), values[row].value_or(""));
  }

  // Rows 1, 2 and 4 hold the same text; changing one leaves the others as they were.
  column.SetText(2, "outro");
  EXPECT_EQ(column.Text(1), "a");
  EXPECT_EQ(column.Text(2), "outro");
  EXPECT_EQ(column.Text(4), "a");
  column.SetText(7, "curto");
  EXPECT_EQ(column.Text(8), std::string(limit, 'y'));
  column.PopBack();
  column.PushText("ação");
  EXPECT_EQ(column.Text(column.size() - 1), "ação");
}

// Blocks start small and grow: texts that fill them to the last byte, texts larger than the
// next block, and enough of them to reach the largest blocks all come back whole.
TEST(Column, TextsAcrossGrowingBlocksComeBackAsStored) {
  std::vector<std::string> values;
  for (size_t i = 0; values.size() < 3000; ++i) {
    const size_t length = i % 7 == 0 ? 4096 << (i % 5) : 1 + (i * 37) % 3000;
    values.push_back(std::string(length, static_cast<char>('a' + i % 26)) + std::to_string(i));
  }
  Column column("T", ftString);
  for (const auto& v : values) column.PushText(v);
  for (size_t row = 0; row < values.size(); ++row) {
    ASSERT_EQ(column.Text(row), values[row]) << row;
  }
}

TEST(Column, NullFlagsAppearWithTheFirstNullAndFollowEveryChange) {
  Column column("N", ftInteger);
  for (int64_t v : {1, 2, 3}) column.PushInteger(v);
  EXPECT_FALSE(column.IsNull(0) || column.IsNull(1) || column.IsNull(2));
  column.SetNull(1);
  column.PushInteger(4);
  column.PushNull();
  EXPECT_EQ((std::vector<bool>{column.IsNull(0), column.IsNull(1), column.IsNull(2),
                               column.IsNull(3), column.IsNull(4)}),
            (std::vector<bool>{false, true, false, false, true}));
  column.SetInteger(1, 9);
  column.PopBack();
  ASSERT_EQ(column.size(), 4u);
  EXPECT_FALSE(column.IsNull(1));
  EXPECT_EQ(column.ints[1], 9);
  column.Clear();
  column.PushNull();
  EXPECT_TRUE(column.IsNull(0));
}

TEST(Column, ColumnTypedByItsValuesKeepsTextsAndNumbersApart) {
  Column column("U", ftUnknown);
  column.PushText("7");
  column.PushPendingInteger(7);
  column.PushText("7");
  column.PushNull();
  column.SettleType(ftString);
  ASSERT_EQ(column.storage, Storage::Text);
  EXPECT_EQ(column.Text(0), "7");
  EXPECT_EQ(column.Text(1), "7");
  EXPECT_EQ(column.Text(2), "7");
  EXPECT_TRUE(column.IsNull(3));
}

}  // namespace
}  // namespace stock
