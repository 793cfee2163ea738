// Filters of the event list that judge non-reflective events by their neighbours: merges with the
// previous event, events in a reflection's tail or just in front of one, and crossing section lines.
#include <algorithm>
#include <cmath>

#include "analysis/analysis_terms.h"
#include "analysis/event_filters.h"
#include "analysis/event_list_helpers.h"

namespace {

constexpr int kSectionCap = 1000;  // samples: section lines are fitted over at most this many
// A reflection too weak for the reflective search shows as a gain (its rise) and a loss (its fall)
// no further apart than its pulse and the receiver's recovery behind it.
constexpr int kRiseAndFallPulses = 2;

}  // namespace

int MergeAdjacentNonReflective(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                               std::span<const TracePoint> raw, float reference) {
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (!IsNonReflective(event) || HasEndFlag(event) || kept.Count() <= 1) {
      kept.Retain(event);
      continue;
    }
    const int* m = event.markers;
    const float loss = std::fabs(event.loss);
    const double mergeLimit = LevelAt(points, m[1]) > reference + 12.0 ? 1.1 : 2.0;
    // A clear step just in front of the event means it is a loss of its own.
    const bool step = m[1] > 15 && loss / 3.0 > LevelRange(raw, m[1] - 9, m[1] - 1).Spread();
    AnalysisEvent& last = kept.Last();
    if (m[1] - last.markers[2] > 5 || step || !(loss <= mergeLimit || !IsNonReflective(last))) {
      kept.Retain(event);
      continue;
    }
    kept.Absorb(event);
    last.endIndex = event.endIndex;
  }
  return kept.Store(events);
}

// Noise correlated over a pulse can split one step into two events a fraction of a pulse apart,
// each with part of the loss: too little for the noise filters or far from the step's loss.
int MergeSplitSteps(std::span<AnalysisEvent> events, int count, int pulseSamples) {
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    const bool split = kept.Count() > 1 && IsSplice(event) && IsSplice(kept.Last()) &&
                       (event.loss > 0.0f) == (kept.Last().loss > 0.0f) &&
                       event.sampleIndex - kept.Last().sampleIndex < pulseSamples;
    if (!split) {
      kept.Retain(event);
      continue;
    }
    AnalysisEvent& last = kept.Last();
    if (std::fabs(event.loss) > std::fabs(last.loss)) {
      last.sampleIndex = event.sampleIndex;
      last.position = event.position;
    }
    kept.Absorb(event);
    last.endIndex = event.endIndex;
  }
  return kept.Store(events);
}

int MergeReflectionRiseAndFall(std::span<AnalysisEvent> events, int count, int pulseSamples) {
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    const bool fallBehindRise = kept.Count() > 1 && IsNonReflective(event) && IsNonReflective(kept.Last()) &&
                                kept.Last().loss < 0.0f && event.loss > 0.0f &&
                                event.sampleIndex - kept.Last().sampleIndex <= kRiseAndFallPulses * pulseSamples;
    if (!fallBehindRise) {
      kept.Retain(event);
      continue;
    }
    kept.Absorb(event);
    kept.Last().endIndex = event.endIndex;
  }
  return kept.Store(events);
}

int AbsorbReflectionTail(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                         float backscatterSlope, float reference, double wavelength, int pulseWidth) {
  const int pulse = std::max(6, std::min(lumivane::TruncToInt32(std::max(30, pulseWidth) / 10.0 / 1000.0 /
                                                                  SampleSpacing(raw)),
                                         static_cast<int>(raw.size())));
  const double bs = ListedSlopeWithin(backscatterSlope, wavelength, -0.5, -0.2);
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (!IsNonReflective(event) || kept.Empty() || IsNonReflective(kept.Last())) {
      kept.Retain(event);
      continue;
    }
    const int* m = event.markers;
    const int* lm = kept.Last().markers;
    const int gap = m[1] - lm[2];
    const float loss = event.loss;
    bool absorb = false;
    if (gap < (lm[2] - lm[1]) / 3 && std::fabs(loss) < 0.1) {
      continue;
    } else if (loss < 0.2 && gap < 50) {
      const double s = SectionSlope(raw, m[0], m[1]);
      absorb = std::fabs(loss) < 0.1 || std::fabs(bs) < std::fabs(s - bs);
    } else if (gap < 2 * pulse) {
      // The window before the event may start in front of the trace behind a short launch.
      if (LevelAt(raw, m[1]) < reference + 15.0 && LevelRange(raw, m[1] - pulse - 1, m[1] - 1).Spread() > std::fabs(loss) / 3.0) {
        absorb = true;
      } else {
        const int a = gap < pulse ? std::max(1, m[1] - pulse) : lm[2];
        absorb = loss > 0.0 && SectionSlope(raw, a, m[1]) < SectionSlope(raw, m[1], m[2]);
      }
    }
    if (absorb) {
      kept.Absorb(event);
    } else {
      kept.Retain(event);
    }
  }
  return kept.Store(events);
}

