// The threshold and noise filters of the event list. The filters around reflections live in
// reflection_filters.cpp.
#include "analysis/event_filters.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/event_list_helpers.h"
#include "analysis/pulse_noise.h"

namespace {

constexpr double kNegligibleLoss = 0.01;  // dB: below this a splice is never reported
constexpr double kLargeLoss = 2.0;        // dB: above this the window rules do not apply
constexpr int kWidenedWindow = 100;       // samples a short window is widened to

bool BelowThreshold(const AnalysisEvent& event, float nonReflectionThreshold) {
  const float loss = std::fabs(event.loss);
  return loss < kNegligibleLoss || loss < std::fabs(nonReflectionThreshold);
}

// True when the loss does not stand out of the smoothing residual around the event; the allowance
// shrinks where the trace lies well above the noise reference.
bool WithinLocalNoise(const AnalysisEvent& event, std::span<const TracePoint> points, double reference,
                      const NoiseWindowTable& noiseWindows) {
  double noise = noiseWindows.At(event.sampleIndex);
  if (noise > 0.1) noise *= 1.5;
  const double above = std::fabs(LevelAt(points, event.sampleIndex) - reference);
  if (above > 10.0) {
    noise = std::min(noise, 0.04);
  } else if (above > 7.0) {
    noise = std::min(noise, 0.3);
  }
  return std::fabs(event.loss) < noise;
}

// Measures the loss as the step between the two window lines, both carried to the left window's
// centre along the backscatter slope; keeps the smaller magnitude.
void ReestimateLoss(AnalysisEvent& event, std::span<const TracePoint> points, double backscatterSlope) {
  const int* m = event.markers;
  double leftSlope = 0.0, leftIntercept = 0.0, rightSlope = 0.0, rightIntercept = 0.0;
  FitLine(points, m[0], m[1], leftSlope, leftIntercept);
  FitLine(points, m[2], m[3], rightSlope, rightIntercept);
  const double xLeft = DistanceAt(points, (m[0] + m[1]) / 2);
  const double xRight = DistanceAt(points, (m[2] + m[3]) / 2);
  const double v = (leftSlope * xLeft + leftIntercept) -
                   ((rightSlope * xRight + rightIntercept) + backscatterSlope * (xLeft - xRight));
  if (std::fabs(v) < std::fabs(event.loss)) event.loss = static_cast<float>(v);
}

}  // namespace

int ApplySpliceThresholdQuick(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                              float nonReflectionThreshold, float reference, const NoiseWindowTable& noiseWindows) {
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (IsSplice(event) &&
        (BelowThreshold(event, nonReflectionThreshold) || WithinLocalNoise(event, points, reference, noiseWindows))) {
      continue;
    }
    kept.Retain(event);
  }
  return kept.Store(events);
}

int DropAtFilterPosition(std::span<AnalysisEvent> events, int count, int filterPosition) {
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    const bool encloses = event.markers[1] < filterPosition && filterPosition < event.markers[2];
    if (IsSplice(event) && encloses && std::fabs(event.loss) < 0.2) continue;
    kept.Retain(event);
  }
  return kept.Store(events);
}

int ApplySpliceThreshold(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                         float backscatterSlope, float nonReflectionThreshold, float reference,
                         const NoiseWindowTable& noiseWindows) {
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    AnalysisEvent event = events[static_cast<std::size_t>(i)];
    if (!IsSplice(event)) {
      kept.Retain(event);
      continue;
    }
    if (BelowThreshold(event, nonReflectionThreshold)) continue;
    const int* m = event.markers;
    if (event.loss < kLargeLoss && kept.Count() > 1) {
      if (m[1] - kept.Last().markers[2] < 10 && !IsNonReflective(kept.Last())) continue;
      if (m[2] - m[1] <= 3) continue;
      const int left = m[1] - m[0];
      const int right = m[3] - m[2];
      if (left > 3 && left < 50 && right > 3 && right < 50) ReestimateLoss(event, points, backscatterSlope);
    }
    if (WithinLocalNoise(event, points, reference, noiseWindows)) continue;
    kept.Retain(event);
  }
  return kept.Store(events);
}

