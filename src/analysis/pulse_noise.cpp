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

double PulseNoiseAt(std::span<const TracePoint> raw, int index, int pulseSamples, int span) {
  const int n = static_cast<int>(raw.size());
  const int p = std::max(1, pulseSamples);
  std::vector<double> differences;
  AddDifferences(raw, std::max(0, index - span), std::max(0, index - kChangePulses * p), p, differences);
  AddDifferences(raw, std::min(n, index + (kChangePulses + 1) * p), std::min(n, index + span), p, differences);
  return RobustSigma(std::move(differences)) / std::sqrt(2.0);
}
