#include "document/display_model_time.h"

#include <gtest/gtest.h>

namespace {

TEST(TraceDateTimeOf, TurnsSecondsIntoTheCalendarWithoutTimeZone) {
  struct Case { std::uint32_t stamp; TraceDateTime expected; };
  const Case cases[] = {
      {0, {0, 0, 0, 1, 1, 1970}},
      {1330956429, {9, 7, 14, 5, 3, 2012}},
      {951782400, {0, 0, 0, 29, 2, 2000}},  // leap day of a century leap year
      {1709251199, {59, 59, 23, 29, 2, 2024}},
      {4102444800, {0, 0, 0, 1, 1, 2100}},  // 2100 is no leap year
      // Stamps are unsigned: past 2038 they keep counting forward.
      {4294967295u, {15, 28, 6, 7, 2, 2106}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stamp);
    const TraceDateTime t = TraceDateTimeOf(c.stamp);
    EXPECT_EQ(t.Second, c.expected.Second);
    EXPECT_EQ(t.Minute, c.expected.Minute);
    EXPECT_EQ(t.Hour, c.expected.Hour);
    EXPECT_EQ(t.Day, c.expected.Day);
    EXPECT_EQ(t.Month, c.expected.Month);
    EXPECT_EQ(t.Year, c.expected.Year);
  }
}

}  // namespace
