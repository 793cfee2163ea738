#pragma once
// Noise measures that a few samples of an event do not move: the median and the standard deviation
// that normal noise with the values' median absolute deviation has.
#include <span>
#include <vector>

/// The median of the values (the upper one of an even count); 0 for none. Reorders `values`.
double Median(std::span<double> values);

/// Standard deviation of normal noise with the values' median absolute deviation; 0 for fewer
/// than 3 values.
double RobustSigma(std::vector<double> values);

/// RobustSigma in the caller's storage, for callers that measure many runs: overwrites `values`.
double RobustSigmaInPlace(std::span<double> values);