int RefineLossAndNoiseCheck(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                            float backscatterSlope, float reference, const NoiseWindowTable& noiseWindows) {
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    AnalysisEvent event = events[static_cast<std::size_t>(i)];
    if (!IsSplice(event) || kept.Empty()) {
      kept.Retain(event);
      continue;
    }
    int* m = event.markers;
    const AnalysisEvent& previous = kept.Last();
    const int previousRight = previous.markers[2];
    if (m[1] - previousRight < 10 && !IsNonReflective(previous) && std::fabs(event.loss) < 0.5) continue;
    if (m[1] - m[0] < kWidenedWindow) m[0] = m[1] - previousRight > 120 ? m[1] - kWidenedWindow : previousRight;
    if (i + 1 < count && m[3] - m[2] < kWidenedWindow) {
      const int nextLeft = events[static_cast<std::size_t>(i + 1)].markers[1];
      m[3] = nextLeft - m[2] > 120 ? m[2] + kWidenedWindow : nextLeft;
    }
    if (m[1] - m[0] > 3 && m[3] - m[2] > 3) ReestimateLoss(event, points, backscatterSlope);
    if (WithinLocalNoise(event, points, reference, noiseWindows)) continue;
    kept.Retain(event);
  }
  return kept.Store(events);
}

int DropLossBelowNoiseCap(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw) {
  auto windowDeviation = [&](int first, int last) {
    if (last - first <= 5) return 0.0;
    float slope = 0.0f, intercept = 0.0f, deviation = 0.0f;
    FitLineWithDeviation(raw, first, last, slope, intercept, deviation);
    return static_cast<double>(deviation);
  };
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (IsSplice(event) && event.loss < kLargeLoss) {
      const int* m = event.markers;
      const double d = std::max(windowDeviation(m[0], m[1]), windowDeviation(m[2], m[3]));
      double threshold = 4.0 * d < 0.6 ? 4.0 * d : 3.0 * d;
      double cap = 0.5;
      if (d < 0.005) {
        cap = 0.02;
      } else if (d < 0.012) {
        cap = 0.03;
      } else if (d < 0.04) {
        cap = 0.04;
      } else if (d < 0.1) {
        cap = 0.08;
      }
      threshold = std::min(threshold, cap);
      if (std::fabs(event.loss) < threshold) continue;
    }
    kept.Retain(event);
  }
  return kept.Store(events);
}

int DropLossBelowFitNoise(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                          std::span<const TracePoint> raw, float backscatterSlope, double wavelength) {
  auto windowDeviation = [&](int first, int last) {
    if (last - first < 1) return 0.0;
    float slope = 0.0f, intercept = 0.0f, deviation = 0.0f;
    FitLineWithDeviation(raw, first, last, slope, intercept, deviation);
    return static_cast<double>(deviation);
  };
  double bs = backscatterSlope;
  if (IsListedWavelength(wavelength) && !(bs > -0.5 && bs < -0.15)) bs = -0.3;
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (IsSplice(event)) {
      const int* m = event.markers;
      const double before = windowDeviation(std::max(m[0], m[1] - 100), m[1]);
      const double after = windowDeviation(m[2], std::min(m[3], m[2] + 100));
      const double span = std::fabs((DistanceAt(points, m[2]) - DistanceAt(points, m[1])) * bs);
      if (std::fabs(event.loss) < before + after + span) continue;
    }
    kept.Retain(event);
  }
  return kept.Store(events);
}

