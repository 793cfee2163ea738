#include "analysis/backscatter_estimate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "analysis/noise_start.h"

namespace {

std::vector<TracePoint> Line(int n, double spacingKm, double intercept, double slope) {
  std::vector<TracePoint> points;
  for (int i = 0; i < n; ++i) {
    const double x = i * spacingKm;
    points.push_back({static_cast<float>(x), static_cast<float>(intercept + slope * x)});
  }
  return points;
}

struct Estimate {
  float slope, intercept;
};

Estimate EstimateLine(const std::vector<TracePoint>& points, int first, int end, double wavelength) {
  SlopeVoteBuffers votes;
  Estimate e{99.0f, 99.0f};
  EXPECT_EQ(EstimateBackscatterSlope(points, first, end, e.slope, e.intercept, wavelength,
                                     ComputeNoiseReference(), votes),
            1);
  return e;
}

TEST(EstimateBackscatterSlopeTest, FindsTheLineOfTheFibre) {
  // Intercepts half-way between grid lines, so the truncating bins cannot flip.
  struct Case {
    double wavelength, slope, intercept;
    int n;
    double spacing;
  } cases[] = {
      {1550.0, -0.2, -10.05, 20000, 0.001},
      {1310.0, -0.33, -12.05, 40000, 0.002},  // stride 6 beyond 15,000 samples
      {1300.0, -0.5, -8.05, 6000, 0.002},
      {850.0, -3.0, -6.05, 3000, 0.001},
  };
  for (const Case& c : cases) {
    const auto points = Line(c.n, c.spacing, c.intercept, c.slope);
    const Estimate e = EstimateLine(points, 0, c.n, c.wavelength);
    EXPECT_NEAR(e.slope, c.slope, 0.0101) << c.wavelength;
    EXPECT_NEAR(e.intercept, c.intercept, 0.1001) << c.wavelength;
  }
}

TEST(EstimateBackscatterSlopeTest, ReportsTheBinOfTheAccumulatedCandidateSlope) {
  // The multimode candidates are summed in steps of 0.01 in double: from -1.33 on the sums lie just
  // above the true values and truncate into the next bin, so those slopes are reported 0.01 flatter.
  // The general grid, summed in float, keeps every candidate in its own even bin.
  struct Case {
    double wavelength, slope;
    float reported;
  } cases[] = {{1300.0, -1.34, -1.34f}, {1300.0, -1.33, -1.32f}, {1300.0, -0.5, -0.49f},
               {1550.0, -0.33, -0.33f}, {1550.0, -0.2, -0.2f}};
  for (const Case& c : cases) {
    const Estimate e = EstimateLine(Line(20000, 0.001, -8.05, c.slope), 0, 20000, c.wavelength);
    EXPECT_FLOAT_EQ(e.slope, c.reported) << c.wavelength << " nm " << c.slope;
  }
}

// The slope bins of a grid: first to last in steps, leaving out the listed ones.
std::vector<int> Bins(int first, int last, int step, std::vector<int> missing = {}) {
  std::vector<int> bins;
  for (int b = first; b <= last; b += step) {
    if (std::find(missing.begin(), missing.end(), b) == missing.end()) bins.push_back(b);
  }
  return bins;
}

TEST(EstimateBackscatterSlopeTest, CandidateGridsAndInterceptOffset) {
  // The valid slope bins of each grid, and -10 dB at distance 0 in intercept bin
  // trunc(10 * -10) + 515. 110 candidates at 1300 nm (from the accumulated -1.33 on, every candidate
  // lands one bin up, so bin 367 stays empty), 151 at 850 nm, and 101 in the general grid, whose first
  // (-1.0 dB/km, bin 0) lies outside the histogram.
  struct Case {
    double wavelength;
    std::vector<int> bins;
  } cases[] = {{1300.0, Bins(350, 460, 1, {367})},
               {850.0, Bins(150, 300, 1)},
               {1550.0, Bins(2, 200, 2)},
               {1310.0, Bins(2, 200, 2)}};
  for (const Case& c : cases) {
    const SlopeVoteGrid grid = MakeSlopeVoteGrid(c.wavelength, ComputeNoiseReference());
    std::vector<int> bins;
    for (const CandidateSlope& candidate : grid.slopes) {
      if (candidate.bin > 0 && candidate.bin < grid.binLimit) bins.push_back(candidate.bin);
    }
    EXPECT_EQ(bins, c.bins) << c.wavelength;
    EXPECT_EQ(-100 + grid.interceptOffset, 415) << c.wavelength;
  }
}

TEST(EstimateBackscatterSlopeTest, TiesGoToTheSteepestSlopeThenTheLowestIntercept) {
  // One sample at distance 0 votes once for every candidate slope, all in intercept bin -10 dB:
  // the first valid slope bin of each grid wins.
  const std::vector<TracePoint> one = {{0.0f, -10.0f}};
  struct Case {
    double wavelength;
    float slope;
  } cases[] = {{1550.0, -0.99f}, {1300.0, -1.5f}, {850.0, -3.5f}};
  for (const Case& c : cases) {
    const Estimate e = EstimateLine(one, 0, 1, c.wavelength);
    EXPECT_FLOAT_EQ(e.slope, c.slope) << c.wavelength;
    EXPECT_FLOAT_EQ(e.intercept, -10.0f) << c.wavelength;
  }
}

TEST(EstimateBackscatterSlopeTest, NoVotesGiveAFlatLineThroughTheFirstSample) {
  const auto points = Line(500, 0.001, -10.05, -0.2);
  const Estimate empty = EstimateLine(points, 100, 100, 1550.0);
  EXPECT_EQ(empty.slope, 0.0f);
  EXPECT_EQ(empty.intercept, points[100].level);
  // Levels far above the grid cast no valid vote either.
  const Estimate high = EstimateLine(Line(500, 0.001, 40.0, -0.2), 0, 500, 1550.0);
  EXPECT_EQ(high.slope, 0.0f);
  EXPECT_FLOAT_EQ(high.intercept, 40.0f);
}

TEST(EstimateBackscatterSlopeTest, ReusedBuffersGiveTheEstimatesOfFreshOnes) {
  // A long line then a short one: nothing the first estimate left in the buffers may count.
  SlopeVoteBuffers votes;
  const double r = ComputeNoiseReference();
  for (const auto& [n, intercept, slope] : {std::tuple{20000, -10.05, -0.2}, std::tuple{3000, -20.05, -0.8}}) {
    const auto points = Line(n, 0.001, intercept, slope);
    float s = 0.0f, c = 0.0f;
    EstimateBackscatterSlope(points, 0, n, s, c, 1550.0, r, votes);
    const Estimate fresh = EstimateLine(points, 0, n, 1550.0);
    EXPECT_EQ(s, fresh.slope) << n;
    EXPECT_EQ(c, fresh.intercept) << n;
    EXPECT_NEAR(s, slope, 0.0101) << n;
  }
}

}  // namespace
