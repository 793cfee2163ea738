// Ghosts: echoes of strong reflections at sums and multiples of their distances. The end of the fibre
// is decided in end_of_fibre.cpp.
#include "analysis/ghosts_and_end.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/event_list_helpers.h"

namespace {

constexpr int kSlopeWindowCap = 1000;
constexpr int kShortestSlopeWindow = 50;
constexpr int kDeadZonePulses = 20;

double GhostTolerance(double rangeKm) {
  if (rangeKm < 2.0) return 0.01;
  if (rangeKm < 40.1) return 0.03;
  return 0.05;
}

// Slopes of the raw trace before and after the reflection a ghost would echo.
struct EchoSource {
  std::span<const TracePoint> raw;
  std::span<const AnalysisEvent> events;
  double backscatterSlope;
  int pulse;  // W

  // A window squeezed below 50 samples starts behind the reflection's dead zone, or 50 samples back.
  void WidenShortWindow(const AnalysisEvent& owner, int& a, int b) const {
    if (owner.markers[2] - owner.markers[1] > kDeadZonePulses * pulse) a = owner.markers[1] + kDeadZonePulses * pulse;
    if (b - a < kShortestSlopeWindow) a = b - kShortestSlopeWindow;
  }

  double SlopeBefore(int m) const {
    const AnalysisEvent& previous = events[static_cast<std::size_t>(m - 1)];
    int a = previous.markers[2];
    const int b = events[static_cast<std::size_t>(m)].markers[1];
    if (b - a > kSlopeWindowCap) {
      a = b - kSlopeWindowCap;
    } else if (b - a < kShortestSlopeWindow) {
      WidenShortWindow(previous, a, b);
    }
    return a < 0 ? backscatterSlope : SectionSlope(raw, a, b);
  }

  double SlopeAfter(int m) const {
    const AnalysisEvent& source = events[static_cast<std::size_t>(m)];
    int a = source.markers[2];
    int b = events[static_cast<std::size_t>(m + 1)].markers[1];
    if (b - a > kSlopeWindowCap) {
      b = a + kSlopeWindowCap;
    } else if (b - a < kShortestSlopeWindow) {
      WidenShortWindow(source, a, b);
    }
    return SectionSlope(raw, a, b);
  }
};

// A reflection right behind a short-windowed reflection that is really the tail of it.
bool BelongsToPrevious(std::span<const TracePoint> raw, double reference, const AnalysisEvent& previous,
                       const AnalysisEvent& event) {
  const int* p = previous.markers;
  const int* m = event.markers;
  if (!IsReflective(previous) || p[2] != m[0] || p[3] != m[1] || p[3] - p[2] >= 10) return false;
  const double level = LevelAt(raw, event.sampleIndex);
  const double previousLevel = LevelAt(raw, previous.sampleIndex);
  return (level < reference && previousLevel > reference) ||
         (LevelAt(raw, m[4]) < LevelAt(raw, p[4]) - 1.0 && previousLevel < level - 1.0) ||
         LevelAt(raw, p[4]) - LevelAt(raw, p[3]) < 1.5 || LevelAt(raw, m[4]) - LevelAt(raw, m[1]) < 1.5;
}

}  // namespace

void MarkGhosts(const AnalysisContext& context, const AnalysisParams& params, std::span<AnalysisEvent> events,
                int count) {
  const double tolerance = GhostTolerance(params.range);
  std::vector<int> reflections{0};
  for (int i = 1; i < count; ++i) {
    if (IsReflective(events[static_cast<std::size_t>(i)])) reflections.push_back(i);
  }
  const int g = static_cast<int>(reflections.size());
  if (g < 3) return;
  auto event = [&](int x) -> AnalysisEvent& { return events[static_cast<std::size_t>(reflections[static_cast<std::size_t>(x)])]; };
  auto d = [&](int x) { return DistanceAt(context.raw, event(x).sampleIndex); };
  for (int a = 1; a < g; ++a) {
    for (int b = a + 1; b < g; ++b) {
      for (int c = 1; c < b; ++c) {
        const bool atSum = std::fabs(d(b) - (d(a) + d(c))) < tolerance;
        const bool atDoubleSum = !atSum && std::fabs(d(b) - (2.0 * d(a) + d(c))) < tolerance;
        if (!atSum && !atDoubleSum) continue;
        if (event(b).reflectance < event(a).reflectance || event(b).sampleIndex > context.noiseStart) {
          SetGhost(event(b), true);
        }
      }
    }
  }
}

int ResolveGhosts(const AnalysisContext& context, const AnalysisParams& params, std::span<AnalysisEvent> events,
                  int count) {
  if (count < 3) return count;
  const double threshold = std::min(-1.5, 3.0 * context.backscatterSlope);
  // The walk reads the input list; released ghosts count as genuine reflections for later ones.
  std::vector<AnalysisEvent> input(events.begin(), events.begin() + count);
  const EchoSource source{context.raw, input, context.backscatterSlope,
                          PulseWindowSamples(context.raw, params.pulseWidth)};
  KeptEvents kept(count);
  bool confirmed = false;
  for (int i = 0; i < count; ++i) {
    AnalysisEvent& event = input[static_cast<std::size_t>(i)];
    if (IsReflective(event) && IsGhost(event)) {
      if (confirmed) continue;
      int m = 1;
      for (int k = i - 1; k >= 1; --k) {
        if (IsReflective(input[static_cast<std::size_t>(k)]) && !IsGhost(input[static_cast<std::size_t>(k)])) {
          m = k;
          break;
        }
      }
      // The fibre continues behind the echoed reflection: the echo is a real event after all.
      if (threshold + source.SlopeBefore(m) < source.SlopeAfter(m)) {
        SetGhost(event, false);
        kept.Retain(event);
      } else {
        confirmed = true;
      }
      continue;
    }
    if (IsReflective(event) && !kept.Empty() && BelongsToPrevious(context.raw, context.reference, kept.Last(), event)) {
      kept.Absorb(event);
      continue;
    }
    kept.Retain(event);
  }
  return kept.Store(events);
}
