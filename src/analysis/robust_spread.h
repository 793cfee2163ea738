#pragma once
// Noise measures that a few samples of an event do not move: the median and the standard deviation
// that normal noise with the values' median absolute deviation has.
#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

inline constexpr double kMadToSigma = 1.4826;  // standard deviation of normal noise per median absolute deviation

/// The median of the values (the upper one of an even count); 0 for none. Reorders `values`.
double Median(std::span<double> values);

/// Standard deviation of normal noise with the values' median absolute deviation; 0 for fewer
/// than 3 values.
double RobustSigma(std::vector<double> values);

/// RobustSigma in the caller's storage, for callers that measure many runs: overwrites `values`.
double RobustSigmaInPlace(std::span<double> values);

/// Whether `above` holds for RobustSigmaInPlace(values), for a test `above` that holds for every
/// sigma beyond one it holds for; overwrites `values`. The sigma lies above the test's bound exactly
/// when the upper half of the deviations do, so their median need not be selected.
template <class Above>
bool RobustSigmaAbove(std::span<double> values, Above above) {
  if (values.size() < 3) return above(0.0);
  const double median = Median(values);
  std::size_t count = 0;
  for (const double v : values) count += above(kMadToSigma * std::fabs(v - median)) ? 1 : 0;
  return count >= values.size() - values.size() / 2;
}
