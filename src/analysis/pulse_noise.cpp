#include "analysis/pulse_noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/robust_spread.h"

namespace {

// Pulse lengths left out on each side of the change.
constexpr int kChangePulses = 2;

// Differences of pulse means two pulse lengths apart over [first, last): noise correlated over a
// pulse length leaves means that far apart independent, and a slope over so short a distance is far
// below the noise.
void AddDifferences(std::span<const TracePoint> raw, int first, int last, int p, std::vector<double>& out) {
  for (int k = first; k + 3 * p <= last; k += p) out.push_back(MeanLevel(raw, k + 2 * p, p) - MeanLevel(raw, k, p));
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
