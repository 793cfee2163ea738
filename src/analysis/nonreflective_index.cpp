// Where a non-reflective event is reported: the sample index refiners of the event assembly.
#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/line_fit.h"
#include "analysis/robust_spread.h"
#include "analysis/slope_change_detection.h"

namespace {

constexpr double kSteepDropSlope = -6.0;  // dB/km: gentler first steps are not yet the drop
constexpr double kFlatFall = 0.1;         // dB/km: a gentler fall has stopped
constexpr double kStepNoiseSigmas = 2.0;

// Standard deviation of the level steps from sample to sample over [first, last].
double StepNoise(std::span<const TracePoint> raw, int first, int last) {
  std::vector<double> steps;
  for (int k = first; k < last; ++k) steps.push_back(LevelAt(raw, k + 1) - LevelAt(raw, k));
  return RobustSigma(std::move(steps));
}

// Moves the event's reported sample (and its first sample) to `index`.
void MoveEventTo(std::span<const TracePoint> points, AnalysisEvent& event, int index) {
  event.sampleIndex = event.startIndex = index;
  event.position = static_cast<float>(DistanceAt(points, index));
}

// Reports the event at `index` without changing its first sample.
void ReportEventAt(std::span<const TracePoint> points, AnalysisEvent& event, int index) {
  event.sampleIndex = index;
  event.position = static_cast<float>(DistanceAt(points, index));
}

// True for a non-reflective event with a left window of at least 10 samples and a gap of at least 4
// samples before its right window.
bool HasFittableWindows(const AnalysisEvent& event) {
  const int* m = event.markers;
  return event.type == kEventNonReflective && m[1] - m[0] >= 10 && m[2] >= m[1] + 4;
}

// Whole microseconds of the pulse, at least 1.
int PulseMicroseconds(int pulseWidth) { return std::max(1, pulseWidth / 1000); }

}  // namespace

void RefineNonReflectiveStart(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                              const AnalysisParams& params) {
  const int n = static_cast<int>(points.size());
  const bool gentleStepsCount = !IsLongRange(params.range) && params.pulseWidth < 2500;
  auto level = [&](long long i) { return LevelAt(points, i); };
  for (int i = 0; i < count; ++i) {
    AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (event.type != kEventNonReflective || !(event.loss > 1.0)) continue;
    int j = event.sampleIndex;
    int k = j + 1;
    const int last = std::min(event.endIndex, n);
    while (true) {
      if (k >= last) {
        if (k - j > 4 && level(j) - level(k - 1) > 1.0) MoveEventTo(points, event, j);
        break;
      }
      if (k == j + 1 && gentleStepsCount &&
          (level(k) - level(j)) / (DistanceAt(points, k) - DistanceAt(points, j)) > kSteepDropSlope) {
        j = k++;
        continue;
      }
      if (level(k) < level(k - 1)) {
        ++k;
        continue;
      }
      if (level(j) - level(k - 1) > 1.0) {
        MoveEventTo(points, event, j);
        break;
      }
      j = k++;
    }
  }
}

void ShiftNonReflectiveStart(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                             float backscatterSlope, float, const AnalysisParams& params) {
  const int q = PulseMicroseconds(params.pulseWidth);
  for (int i = 0; i < count; ++i) {
    AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (event.type != kEventNonReflective || !(event.loss > 0.2)) continue;
    const int a = event.markers[1];
    const double threshold = std::min(1.0, event.loss / 3.0 / q);
    int c = a;
    while (c <= event.markers[2] - 2 &&
           (LevelAt(points, a) - LevelAt(points, c)) + (DistanceAt(points, c) - DistanceAt(points, a)) * backscatterSlope <=
               threshold) {
      ++c;
    }
    if (c > event.sampleIndex) MoveEventTo(points, event, c);
  }
}

void AdjustLossIndex(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                     const AnalysisParams& params, float reference) {
  const int q = PulseMicroseconds(params.pulseWidth);
  for (int i = 0; i < count; ++i) {
    AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (!HasFittableWindows(event)) continue;
    const int* m = event.markers;
    double slope = 0.0, intercept = 0.0;
    FitLine(raw, m[0], m[1], slope, intercept);
    auto below = [&](int k) { return slope * DistanceAt(raw, k) + intercept - LevelAt(raw, k); };
    const int mid = (m[1] + m[2]) / 2;
    int r = m[1];
    if (event.loss > 0.02) {
      const double atWindow = LevelAt(raw, m[1]);
      double cap = 0.5;
      if (atWindow > reference + 15.0) {
        cap = 0.04;
      } else if (atWindow > reference + 12.0) {
        cap = 0.1;
      } else if (atWindow > reference + 10.0) {
        cap = 0.2;
      }
      // A sample lies off the line only beyond the noise of the trace, and never beyond half the loss.
      const double noise = std::min(kStepNoiseSigmas * StepNoise(raw, m[0], m[1]), event.loss / 2.0);
      const double t = std::max(std::min(event.loss / 4.0, cap) / q, noise);
      for (int k = m[1]; k < mid; ++k) {
        if (below(k) < t) r = k;
      }
      if (!(event.loss < 1.0 && event.sampleIndex > r)) ReportEventAt(raw, event, r);
    } else if (event.loss < -0.02) {
      const double rise = -event.loss / 4.0;
      for (int k = m[1]; k < mid; ++k) {
        if (below(k) > -rise) r = k;
      }
      ReportEventAt(raw, event, r);
    }
  }
}

void AdjustGainIndex(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                     const AnalysisParams&) {
  for (int i = 0; i < count; ++i) {
    AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (!(event.loss < -0.03) || !HasFittableWindows(event)) continue;
    // A step of the backscatter is falling only when it falls by more than the noise of a step: on
    // a noisy trace every other step falls.
    const double fall = std::max(kFlatFall * SampleSpacing(raw),
                                 kStepNoiseSigmas * StepNoise(raw, event.markers[0], event.markers[1]));
    // Where samples stand wider apart than the pulse, the gain rises within one step and the trace
    // falls again from the next: a step that makes up half the gain, far beyond the noise, is the
    // rise itself.
    const double ownRise = std::max(-event.loss / 2.0, 2.0 * fall);
    const int mid = (event.markers[1] + event.markers[2]) / 2;
    // An event already at or past the middle of its gap has no sample left to search and is reported
    // at the middle, like one whose trace never stops falling there.
    int found = mid;
    for (int k = event.sampleIndex; k < mid; ++k) {
      const double next = LevelAt(raw, k + 1) - LevelAt(raw, k);
      if (next > ownRise || (next > -fall && LevelAt(raw, k + 2) > LevelAt(raw, k + 1) - fall)) {
        found = k;
        break;
      }
    }
    ReportEventAt(raw, event, found);
  }
}