int DropLossWithinPulseNoise(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                             int pulseSamples) {
  // A step stands out when it exceeds what the noise of two pulse means makes this many times.
  constexpr double kStepNoiseSigmas = 3.0;
  // The noise is taken from this many pulse lengths around the event, never fewer samples than a
  // robust spread needs: near enough to be the event's own noise. A reflection is no noise, so the
  // stretch ends at the reflections on either side.
  constexpr int kNoisePulses = 16;
  constexpr int kLeastNoiseSpan = 100;
  // A step read again keeps this many pulse lengths clear of the events that stand: a reflection's
  // pulse-wide edges and the receiver's recovery behind it are no backscatter.
  constexpr int kClearancePulses = 3;
  const int n = static_cast<int>(raw.size());
  const int clearance = kClearancePulses * std::max(1, pulseSamples);
  const int span = static_cast<int>(std::clamp<long long>(static_cast<long long>(kNoisePulses) * pulseSamples,
                                                           kLeastNoiseSpan, static_cast<long long>(raw.size())));
  const auto at = [&](int i) -> const AnalysisEvent& { return events[static_cast<std::size_t>(i)]; };
  const auto size = static_cast<std::size_t>(std::max(count, 0));

  // Where each event's noise stretch ends behind it: at the next reflection.
  std::vector<int> noiseLast(size, n);
  for (int i = count - 1, next = n; i >= 0; --i) {
    noiseLast[static_cast<std::size_t>(i)] = std::min(at(i).sampleIndex + span, next);
    if (!IsNonReflective(at(i))) next = at(i).startIndex;
  }
  // Each examined event's noise and whether its own loss stands out of it; every other event stands.
  std::vector<int> noiseFirst(size, 0);
  std::vector<double> noise(size, 0.0);
  std::vector<char> stands(size, 1);
  for (int i = 0, previousReflectionEnd = 0; i < count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (!IsNonReflective(at(i))) previousReflectionEnd = at(i).endIndex;
    if (!IsSplice(at(i))) continue;
    noiseFirst[k] = std::max(at(i).sampleIndex - span, previousReflectionEnd);
    noise[k] = PulseNoiseAt(raw, at(i).sampleIndex, pulseSamples, noiseFirst[k], noiseLast[k]);
    stands[k] = std::fabs(at(i).loss) >= kStepNoiseSigmas * noise[k] ? 1 : 0;
  }
  // The start of the next event that stands, for each event.
  std::vector<int> nextStanding(size, n + clearance);
  for (int i = count - 2; i >= 0; --i) {
    const auto k = static_cast<std::size_t>(i);
    nextStanding[k] = stands[k + 1] ? at(i + 1).startIndex : nextStanding[k + 1];
  }
  // A loss read over windows a pulse length or two long carries noise as large as the pulse noise
  // itself, and windows cut short by candidates that fall are common where the noise is high: a
  // step that falls on its loss is read again between the events that stand.
  KeptEvents kept(count);
  for (int i = 0, previousStandingEnd = -clearance; i < count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const AnalysisEvent& event = at(i);
    if (stands[k]) {
      previousStandingEnd = event.endIndex;
      kept.Retain(event);
      continue;
    }
    const int first = std::max(noiseFirst[k], previousStandingEnd + clearance);
    const int last = std::min(noiseLast[k], nextStanding[k] - clearance);
    const double step = StepOverPulses(raw, event.sampleIndex, pulseSamples, first, last);
    if (step * event.loss > 0.0 && std::fabs(step) >= kStepNoiseSigmas * noise[k]) kept.Retain(event);
  }
  return kept.Store(events);
}

int ApplyReflectionThreshold(std::span<AnalysisEvent> events, int count, float reflectionThreshold) {
  constexpr float kWeakestReflectance = -78.0f;
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    AnalysisEvent event = events[static_cast<std::size_t>(i)];
    if (IsReflective(event) && !HasEndFlag(event)) {
      event.reflectance = std::max(event.reflectance, kWeakestReflectance);
      if (std::fabs(event.reflectance) > std::fabs(reflectionThreshold)) continue;
    }
    kept.Retain(event);
  }
  return kept.Store(events);
}

int ApplySpliceThresholdLongRange(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                                  float reference, const AnalysisParams& params) {
  const bool longRange = IsLongRange(params.range);
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (IsSplice(event)) {
      if (BelowThreshold(event, params.nonReflectionThreshold)) continue;
      if (longRange && LevelAt(points, event.sampleIndex) < reference + 5.0 && std::fabs(event.loss) < 1.2) continue;
    }
    kept.Retain(event);
  }
  return kept.Store(events);
}
