// The event that ends the fibre, by the end threshold, by the section slopes or at the noise, and
// what remains of the list behind it.
#include <algorithm>
#include <cmath>

#include "analysis/analysis_terms.h"
#include "analysis/event_list_helpers.h"
#include "analysis/ghosts_and_end.h"
#include "analysis/physical_events.h"

namespace {

constexpr int kShortestSlopeWindow = 50;
constexpr int kShortWindow = 200;
constexpr int kSlopeWindowCap = 1000;
constexpr int kGhostWindowCap = 500;
constexpr double kNoiseBand = 7.0;  // dB around the reference that counts as noise

// Reads the section slopes around the events on the gap-smoothed points.
struct EndScan {
  std::span<const TracePoint> points;
  std::span<AnalysisEvent> events;
  int count;
  int noiseStart;
  int pulse;         // W
  double threshold;  // a section steeper than this is no longer plain fibre
  double reference;  // R, the noise reference

  const int* M(int i) const { return events[static_cast<std::size_t>(i)].markers; }
  const AnalysisEvent& At(int i) const { return events[static_cast<std::size_t>(i)]; }
  double Slope(int a, int b) const { return SectionSlope(points, a, b); }
  bool Last(int i) const { return i == count - 1; }
  int TraceTail() const { return static_cast<int>(points.size()) - 5; }

  int Flag(int i) const {
    events[static_cast<std::size_t>(i)].endFlag = kEndFlag;
    return 1;
  }

  int FirstReflectiveAfter(int i) const {
    for (int k = i + 1; k < count; ++k) {
      if (IsReflective(At(k))) return k;
    }
    return -1;
  }

  // Outcome of examining one event: go on with the one before, decided (with or without a flag), or
  // the whole search ends without a decision.
  enum class Step { kSkip, kDecided, kUndecided };

  Step UnendedGhost(int i) const {
    int a = M(i - 1)[2], b = M(i)[1];
    if (b - a < kShortestSlopeWindow) return Step::kSkip;
    if (b - a > kGhostWindowCap) a = b - kGhostWindowCap;
    if (Slope(a, b) < threshold) return Step::kSkip;
    a = M(i)[2];
    b = M(i)[3];
    if (b - a < kShortWindow && Last(i)) b = TraceTail();
    if (b - a < kShortWindow && M(i)[2] - M(i)[1] > 8 * pulse) a = M(i)[1] + 8 * pulse;
    if (b - a < kShortestSlopeWindow) return Decide(i);
    if (b - a > kSlopeWindowCap) a = b - kSlopeWindowCap;
    if (Slope(a, b) <= threshold) Flag(i);
    return Step::kDecided;
  }

  Step UnendedReflection(int i) const {
    int a = M(i)[2];
    int b = Last(i) ? TraceTail() : M(i + 1)[1];
    if (b < a) b = M(i)[3];
    if (b - a < kShortWindow && M(i)[2] - M(i)[1] > 20 * pulse) a = M(i)[1] + 20 * pulse;
    if (a > b || b - a < kShortestSlopeWindow) return Decide(i);
    if (b - a > kSlopeWindowCap) b = a + kSlopeWindowCap;
    if (Slope(a, b) <= threshold) Flag(i);
    return Step::kDecided;
  }

  Step UnendedOther(int i) const {
    int a = M(i)[2];
    const int b = Last(i) ? TraceTail() : M(i)[3];
    const int index = At(i).sampleIndex;
    if (b - a < kShortWindow && a > index + 8 * pulse) a = index + 8 * pulse;
    if (b - a > kSlopeWindowCap) a = b - kSlopeWindowCap;
    if (b - a < kShortestSlopeWindow) return Step::kSkip;
    if (Slope(a, b) > threshold) return Step::kDecided;
    a = M(i - 1)[2];
    const int left = M(i)[1];
    if (left - a < kShortestSlopeWindow) return Step::kSkip;
    if (left - a > kSlopeWindowCap) a = left - kSlopeWindowCap;
    if (Slope(a, left) >= threshold) return Decide(i);
    return Step::kSkip;
  }

  // The trace never reaches the noise: look for the last event behind which the fibre stops.
  int DecideWithoutNoise() const {
    for (int i = count - 1; i >= 1; --i) {
      const AnalysisEvent& event = At(i);
      Step step = Step::kSkip;
      if (IsReflective(event) && IsGhost(event)) {
        step = UnendedGhost(i);
      } else if (IsReflective(event)) {
        step = UnendedReflection(i);
      } else {
        step = UnendedOther(i);
      }
      if (step == Step::kDecided) return 1;
    }
    return 0;
  }

