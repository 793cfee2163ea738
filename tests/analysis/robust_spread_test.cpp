#include "analysis/robust_spread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// The value a full sort puts at the middle (the upper one of an even count).
double SortedMiddle(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs of the shapes the engine's noise takes and the ones that trip a selection: few values,
// ties everywhere, ties at the least value, already ordered either way.
std::vector<std::vector<double>> Shapes(std::uint32_t seed) {
  std::mt19937 engine(seed);
  std::normal_distribution<double> noise(0.0, 1.0);
  std::vector<std::vector<double>> shapes;
  for (const int n : {1, 2, 3, 8, 9, 10, 17, 94, 125, 500, 999}) {
    std::vector<double> normal(static_cast<std::size_t>(n));
    for (double& v : normal) v = noise(engine);
    std::vector<double> coarse = normal;
    for (double& v : coarse) v = std::round(v);
    std::vector<double> floorHeavy = normal;
    for (double& v : floorHeavy) v = std::max(v, 0.3);
    std::vector<double> ascending = normal;
    std::sort(ascending.begin(), ascending.end());
    std::vector<double> descending(ascending.rbegin(), ascending.rend());
    shapes.insert(shapes.end(), {normal, coarse, floorHeavy, ascending, descending,
                                 std::vector<double>(static_cast<std::size_t>(n), -2.5)});
  }
  return shapes;
}

TEST(MedianTest, PicksTheValueASortPutsInTheMiddle) {
  for (std::uint32_t seed = 1; seed <= 20; ++seed) {
    for (std::vector<double> values : Shapes(seed)) {
      const double expected = SortedMiddle(values);
      EXPECT_EQ(Median(values), expected) << "seed " << seed << ", " << values.size() << " values";
    }
  }
  std::vector<double> none;
  EXPECT_EQ(Median(none), 0.0);
}

TEST(MedianTest, EndsOnValuesThatAreNotNumbers) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (std::vector<double> values : {std::vector<double>(40, nan), std::vector<double>{1.0, nan, 3.0, nan, 2.0, nan,
                                                                                        nan, 0.5, nan, 4.0, nan, 1.5}}) {
    Median(values);
    SUCCEED();
  }
}

// The count RobustSigmaAbove makes gives the answer of the sigma itself, on both sides of any bound
// and on it.
TEST(RobustSigmaAboveTest, AgreesWithTheSigmaAtEveryBound) {
  for (std::uint32_t seed = 1; seed <= 10; ++seed) {
    for (const std::vector<double>& values : Shapes(seed)) {
      std::vector<double> copy = values;
      const double sigma = RobustSigmaInPlace(copy);
      for (const double bound : {0.0, sigma, std::nextafter(sigma, 0.0), std::nextafter(sigma, 10.0), sigma * 0.7,
                                 sigma * 1.3, 1.0}) {
        copy = values;
        const bool above = RobustSigmaAbove(copy, [bound](double s) { return 4.0 * (s / std::sqrt(2.0)) > bound; });
        EXPECT_EQ(above, 4.0 * (sigma / std::sqrt(2.0)) > bound)
            << "seed " << seed << ", " << values.size() << " values, bound " << bound;
      }
    }
  }
}

}  // namespace
