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

}  // namespace

float FindLevelShift(std::span<const TracePoint> points, double reference, int pulseSamples) {
  if (points.empty()) return 0.0f;
  const int n = static_cast<int>(points.size());
  const int window = std::min(n, std::max({kMinWindow, n / kWindowDivisor, kReflectionPulses * pulseSamples}));
  const double top = reference + kNoiseZoneDb;
  const auto w = static_cast<std::size_t>(window);
  // The mean level over every run of `window` samples: the lowest is the noise floor, whatever
  // short reflections rise above it. The first of the consecutive stretches of `window` samples
  // whose every sample reaches the top of the noise zone shows fibre above the noise, and the trace
  // needs no shift; a reflection and the receiver's slow recovery behind it, which fill a window at
  // fine spacings, never pass for the fibre.
  double lowest = std::numeric_limits<double>::infinity();
  double sum = 0.0;
  double stretchLowest = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < points.size(); ++i) {
    sum += points[i].level;
    if (i >= w) sum -= points[i - w].level;
    if (i + 1 >= w) lowest = std::min(lowest, sum);
    stretchLowest = std::min(stretchLowest, static_cast<double>(points[i].level));
    if ((i + 1) % w == 0) {
      if (stretchLowest >= top && std::isfinite(stretchLowest)) return 0.0f;
      stretchLowest = std::numeric_limits<double>::infinity();
    }
  }
  const double shift = reference - lowest / window;
  return std::isfinite(shift) && shift > 0.0 ? static_cast<float>(shift) : 0.0f;
}

void ShiftLevels(std::span<TracePoint> points, float shift) {
  if (shift == 0.0f) return;
  for (TracePoint& p : points) p.level += shift;
}
