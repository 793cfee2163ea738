#include "analysis/robust_spread.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr std::size_t kSortedRange = 8;  // a range this short is sorted rather than split

double MedianOfThree(double a, double b, double c) { return std::max(std::min(a, b), std::min(std::max(a, b), c)); }

// Moves the values of [first, last) that pass `keep` to its front, in a loop that does not branch on
// the values; returns the end of those kept.
template <class Keep>
std::size_t MoveToFront(std::span<double> values, std::size_t first, std::size_t last, Keep keep) {
  std::size_t kept = first;
  for (std::size_t i = first; i < last; ++i) {
    const double v = values[i];
    values[i] = values[kept];
    values[kept] = v;
    kept += keep(v) ? 1 : 0;
  }
  return kept;
}

}  // namespace

// The value std::nth_element would place at the middle, found by splitting the values without
// branching on them: on noise every comparison is a coin toss that a branch would mispredict half
// the time, and the medians of noise are what the engine selects most.
double Median(std::span<double> values) {
  if (values.empty()) return 0.0;
  const std::size_t middle = values.size() / 2;
  std::size_t first = 0;
  std::size_t last = values.size();
  while (last - first > kSortedRange) {
    const double pivot = MedianOfThree(values[first], values[first + (last - first) / 2], values[last - 1]);
    const std::size_t below = MoveToFront(values, first, last, [pivot](double v) { return v < pivot; });
    if (middle < below) {
      last = below;
    } else if (below > first) {
      first = below;
    } else {
      // The pivot is the range's least value: split off the values equal to it. A pivot that is not
      // a number equals nothing and ends the search.
      const std::size_t equal = MoveToFront(values, first, last, [pivot](double v) { return v <= pivot; });
      if (middle < equal || equal == first) return pivot;
      first = equal;
    }
  }
  std::sort(values.begin() + static_cast<std::ptrdiff_t>(first), values.begin() + static_cast<std::ptrdiff_t>(last));
  return values[middle];
}

double RobustSigma(std::vector<double> values) { return RobustSigmaInPlace(values); }

double RobustSigmaInPlace(std::span<double> values) {
  if (values.size() < 3) return 0.0;
  const double median = Median(values);
  for (double& v : values) v = std::fabs(v - median);
  return kMadToSigma * Median(values);
}
