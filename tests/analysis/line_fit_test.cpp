#include "analysis/line_fit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// level = -10 - 0.33 * x with 1 m spacing, plus one bump at sample 5.
std::vector<TracePoint> Line(int n, double bump = 0.0) {
  std::vector<TracePoint> points;
  for (int i = 0; i < n; ++i) {
    const float x = static_cast<float>(i * 0.001);
    points.push_back({x, static_cast<float>(-10.0 - 0.33 * x + (i == 5 ? bump : 0.0))});
  }
  return points;
}

TEST(FitLineTest, RecoversLineInEitherOrder) {
  const auto points = Line(50);
  for (auto [first, last] : {std::pair{0, 49}, std::pair{49, 0}, std::pair{10, 20}}) {
    double slope = 0.0, intercept = 0.0;
    EXPECT_EQ(FitLine(points, first, last, slope, intercept), 1);
    EXPECT_NEAR(slope, -0.33, 1e-3) << first << ".." << last;
    EXPECT_NEAR(intercept, -10.0, 1e-5);
  }
}

TEST(FitLineTest, DegenerateWindowsGiveFlatFiniteLines) {
  std::vector<TracePoint> same = {{1.0f, -3.0f}, {1.0f, -5.0f}, {1.0f, -4.0f}};
  struct Case {
    std::vector<TracePoint> points;
    int first, last;
    double intercept;
  } cases[] = {
      {Line(10), 4, 4, Line(10)[4].level},  // one sample
      {same, 0, 2, -4.0},                   // equal distances: mean level
      {Line(10), -7, -3, Line(10)[0].level},  // indices below the array read sample 0
      {{}, 0, 5, 0.0},
  };
  for (const Case& c : cases) {
    double slope = 1.0, intercept = 1.0;
    FitLine(c.points, c.first, c.last, slope, intercept);
    EXPECT_EQ(slope, 0.0);
    EXPECT_NEAR(intercept, c.intercept, 1e-6);
  }
}

TEST(FitLineTest, IndicesBeyondTheArrayAreCutAtTheLastSample) {
  const auto points = Line(30);
  double s1 = 0, c1 = 0, s2 = 0, c2 = 0;
  FitLine(points, 20, 29, s1, c1);
  FitLine(points, 20, 5000, s2, c2);
  EXPECT_EQ(s1, s2);
  EXPECT_EQ(c1, c2);
}

TEST(LineValueAtTest, SingleSampleWindowIsThatSample) {
  const auto points = Line(20, 2.0);
  EXPECT_EQ(LineValueAt(points, 5, 5, 100.0f), points[5].level);
  EXPECT_NEAR(LineValueAt(points, 10, 19, 0.0f), -10.0f, 1e-5);
}

TEST(FitLineWithDeviationTest, DeviationIsAThirdOfTheLargestResidual) {
  float slope = 0, intercept = 0, deviation = 0;
  FitLineWithDeviation(Line(11), 0, 10, slope, intercept, deviation);
  EXPECT_NEAR(deviation, 0.0f, 1e-5);

  // A 0.6 dB bump in 11 samples: the fit moves by 0.6/11 at the bump, leaving a residual of
  // about 0.545 dB there; the deviation is 2/6 of it.
  FitLineWithDeviation(Line(11, 0.6), 0, 10, slope, intercept, deviation);
  EXPECT_NEAR(deviation, 2.0 * (0.6 - 0.6 / 11.0) / 6.0, 2e-3);
}

TEST(MeanAbsDeviationTest, AveragesBothEndsIncluded) {
  const auto a = Line(10);
  auto b = a;
  b[2].level += 0.3f;
  b[3].level -= 0.3f;
  EXPECT_NEAR(MeanAbsDeviation(a, b, 2, 3), 0.3f, 1e-5);
  EXPECT_NEAR(MeanAbsDeviation(a, b, 0, 9), 0.06f, 1e-5);
  EXPECT_EQ(MeanAbsDeviation(a, b, 5, 4), 0.0f);
}

}  // namespace
