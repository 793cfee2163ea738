#include "analysis/level_shift.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The noise floor is averaged over a hundredth of the trace, but never over fewer samples than
// it takes to even out the noise.
constexpr int kWindowDivisor = 100;
constexpr int kMinWindow = 50;

// Below this height above the noise reference the detection reads every level as noise: a rise
// there must be 5 dB to count.
constexpr double kNoiseZoneDb = 5.5;

}  // namespace

float FindLevelShift(std::span<const TracePoint> points, double reference) {
  if (points.empty()) return 0.0f;
  const int n = static_cast<int>(points.size());
  const int window = std::min(n, std::max(kMinWindow, n / kWindowDivisor));
  const double top = reference + kNoiseZoneDb;
  // The mean level over every run of `window` samples: the lowest is the noise floor, whatever
  // short reflections rise above it. The first run whose mean reaches the top of the noise zone
  // shows fibre above the noise, and the trace needs no shift; runs of noise are skipped.
  double lowest = std::numeric_limits<double>::infinity();
  double sum = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    sum += points[i].level;
    if (i >= static_cast<std::size_t>(window)) sum -= points[i - static_cast<std::size_t>(window)].level;
    if (i + 1 >= static_cast<std::size_t>(window)) {
      if (!(sum / window < top) && !std::isnan(sum)) return 0.0f;
      lowest = std::min(lowest, sum);
    }
  }
  const double shift = reference - lowest / window;
  return std::isfinite(shift) && shift > 0.0 ? static_cast<float>(shift) : 0.0f;
}

void ShiftLevels(std::span<TracePoint> points, float shift) {
  if (shift == 0.0f) return;
  for (TracePoint& p : points) p.level += shift;
}
