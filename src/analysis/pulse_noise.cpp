#include "analysis/pulse_noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/robust_spread.h"

namespace {

// Pulse lengths left out on each side of the change.
constexpr int kChangePulses = 2;

// Starts of the pulse means per pulse length: neighbouring means then share most of their samples,
// so more starts would add work and no steadiness to the spread.
constexpr int kStartsPerPulse = 8;

// Differences of pulse means two pulse lengths apart over [first, last): noise correlated over a
// pulse length leaves means that far apart independent, and a slope over so short a distance is far
// below the noise. Means starting several times per pulse length steady the spread.
void AddDifferences(std::span<const TracePoint> raw, int first, int last, int p, std::vector<double>& out) {
  if (last - first < 3 * p) return;
  std::vector<double> sums(static_cast<std::size_t>(last - first + 1), 0.0);
  for (int k = first; k < last; ++k) {
    sums[static_cast<std::size_t>(k - first + 1)] = sums[static_cast<std::size_t>(k - first)] + LevelAt(raw, k);
  }
  const auto mean = [&](int from) {
    const auto a = static_cast<std::size_t>(from - first);
    return (sums[a + static_cast<std::size_t>(p)] - sums[a]) / p;
  };
  const int stride = std::max(1, p / kStartsPerPulse);
  for (int k = first; k + 3 * p <= last; k += stride) out.push_back(mean(k + 2 * p) - mean(k));
}

}  // namespace

double PulseNoiseAt(std::span<const TracePoint> raw, int index, int pulseSamples, int first, int last) {
  const int n = static_cast<int>(raw.size());
  const int p = std::max(1, pulseSamples);
  first = std::clamp(first, 0, n);
  last = std::clamp(last, 0, n);
  std::vector<double> differences;
  AddDifferences(raw, first, std::max(first, index - kChangePulses * p), p, differences);
  AddDifferences(raw, std::min(last, index + (kChangePulses + 1) * p), last, p, differences);
  return RobustSigma(std::move(differences)) / std::sqrt(2.0);
}
