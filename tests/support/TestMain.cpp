// The main of every test executable: GoogleTest's, except that a run where some test was
// skipped (a tool it needs is missing) and none failed exits with 77, which CTest shows as
// skipped rather than passed.

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int failed = RUN_ALL_TESTS();
  if (failed != 0) return failed;
  return ::testing::UnitTest::GetInstance()->skipped_test_count() > 0 ? 77 : 0;
}
