#include "analysis/trace_smoothing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A ramp with every second sample 0.5 dB lower: any average over an odd window differs from the
// sample it replaces, so every rewritten sample shows.
std::vector<TracePoint> Alternating(int n) {
  std::vector<TracePoint> points;
  for (int i = 0; i < n; ++i) points.push_back({i * 0.001f, -10.0f - 0.0001f * i - 0.5f * (i % 2)});
  return points;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(SmoothTraceTest, TooShortRangeChangesNothing) {
  SmoothingBuffers buffers;
  auto points = Alternating(50);
  const auto before = points;
  EXPECT_EQ(SmoothTrace(points, 10, 13, 5, 21, buffers), 0);
  for (std::size_t i = 0; i < points.size(); ++i) EXPECT_TRUE(SameBits(points[i].level, before[i].level));
}

TEST(SmoothTraceTest, RewritesExactlyTheInnerSamplesOfALongTrace) {
  SmoothingBuffers buffers;
  const int n = 100000;
  auto points = Alternating(n);
  const auto before = points;
  EXPECT_EQ(SmoothTrace(points, 0, n - 1, 5, 21, buffers), 1);
  for (int i = 0; i < n; ++i) {
    const bool inner = i >= 21 && i <= 99978;
    EXPECT_EQ(SameBits(points[i].level, before[i].level), !inner) << i;
    EXPECT_EQ(points[i].distance, before[i].distance);
    if (HasFailure()) break;
  }
  // The ramp stays, the alternation averages out to its mean.
  EXPECT_NEAR(points[5000].level, -10.0 - 0.5 - 0.25, 0.03);
}

TEST(SmoothTraceTest, AveragesInMicroDbTruncatingTowardZero) {
  SmoothingBuffers buffers;
  // One pass of a 3-sample window over [0, 8]: samples 3..5 become trunc(sum / 3) micro-dB.
  std::vector<TracePoint> points(9, TracePoint{0.0f, 0.0f});
  points[4].level = -0.000002f;  // -2 micro-dB: the sums -2 / 3 truncate to 0
  points[5].level = -0.000003f;
  SmoothTrace(points, 0, 8, 1, 3, buffers);
  EXPECT_EQ(points[3].level, 0.0f);
  EXPECT_FLOAT_EQ(points[4].level, -0.000001f);  // (-2 - 3) / 3 = -1
  EXPECT_FLOAT_EQ(points[5].level, -0.000001f);
}

TEST(SmoothBetweenCandidatesTest, SmoothsOnlyGapsOfElevenSamplesOrMore) {
  SmoothingBuffers buffers;
  // A candidate ending at E = 20 and the next starting at E + gap; the sentinel far behind.
  struct Case {
    int gap;
    int firstSmoothed, lastSmoothed;  // -1: nothing
  } cases[] = {{10, -1, -1}, {11, 24, 28}, {40, 24, 57}};
  for (const Case& c : cases) {
    auto points = Alternating(200);
    const auto before = points;
    ReflectiveCandidateList list{};
    list[0] = {0, 0, 10, 20, 0.0f};
    list[1] = {0, 20 + c.gap, 20 + c.gap, 20 + c.gap, 0.0f};
    std::vector<SlopeSample> slopes(200);
    SmoothBetweenCandidates(points, 0, 199, slopes, 5, list, 2, buffers);
    for (int i = 0; i < 200; ++i) {
      const bool smoothed = i >= c.firstSmoothed && i <= c.lastSmoothed;
      EXPECT_EQ(!SameBits(points[i].level, before[i].level), smoothed) << "gap " << c.gap << " sample " << i;
      // Slopes exist over [lo, hi) of the smoothed span only.
      const bool sloped = i >= c.firstSmoothed && i < c.lastSmoothed;
      EXPECT_EQ(slopes[i].index == i && slopes[i].slope != 0.0, sloped) << "gap " << c.gap << " slope " << i;
      if (HasFailure()) return;
    }
  }
}

TEST(SmoothBetweenCandidatesTest, EachPassReadsThePreviousPass) {
  SmoothingBuffers buffers;
  // A single spike in a flat gap: one pass spreads it over 5 samples at 1/5, two passes over 9.
  std::vector<TracePoint> points(100, TracePoint{0.0f, -10.0f});
  for (int i = 0; i < 100; ++i) points[i].distance = i * 0.001f;
  points[50].level = -5.0f;
  ReflectiveCandidateList list{};
  list[0] = {0, 0, 0, 0, 0.0f};
  list[1] = {1, 99, 99, 99, 0.0f};
  auto once = points;
  SmoothBetweenCandidates(once, 0, 99, {}, 1, list, 2, buffers);
  EXPECT_FLOAT_EQ(once[50].level, -9.0f);
  EXPECT_FLOAT_EQ(once[52].level, -9.0f);
  EXPECT_FLOAT_EQ(once[53].level, -10.0f);
  auto twice = points;
  SmoothBetweenCandidates(twice, 0, 99, {}, 2, list, 2, buffers);
  EXPECT_FLOAT_EQ(twice[50].level, -10.0f + 5.0f * 5.0f / 25.0f);  // centre: 5 of 25 weights
  EXPECT_GT(twice[54].level, -10.0f);
  EXPECT_FLOAT_EQ(twice[55].level, -10.0f);
}

TEST(SmoothBetweenCandidatesTest, TooShortRangeReturnsZero) {
  SmoothingBuffers buffers;
  auto points = Alternating(20);
  ReflectiveCandidateList list{};
  EXPECT_EQ(SmoothBetweenCandidates(points, 4, 9, {}, 5, list, 2, buffers), 0);
}

}  // namespace
