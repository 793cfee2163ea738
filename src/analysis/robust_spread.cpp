#include "analysis/robust_spread.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

double Median(std::span<double> values) {
  if (values.empty()) return 0.0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

double RobustSigma(std::vector<double> values) { return RobustSigmaInPlace(values); }

double RobustSigmaInPlace(std::span<double> values) {
  if (values.size() < 3) return 0.0;
  const double median = Median(values);
  for (double& v : values) v = std::fabs(v - median);
  return kMadToSigma * Median(values);
}
