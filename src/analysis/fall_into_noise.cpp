#include "analysis/fall_into_noise.h"

#include <algorithm>
#include <cmath>

#include "analysis/analysis_terms.h"

namespace {

constexpr int kLeastWindow = 20;       // samples a level is averaged over at least
constexpr int kFootGap = 3;            // samples left out in front of the reflection's foot
constexpr int kSearchedPulses = 20;    // pulse lengths behind the reflection looked at
// Distance looked at, at least: a receiver takes up to a few hundred metres to recover from a
// strong reflection at short pulses; no fibre loses the end threshold to splices over that length.
constexpr double kLeastSearchedKm = 0.5;

}  // namespace

std::optional<int> FallIntoNoise(std::span<const TracePoint> points, int start, int from, int to,
                                 double backscatterSlope, double endThreshold, int pulseSamples) {
  const int window = std::max(kLeastWindow, pulseSamples);
  const int beforeFirst = start - kFootGap - window;
  if (beforeFirst < 0 || to - from < window) return std::nullopt;
  const double before = MeanLevel(points, beforeFirst, window);
  const double beforeKm = DistanceAt(points, beforeFirst + window / 2);
  const int leastSearched = lumivane::TruncToInt32(kLeastSearchedKm / SampleSpacing(points));
  const long long searched = std::max<long long>(leastSearched, static_cast<long long>(kSearchedPulses) * pulseSamples);
  const int last = static_cast<int>(std::min<long long>(to, from + searched)) - window;
  double lowest = HUGE_VAL;
  int bottom = from;
  for (int k = from; k <= last; k += std::max(1, window / 4)) {
    const double carried =
        MeanLevel(points, k, window) - backscatterSlope * (DistanceAt(points, k + window / 2) - beforeKm);
    if (carried < lowest) {
      lowest = carried;
      bottom = k;
    }
  }
  if (before - lowest < endThreshold) return std::nullopt;
  return bottom;
}

void MeasureOverFall(std::span<AnalysisEvent> events, int count, int start, int bottom, int pulseSamples,
                     int pointCount) {
  const int window = std::max(kLeastWindow, pulseSamples);
  for (int i = 0; i < count; ++i) {
    AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    if (e.startIndex != start || e.type == kEventNonReflective || e.markers[2] >= bottom) continue;
    e.markers[2] = bottom;
    e.markers[3] = std::min(bottom + window, pointCount - 1);
  }
}
