#include "traceview/curve_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

TEST(CurveMapping, CeilingOnTheBottomEdgeSixtyDbAbove) {
  const CurveMapping m{0.5, 10.0, 30.0, 600, 0, 800};
  EXPECT_EQ(CurveY(30.0, m), 600);
  EXPECT_EQ(CurveY(-30.0, m), 0);
  EXPECT_EQ(CurveY(29.95, m), 600);  // 0.5 pixel truncates toward the bottom
  EXPECT_EQ(CurveX(3, m), 1);
}

TEST(BuildCurveSegments, OneColumnSpanAndOneJoinPerColumn) {
  // Four samples per column at 0.25 pixels per sample.
  const std::vector<double> db = {10, 12, 8, 11, 20, 20, 20, 20, 5};
  const CurveMapping m{0.25, 1.0, 60.0, 60, 0, 100};
  std::vector<CurveSegment> segments;
  BuildCurveSegments(db, m, segments);
  const std::vector<CurveSegment> expected = {
      {0, 8, 0, 12},   // column 0: lowest to highest level (60 - (60 - v))
      {0, 11, 1, 20},  // join from the column's last sample to the next column's first
      {1, 20, 2, 5},   // column 1 holds one level: no span
  };
  EXPECT_EQ(segments, expected);
}

TEST(BuildCurveSegments, CullsToTheVisiblePartWithTwoSamplesMargin) {
  std::vector<double> db(1000, 30.0);
  const CurveMapping m{10.0, 1.0, 60.0, 60, 5000, 800};  // samples 500..580 visible
  const SampleRange range = VisibleSampleRange(1000, m);
  EXPECT_EQ(range.first, 498);
  EXPECT_EQ(range.last, 582);
  std::vector<CurveSegment> segments;
  BuildCurveSegments(db, m, segments);
  ASSERT_FALSE(segments.empty());
  EXPECT_EQ(segments.front().x1, 4980);
  EXPECT_EQ(segments.back().x2, 5820);

  EXPECT_EQ(VisibleSampleRange(1000, {10.0, 1.0, 60.0, 60, 20000, 800}).first, 999);
  EXPECT_EQ(VisibleSampleRange(0, m).last, -1);
}

TEST(BuildCurveSegments, DegenerateTracesDrawNothingAndNeverFault) {
  std::vector<CurveSegment> segments{{1, 1, 1, 1}};
  BuildCurveSegments(std::vector<double>{30.0}, {1.0, 1.0, 60.0, 60, 0, 100}, segments);
  EXPECT_TRUE(segments.empty()) << "one sample has no line";
  const std::vector<double> two = {1.0, 2.0};
  BuildCurveSegments(two, {0.0, 1.0, 60.0, 60, 0, 100}, segments);
  EXPECT_EQ(segments, (std::vector<CurveSegment>{{0, 1, 0, 2}})) << "a zero step piles every sample on x 0";

  // Non-finite levels and scales from a damaged file land on defined pixels, never on a wild int.
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> damaged = {1.0, std::nan(""), inf, -inf, 2.0};
  for (const double step : {1.0, std::nan(""), inf}) {
    BuildCurveSegments(damaged, {step, 1e300, 60.0, 60, 0, 100}, segments);
    ASSERT_FALSE(segments.empty()) << step;
    EXPECT_EQ(segments.front().x1, 0) << step;
  }
  EXPECT_EQ(CurveY(std::nan(""), {1.0, 1.0, 60.0, 60, 0, 100}), 60);
}

TEST(BuildDottedPixels, SkipsSampleZeroAndRepeats) {
  const std::vector<double> db = {50, 10, 10, 20};
  std::vector<PixelPoint> pixels;
  BuildDottedPixels(db, {0.5, 1.0, 60.0, 60, 0, 100}, pixels);
  EXPECT_EQ(pixels, (std::vector<PixelPoint>{{0, 10}, {1, 10}, {1, 20}}));
}

}  // namespace
