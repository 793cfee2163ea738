#include "platform/saturate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lumivane;

TEST(Saturate, RoundsHalfAwayFromZeroAndSaturates) {
  struct Case { double in; std::int32_t i32; std::int16_t i16; std::uint16_t u16; };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {0.5, 1, 1, 1},
      {-0.5, -1, -1, 0},
      {2.4999, 2, 2, 2},
      {-2.5, -3, -3, 0},
      {70000.0, 70000, 32767, 65535},
      {-70000.0, -70000, -32768, 0},
      {1e300, std::numeric_limits<std::int32_t>::max(), 32767, 65535},
      {std::nan(""), 0, 0, 0},
      {inf, 0, 0, 0},
      {-inf, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(RoundToInt32(c.in), c.i32);
    EXPECT_EQ(RoundToInt16(c.in), c.i16);
    EXPECT_EQ(RoundToUInt16(c.in), c.u16);
  }
}

TEST(Saturate, TruncatesTowardZero) {
  EXPECT_EQ(TruncToInt32(2.9), 2);
  EXPECT_EQ(TruncToInt32(-2.9), -2);
  EXPECT_EQ(TruncToInt32(std::nan("")), 0);
}

TEST(Saturate, IntegerSumAndDifferenceStopAtTheBounds) {
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  struct Case { std::int32_t a, b, sum, difference; };
  const Case cases[] = {
      {7, -3, 4, 10},
      {hi, 1, hi, hi - 1},
      {lo, -1, lo, lo + 1},
      {0, lo, lo, hi},  // the negation of the lowest value does not fit
      {lo, lo, lo, 0},
      {hi, hi, hi, 0},
      {hi, lo, -1, hi},
      {lo, hi, -1, lo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << ", " << c.b);
    EXPECT_EQ(SaturatedSum(c.a, c.b), c.sum);
    EXPECT_EQ(SaturatedDifference(c.a, c.b), c.difference);
  }
}

TEST(Saturate, ClampIndexKeepsIndicesInsideTheArray) {
  EXPECT_EQ(ClampIndex(-5, 10), 0);
  EXPECT_EQ(ClampIndex(10, 10), 9);
  EXPECT_EQ(ClampIndex(3, 10), 3);
  EXPECT_EQ(ClampIndex(3, 0), 0);
}
