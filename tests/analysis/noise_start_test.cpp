#include "analysis/noise_start.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr float kAbove = -40.0f;
constexpr float kBelow = -60.0f;

std::vector<TracePoint> Flat(int n, float level) {
  std::vector<TracePoint> points;
  for (int i = 0; i < n; ++i) points.push_back({i * 0.001f, level});
  return points;
}

AnalysisParams Range(float km) {
  AnalysisParams p;
  p.range = km;
  return p;
}

TEST(NoiseReferenceTest, IsFiveLogOfTheConstantMinus35) {
  // The logarithm in single precision, the rest in double: a double logarithm gives -48.52766887,
  // an all-float sum -48.52766800.
  EXPECT_NEAR(ComputeNoiseReference(), -48.52766872, 5e-8);
}

TEST(FindNoiseStartTest, Cases) {
  // Falls at 5000, climbs back above the threshold at 5010 only.
  auto falls = Flat(8000, kAbove);
  for (int i = 5000; i < 8000; ++i) falls[i].level = i == 5010 ? kAbove : kBelow;
  // Three low samples in every hundred never make noise.
  auto dips = Flat(3000, kAbove);
  for (int i = 0; i < 3000; ++i) {
    if (i % 100 < 3) dips[i].level = kBelow;
  }
  struct Case {
    const char* name;
    std::vector<TracePoint> points;
    float range;
    int expected;
  } cases[] = {
      {"never below", Flat(3000, kAbove), 20.0f, 2999},
      {"short dips", dips, 20.0f, 2999},
      {"ordinary range: first climb back", falls, 20.0f, 5010},
      {"long range: just after the dip", falls, 160.0f, 5001},
      {"long range 240", falls, 240.05f, 5001},
      {"launch region ignored", Flat(100, kBelow), 20.0f, 99},
      {"empty", {}, 20.0f, -1},
  };
  const double reference = ComputeNoiseReference();
  for (const Case& c : cases) {
    int ns = -2;
    const float distance = FindNoiseStart(c.points, ns, reference, Range(c.range));
    EXPECT_EQ(ns, c.expected) << c.name;
    if (ns >= 0) {
      EXPECT_EQ(distance, c.points[ns].distance) << c.name;
    }
  }
}

}  // namespace
