#include "analysis/pulse_noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/line_fit.h"

namespace {

// Pulse lengths left out on each side of the change.
constexpr int kChangePulses = 2;

// Starts of the pulse means per pulse length: neighbouring means then share most of their samples,
// so more starts would add work and no steadiness to the spread.
constexpr int kStartsPerPulse = 8;

// Pulse lengths a step is read over on each side: enough to read it with a fraction of the pulse
// noise, few enough that the trace's bend towards the floor does not read as a step.
constexpr int kStepWindowPulses = 8;

// The pulse-mean differences over [first, last), means starting several times per pulse length to
// steady their spread.
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
  AddPulseMeanDifferences(mean, first, last, p, std::max(1, p / kStartsPerPulse), out);
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
  return PulseNoiseOfDifferences(differences);
}

double StepOverPulses(std::span<const TracePoint> raw, int index, int pulseSamples, int first, int last) {
  const int n = static_cast<int>(raw.size());
  const int p = std::max(1, pulseSamples);
  const int frontEnd = index - p;
  const int backStart = index + 2 * p;
  const int frontStart = std::max({first, frontEnd - kStepWindowPulses * p, 0});
  const int backEnd = std::min({last, backStart + kStepWindowPulses * p, n});
  if (frontEnd - frontStart < 2 * p || backEnd - backStart < 2 * p) return 0.0;
  const double x = DistanceAt(raw, index + p / 2);
  double frontSlope = 0.0, frontIntercept = 0.0, backSlope = 0.0, backIntercept = 0.0;
  FitLine(raw, frontStart, frontEnd - 1, frontSlope, frontIntercept);
  FitLine(raw, backStart, backEnd - 1, backSlope, backIntercept);
  return (frontSlope * x + frontIntercept) - (backSlope * x + backIntercept);
}