int DropSpliceBeforeReflection(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                               float backscatterSlope, double wavelength, float reference) {
  const double bs = ListedSlopeWithin(backscatterSlope, wavelength, -0.5, -0.2);
  KeptEvents kept(count);
  for (int d = 0; d < count; ++d) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(d)];
    if (d == 0 || d == count - 1 || !IsNonReflective(event) || HasEndFlag(event) || !(event.loss < 1.0)) {
      kept.Retain(event);
      continue;
    }
    const AnalysisEvent& next = events[static_cast<std::size_t>(d + 1)];
    const int* m = event.markers;
    const int gap = next.markers[1] - m[2];
    const bool standsOut = LevelAt(raw, m[3]) - reference > 8.0 && event.loss > 0.2 && m[3] - m[0] > 20;
    const bool squeezed = !IsNonReflective(next) && gap < 30 && !standsOut;
    if (squeezed && (gap < 10 || std::fabs(SectionSlope(raw, m[2], next.markers[1] - 2) - bs) > 0.3)) continue;
    kept.Retain(event);
  }
  return kept.Store(events);
}

int DropNonReflectiveAfterReflection(const AnalysisContext& context, const AnalysisParams& params,
                                     std::span<AnalysisEvent> events, int count) {
  const double threshold = std::min(-1.5, 3.0 * context.backscatterSlope);
  const int pulse = PulseWindowSamples(context.points, params.pulseWidth);
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    AnalysisEvent event = events[static_cast<std::size_t>(i)];
    if (!IsNonReflective(event) || kept.Empty() || IsNonReflective(kept.Last())) {
      kept.Retain(event);
      continue;
    }
    int a = kept.Last().markers[2];
    const int b = event.markers[1];
    if (b - a < 2 * pulse) continue;
    if (b - a > kSectionCap) a = b - kSectionCap;
    if (SectionSlope(context.points, a, b) < threshold) continue;
    event.markers[0] = a;
    kept.Retain(event);
  }
  return kept.Store(events);
}

int DropCrossingSections(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                         int noiseStart) {
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    const int* m = event.markers;
    if (!IsNonReflective(event) || HasEndFlag(event) || !(m[1] - m[0] > 5 && m[3] - m[2] > 5)) {
      kept.Retain(event);
      continue;
    }
    const int a = std::max(i == 0 ? m[0] : events[static_cast<std::size_t>(i - 1)].markers[2], m[1] - kSectionCap);
    int b = i == count - 1 ? noiseStart : events[static_cast<std::size_t>(i + 1)].markers[1];
    b = std::min({b, noiseStart, m[2] + kSectionCap});
    double leftSlope = 0.0, leftIntercept = 0.0, rightSlope = 0.0, rightIntercept = 0.0;
    FitLine(points, a, m[1], leftSlope, leftIntercept);
    FitLine(points, m[2], b, rightSlope, rightIntercept);
    // Parallel lines never cross; keep the event rather than divide by zero.
    if (leftSlope != rightSlope) {
      const double x = (rightIntercept - leftIntercept) / (leftSlope - rightSlope);
      if (DistanceAt(points, m[1]) < x && x < DistanceAt(points, m[2])) continue;
    }
    kept.Retain(event);
  }
  return kept.Store(events);
}
