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

struct SustainedLevels {
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -std::numeric_limits<double>::infinity();
};

// The lowest and highest mean level over windows of `window` samples: the noise floor and the
// fibre, whatever short reflections rise above them. The extreme sums give the extreme means.
SustainedLevels WindowMeans(std::span<const TracePoint> points, int window) {
  SustainedLevels sums;
  double sum = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    sum += points[i].level;
    if (i >= static_cast<std::size_t>(window)) sum -= points[i - static_cast<std::size_t>(window)].level;
    if (i + 1 >= static_cast<std::size_t>(window)) {
      sums.lowest = std::min(sums.lowest, sum);
      sums.highest = std::max(sums.highest, sum);
    }
  }
  return {sums.lowest / window, sums.highest / window};
}

}  // namespace

float FindLevelShift(std::span<const TracePoint> points, double reference) {
  if (points.empty()) return 0.0f;
  const int n = static_cast<int>(points.size());
  const int window = std::min(n, std::max(kMinWindow, n / kWindowDivisor));
  const SustainedLevels levels = WindowMeans(points, window);
  if (!(levels.highest < reference + kNoiseZoneDb)) return 0.0f;
  const double shift = reference - levels.lowest;
  return std::isfinite(shift) && shift > 0.0 ? static_cast<float>(shift) : 0.0f;
}

void ShiftLevels(std::span<TracePoint> points, float shift) {
  if (shift == 0.0f) return;
  for (TracePoint& p : points) p.level += shift;
}