  Step NoisyReflection(int i) const {
    const int* m = M(i);
    if ((m[2] > noiseStart && m[2] - m[1] < 3 * pulse) || (m[2] < noiseStart && m[2] - m[1] < pulse)) {
      return Step::kSkip;
    }
    int a = M(i - 1)[2];
    if (a > noiseStart) return Step::kSkip;
    int b = std::min(m[1], noiseStart);
    if (b - a < kShortestSlopeWindow) return Step::kSkip;
    if (b - a > kSlopeWindowCap) b = a + kSlopeWindowCap;
    if (Slope(a, b) < threshold) return Step::kSkip;
    a = m[2];
    b = std::min(m[3], noiseStart);
    if (b - a < kShortestSlopeWindow || a > noiseStart) return Decide(i);
    if (b - a > kSlopeWindowCap) b = a + kSlopeWindowCap;
    if (Slope(a, b) < threshold) return Decide(i);
    // Plain fibre on both sides: the end is the next reflection, or, with none behind, undecided here.
    const int k = FirstReflectiveAfter(i);
    if (k < 0) return Step::kUndecided;
    return Decide(k);
  }

  Step NoisyOther(int i) const {
    const int* m = M(i);
    int a = M(i - 1)[2];
    const int b = m[1];
    if (b - a < kShortestSlopeWindow) return Step::kSkip;
    if (b - a > kSlopeWindowCap) a = b - kSlopeWindowCap;
    if (Slope(a, b) < threshold) return Step::kSkip;
    if (At(i).sampleIndex < noiseStart && noiseStart < m[3]) return Decide(i);
    a = m[2];
    const int right = m[3];
    if (right - a < kShortestSlopeWindow) {
      // The last event's right window only reaches the virtual event behind it and is always this
      // short; it says nothing about the fibre, so the noise detector decides, as for plain fibre.
      return Last(i) ? Step::kUndecided : Decide(i);
    }
    if (right - a > kSlopeWindowCap) a = right - kSlopeWindowCap;
    if (Slope(a, right) < threshold) return Decide(i);
    if (Last(i)) return Step::kUndecided;
    const int k = FirstReflectiveAfter(i);
    if (k < 0) return Step::kSkip;
    return Decide(k);
  }

  // The first reflection in front of the noise behind which the trace falls into it: the fibre
  // visibly ends there. -1 when there is none.
  int ReflectionIntoNoise() const {
    const auto inNoise = [&](int i) {
      return std::fabs(LevelAt(points, lumivane::ClampIndex(i, static_cast<int>(points.size()))) - reference) < kNoiseBand;
    };
    for (int i = 1; i < count - 1 && At(i).sampleIndex <= noiseStart; ++i) {
      if (IsReflective(At(i)) && !IsGhost(At(i)) && (M(i)[3] >= noiseStart || inNoise(M(i)[2]) || inNoise(M(i)[3]))) {
        return i;
      }
    }
    return -1;
  }

  // The trace sinks into the noise at NS.
  int DecideWithNoise() const {
    const AnalysisEvent& last = At(count - 1);
    if (IsReflective(last) && !IsGhost(last)) {
      // A reflection seen through the noise behind a fibre end that dropped the trace into it is an
      // echo or another fibre, not this one's end.
      const int drop = last.sampleIndex > noiseStart ? ReflectionIntoNoise() : -1;
      return Flag(drop >= 0 ? drop : count - 1);
    }
    for (int i = count - 1; i >= 1; --i) {
      const Step step = IsReflective(At(i)) ? NoisyReflection(i) : NoisyOther(i);
      if (step != Step::kSkip) return step == Step::kDecided ? 1 : 0;
    }
    return 0;
  }

  Step Decide(int i) const {
    Flag(i);
    return Step::kDecided;
  }
};

// An event at sample k that ends the fibre where the trace reaches the noise. Its left window is
// the fibre in front of it (the right window of `before`, kept clear of the drop), so its level is
// the backscatter's, not the noise floor's.
AnalysisEvent SyntheticEnd(std::span<const TracePoint> points, int k, const AnalysisEvent& before) {
  AnalysisEvent event{};
  event.type = kEventNonReflective;
  event.position = static_cast<float>(DistanceAt(points, k));
  event.sampleIndex = event.startIndex = event.peakIndex = event.endIndex = k;
  event.loss = kUnmeasuredReflectance;
  event.reflectance = kUnmeasuredReflectance;
  event.endFlag = kEndFlag;
  std::fill(std::begin(event.markers), std::end(event.markers), k);
  const int left = std::clamp(before.markers[2], 0, k);
  const int right = std::clamp(before.markers[3], left, k);
  if (left < right) {
    event.markers[0] = left;
    event.markers[1] = right;
  }
  return event;
}

// The number of events up to the noise start: those in front of the noise and the launch.
int InFrontOfNoise(std::span<const AnalysisEvent> events, int count, int noiseStart) {
  while (count > 1 && events[static_cast<std::size_t>(count - 1)].sampleIndex > noiseStart) --count;
  return count;
}

// Where an event at sample k goes: in front of the first event whose sample index exceeds k.
int InsertionPoint(std::span<const AnalysisEvent> events, int count, int k) {
  int at = 0;
  while (at < count && events[static_cast<std::size_t>(at)].sampleIndex <= k) ++at;
  return at;
}

// Inserts a made-up end at sample k, in order.
void InsertSyntheticEnd(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count, int k) {
  const int at = InsertionPoint(events, count, k);
  const AnalysisEvent end = SyntheticEnd(points, k, events[static_cast<std::size_t>(std::max(at - 1, 0))]);
  std::copy_backward(events.begin() + at, events.begin() + count, events.begin() + count + 1);
  events[static_cast<std::size_t>(at)] = end;
}

}  // namespace

