#include "trace/least_squares.h"

#include <gtest/gtest.h>

#include <vector>

#include "trace/display_records.h"

namespace {

// y = 2i + 1 over ten samples.
std::vector<double> Line() {
  std::vector<double> samples(10);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = 2.0 * static_cast<double>(i) + 1.0;
  return samples;
}

TEST(LeastSquaresValueAt, EvaluatesTheFittedLineAlsoOutsideTheWindow) {
  const std::vector<double> samples = Line();
  EXPECT_FLOAT_EQ(LeastSquaresValueAt(2, 6, 4, 10, samples), 9.0f);
  EXPECT_FLOAT_EQ(LeastSquaresValueAt(2, 6, 20, 10, samples), 41.0f);
  // Two points: the straight line through them.
  EXPECT_FLOAT_EQ(LeastSquaresValueAt(3, 4, 0, 10, samples), 1.0f);
  EXPECT_FLOAT_EQ(LeastSquaresValueAt(3, 4, -5, 10, samples), -9.0f);
}

TEST(LeastSquaresValueAt, FitsScatteredSamples) {
  // Hand fit over 0..4: slope 0.8, intercept 1.4; the sixth sample is outside the window.
  const std::vector<double> samples = {1.0, 3.0, 2.0, 5.0, 4.0, 100.0};
  EXPECT_FLOAT_EQ(LeastSquaresValueAt(0, 4, 0, 6, samples), 1.4f);
  EXPECT_FLOAT_EQ(LeastSquaresValueAt(0, 4, 5, 6, samples), 5.4f);
}

TEST(LeastSquaresValueAt, WindowsThatCannotBeFittedGiveNoValue) {
  const std::vector<double> samples = Line();
  struct Case { int start; int end; int count; };
  const Case cases[] = {
      {4, 4, 10},    // one point
      {6, 2, 10},    // end before start
      {2, 9, 10},    // the last sample never takes part
      {9, 5, 10},
      {-3, 4, 10},   // negative windows never index before the samples
      {2, -1, 10},
      {2, 6, 1},     // a one-point trace
      {2, 6, 0},
      {2, 12, 40},   // the count exceeds the samples actually given
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << ".." << c.end << " of " << c.count);
    EXPECT_EQ(LeastSquaresValueAt(c.start, c.end, 3, c.count, samples), kMissingValue);
  }
}

}  // namespace
