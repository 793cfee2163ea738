#include "analysis/level_shift.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The levels are taken over a hundredth of the trace, but never over fewer samples than it takes
// to even out the noise, nor than a reflection with the receiver's recovery behind it fills.
constexpr int kWindowDivisor = 100;
constexpr int kMinWindow = 50;

// A reflection's pulse with the receiver's recovery behind it never fills this many pulse lengths,
// and noise correlated over a pulse evens out over them.
constexpr int kReflectionPulses = 3;

// Below this height above the noise reference the detection reads every level as noise: a rise
// there must be 5 dB to count.
constexpr double kNoiseZoneDb = 5.5;

struct SustainedLevels {
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -std::numeric_limits<double>::infinity();
};

// The noise floor is the lowest mean level over windows of `window` samples, whatever short
// reflections rise above it. The fibre is the highest level that a whole stretch of `window`
// samples keeps: the best of the lowest samples of consecutive stretches, so that a reflection and
// the receiver's slow recovery behind it, which fill a window at fine spacings, never pass for the
// fibre.
SustainedLevels WindowLevels(std::span<const TracePoint> points, int window) {
  SustainedLevels levels;
  double sum = 0.0;
  double stretchLowest = std::numeric_limits<double>::infinity();
  const auto w = static_cast<std::size_t>(window);
  for (std::size_t i = 0; i < points.size(); ++i) {
    sum += points[i].level;
    if (i >= w) sum -= points[i - w].level;
    if (i + 1 >= w) levels.lowest = std::min(levels.lowest, sum);
    stretchLowest = std::min(stretchLowest, static_cast<double>(points[i].level));
    if ((i + 1) % w == 0) {
      levels.highest = std::max(levels.highest, stretchLowest);
      stretchLowest = std::numeric_limits<double>::infinity();
    }
  }
  levels.lowest /= window;
  return levels;
}

}  // namespace

float FindLevelShift(std::span<const TracePoint> points, double reference, int pulseSamples) {
  if (points.empty()) return 0.0f;
  const int n = static_cast<int>(points.size());
  const int window = std::min(n, std::max({kMinWindow, n / kWindowDivisor, kReflectionPulses * pulseSamples}));
  const SustainedLevels levels = WindowLevels(points, window);
  if (!(levels.highest < reference + kNoiseZoneDb)) return 0.0f;
  const double shift = reference - levels.lowest;
  return std::isfinite(shift) && shift > 0.0 ? static_cast<float>(shift) : 0.0f;
}

void ShiftLevels(std::span<TracePoint> points, float shift) {
  if (shift == 0.0f) return;
  for (TracePoint& p : points) p.level += shift;
}