int DetectEndByThreshold(const AnalysisContext& context, const AnalysisParams& params,
                         std::span<AnalysisEvent> events, int count) {
  if (count <= 1 || context.points.empty()) return 0;
  for (int i = 0; i < count; ++i) events[static_cast<std::size_t>(i)].endFlag = 0;
  // Behind the noise start a loss is measured on noise, not on fibre: an echo there of a reflection
  // in front of the analysed span (a launch cable's connector) would end the fibre where it never does.
  for (int i = 1; i < InFrontOfNoise(events, count, context.noiseStart); ++i) {
    AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    if (std::fabs(event.loss) > params.endThreshold) {
      event.endFlag = kEndFlag;
      return 1;
    }
  }
  const double tenth = DistanceAt(context.points, 10) - DistanceAt(context.points, 0);
  const int pulse = std::max(10, std::min(lumivane::TruncToInt32(params.pulseWidth / 1000.0 / tenth + 1.0),
                                          static_cast<int>(context.points.size())));
  const EndScan scan{context.points, events, count, context.noiseStart, pulse,
                     std::min(-1.5, 3.0 * context.backscatterSlope), context.reference};
  if (context.noiseStart == static_cast<int>(context.points.size()) - 1) return scan.DecideWithoutNoise();
  return scan.DecideWithNoise();
}

int DetectEndByNoise(const AnalysisContext& context, std::span<AnalysisEvent> events, int count) {
  const std::span<const TracePoint> points = context.points;
  const int n = static_cast<int>(points.size());
  if (n == 0 || count <= 0) return 0;
  const int ns = lumivane::ClampIndex(context.noiseStart, n);
  const double R = context.reference;
  auto inNoise = [&](int i) { return std::fabs(LevelAt(points, i) - R) < kNoiseBand; };
  auto wrapped = [&](int marker) { return ((marker % n) + n) % n; };
  for (int j = InFrontOfNoise(events, count, ns) - 1; j >= 1; --j) {
    AnalysisEvent& event = events[static_cast<std::size_t>(j)];
    if (IsReflective(event) && !IsGhost(event) && (inNoise(event.markers[2]) || inNoise(event.markers[3]))) {
      event.endFlag = kEndFlag;
      return 0;
    }
  }
  // The launch starts the fibre and never ends it: a trace that is noise from its start has its end
  // made up at the noise onset instead.
  for (int j = count - 1; j >= 1; --j) {
    AnalysisEvent& event = events[static_cast<std::size_t>(j)];
    if (event.sampleIndex > ns) continue;
    const int b = wrapped(event.markers[2]);
    const int c = wrapped(event.markers[3]);
    if ((b != 0 && inNoise(b)) || (c != 0 && inNoise(c))) {
      event.endFlag = kEndFlag;
      return 0;
    }
  }
  for (int j = count - 1; j >= 1; --j) {
    AnalysisEvent& event = events[static_cast<std::size_t>(j)];
    if (event.sampleIndex > ns) continue;
    const int b = std::max(wrapped(event.markers[2]), wrapped(event.markers[3]));
    if (b != 0 && b >= ns && LevelAt(points, ns) - R < 8.0) {
      event.endFlag = kEndFlag;
      return 0;
    }
  }
  if (count >= static_cast<int>(events.size())) return 0;
  for (int k = std::max(ns / 2, ns - 100); k < ns; ++k) {
    if (!(LevelAt(points, k) - R < kNoiseBand)) continue;
    bool quiet = true;
    for (int s = k; quiet && s < std::min(k + 8, ns); ++s) quiet = std::fabs(LevelAt(points, s) - R) <= kNoiseBand;
    if (!quiet) continue;
    InsertSyntheticEnd(points, events, count, k);
    return 1;
  }
  // Also here the end goes in front of the events behind it (echoes in the noise), so the list stays
  // ordered by position.
  if (LevelAt(points, ns) - R < kNoiseBand) {
    InsertSyntheticEnd(points, events, count, ns);
    return 1;
  }
  return 0;
}

int PruneAfterEnd(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count) {
  if (count <= 0) return 0;
  int end = -1;
  for (int i = count - 1; i >= 1; --i) {
    if (HasEndFlag(events[static_cast<std::size_t>(i)])) {
      end = i;
      break;
    }
  }
  if (end < 0 || end == count - 1) return count;
  int kept = end + 1;
  for (int j = end + 1; j < count; ++j) {
    const AnalysisEvent event = events[static_cast<std::size_t>(j)];
    bool retain = IsReflective(event);
    if (!retain) {
      int a = events[static_cast<std::size_t>(kept - 1)].markers[2];
      const int b = event.markers[1];
      if (b - a >= kShortWindow) {
        if (b - a > kSlopeWindowCap) a = b - kSlopeWindowCap;
        retain = SectionSlope(points, a, b) > -1.0;
      }
    }
    if (retain) events[static_cast<std::size_t>(kept++)] = event;
  }
  return kept;
}
