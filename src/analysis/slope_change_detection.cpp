#include "analysis/slope_change_detection.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/slope_departure.h"

namespace {

constexpr int kMinimumGap = 20;        // samples: shorter gaps hold no slope change
constexpr int kCrowdedCount = 190;     // past this many finds only clearer steps are added
constexpr int kWindowCap = 200;        // least-squares windows span at most 201 samples
constexpr int kCloseGap = 20;          // events closer than this share their gap as windows
constexpr int kVirtualEventDistance = 100;
// A run is one step when one pulse length of it holds at least this share of its change.
constexpr double kStepShare = 0.5;
// Pulse lengths of trace each side that place a step.
constexpr int kPlacementPulses = 3;

// Pulse length in samples for the slope-change scan, at least 5.
int ScanPulseSamples(std::span<const TracePoint> points, int pulseWidth) {
  const double w0 = pulseWidth >= 30 ? pulseWidth / 10.0 / 1000.0 : 0.004;
  const int samples = lumivane::TruncToInt32(w0 / SampleSpacing(points));
  return std::max(5, std::min(samples, static_cast<int>(points.size())));
}

// Step in the level that counts as "flattened again" at this height above the reference.
double FlattenedAllowance(double level, double reference) {
  if (level > reference + 33.0) return 0.1;
  if (level > reference + 22.0) return 0.2;
  if (level > reference + 10.0) return 0.5;
  if (level > reference + 9.0) return 0.8;
  return 1.2;
}

// The local noise a step must exceed; smaller where the trace lies well above the reference.
double NoiseAllowance(const NoiseWindowTable& noiseWindows, int sample, double level, double reference,
                      int found) {
  double a = noiseWindows.At(sample);
  const double above = std::fabs(level - reference);
  if (above > 12.0) {
    a = std::min(a, 0.02);
  } else if (above > 10.0) {
    a = std::min(a, 0.04);
  } else if (above > 8.0) {
    a = std::min(a, 0.13);
  } else if (above > 7.0) {
    a = std::min(a, 0.2);
  }
  const double d = found > kCrowdedCount ? 2.0 * a + 0.1 : 1.5 * a;
  return std::max(d, 0.01);
}

// Power the receiver saw at sample i, on the trace's 5·log10 scale: a step spreads evenly over a
// pulse length in power, however deep it falls in dB.
double PowerAt(std::span<const TracePoint> points, long long i) { return PowerOfLevel(LevelAt(points, i)); }

// A step placed in a run: where it starts and the loss the trace shows across it.
struct PlacedStep {
  int at = 0;
  double loss = 0.0;
};

// Where in the run [s, o] the level steps by the most between the stretches a few pulse lengths
// wide on either side of one `transition`: noise correlated over a pulse moves the steepest single
// pulse length around, the means over several pulse lengths far less. The stretches are as wide
// as the gap [from, to] allows on both sides alike, so the fibre's slope `bs` (dB/km) adds the same
// to every place and is taken off the loss; none when the gap leaves less than one pulse length
// each side.
std::optional<PlacedStep> StepPlacement(std::span<const TracePoint> points, int s, int o, int transition,
                                        int from, int to, double sign, double bs) {
  const int width = std::min({kPlacementPulses * transition, s - from, to - o});
  const int last = o - transition;
  if (width < transition || last < s) return std::nullopt;
  const int begin = s - width;
  std::vector<double> sum(static_cast<std::size_t>(o + width - begin + 2), 0.0);
  for (int i = begin; i <= o + width; ++i) {
    sum[static_cast<std::size_t>(i - begin + 1)] = sum[static_cast<std::size_t>(i - begin)] + LevelAt(points, i);
  }
  auto total = [&](int a, int b) {  // levels a..b-1
    return sum[static_cast<std::size_t>(b - begin)] - sum[static_cast<std::size_t>(a - begin)];
  };
  PlacedStep placed{s, -HUGE_VAL};
  for (int k = s; k <= last; ++k) {
    const double step = sign * (total(k - width, k) - total(k + transition + 1, k + transition + 1 + width));
    if (step > placed.loss) placed = {k, step};
  }
  placed.loss = sign * placed.loss / width + bs * (width + transition + 1) * SampleSpacing(points);
  return placed;
}

// The run [s, o] less what the stretch slopes reach beyond the change. Where the noise decides, a
// run may last well beyond its change, and a weak change departs only once the stretch takes in
// most of it: a step starts where the power drops (or rises) most over one `transition` (a pulse
// length), and the run keeps at least that transition and what the stretch leaves of it behind,
// so the loss windows at its ends start outside the change. A long fall is no step: its run keeps
// where it departs. A run the slopes alone decide starts at its step only where the trace shows a
// loss beyond `allowance` there and the steepest pulse length lies within a pulse length of it; its
// end stays. The run stays within the gap [from, to].
std::pair<int, int> TrimmedRun(std::span<const TracePoint> points, int s, int o, const SlopeDeparture& departure,
                               int transition, int from, int to, double bs, double allowance) {
  const int reachStart = departure.StretchReach(s);
  const int reachEnd = departure.StretchReach(o);
  const bool stretched = reachStart != 0 || reachEnd != 0;
  const std::pair<int, int> whole{s + reachStart, std::max(o - reachEnd, s + reachStart + 1)};
  if (o - s <= transition) {
    if (!stretched) return whole;
    const int first = std::clamp((s + o - transition) / 2, from, s);
    return {first, std::max(std::min(first + transition, to), first + 1)};
  }
  const double change = PowerAt(points, s) - PowerAt(points, o);
  const double sign = change >= 0.0 ? 1.0 : -1.0;
  int best = s;
  double bestDrop = -HUGE_VAL;
  for (int k = s; k + transition <= o; ++k) {
    const double drop = sign * (PowerAt(points, k) - PowerAt(points, k + transition));
    if (drop > bestDrop) {
      bestDrop = drop;
      best = k;
    }
  }
  if (bestDrop < kStepShare * sign * change) return whole;
  const std::optional<PlacedStep> placed = StepPlacement(points, s, o, transition, from, to, sign, bs);
  if (!stretched) {
    const bool clear = placed && std::fabs(placed->loss) > allowance && std::abs(placed->at - best) <= transition;
    return clear ? std::pair{placed->at, o} : whole;
  }
  const int at = placed ? placed->at : best;
  return {at, std::max(at + transition, o - reachEnd)};
}

AnalysisEvent EventFromSlopeChange(const SlopeChangeCandidate& change) {
  AnalysisEvent event{};
  event.type = kEventNonReflective;
  event.position = change.startPosition;
  event.sampleIndex = event.startIndex = event.peakIndex = change.start;
  event.endIndex = change.end;
  std::copy(std::begin(change.markers), std::end(change.markers), event.markers);
  return event;
}

AnalysisEvent EventFromCandidate(std::span<const TracePoint> points, const ReflectiveCandidate& candidate,
                                 bool launch) {
  AnalysisEvent event{};
  event.type = launch ? kEventLaunch : kEventReflective;
  event.position = static_cast<float>(DistanceAt(points, candidate.start));
  event.sampleIndex = event.startIndex = candidate.start;
  event.peakIndex = candidate.peak;
  event.endIndex = candidate.end;
  event.markers[1] = candidate.start;
  event.markers[2] = candidate.end;
  return event;
}

}  // namespace

int DetectSlopeChanges(std::span<const TracePoint> points, int from, int to,
                       std::span<SlopeChangeCandidate> output, std::span<const SlopeSample> slopes,
                       float backscatterSlope, int foundSoFar, double wavelength, int pulseWidth,
                       float reference, const NoiseWindowTable& noiseWindows) {
  if (foundSoFar >= kMaxSlopeChangeCandidates || to - from < kMinimumGap || points.size() < 2) return 0;
  const int p = ScanPulseSamples(points, pulseWidth);
  const double dx = SampleSpacing(points);
  const int minLength = dx > 0.003 ? 5 * p : lumivane::TruncToInt32(3.5 * p);
  double bs = backscatterSlope;
  double tolerance = 0.2;
  if (IsListedWavelength(wavelength)) {
    if (std::fabs(bs) > 0.8) bs = 0.0;
    tolerance = 0.1;
  }
  const int e = to - 3;
  int i = from + 5;
  // The scan never reaches past `to`; slopes that no smoothing pass wrote read as 0 (the array is
  // value-initialised), and a short slope array reads as flat.
  const SlopeDeparture departure(points, slopes, from, to, bs, tolerance, pulseWidth, reference);
  const int transition =
      std::clamp(lumivane::TruncToInt32(PulseLengthKm(pulseWidth) / dx), 1, static_cast<int>(points.size()));
  auto level = [&](long long i) { return LevelAt(points, i); };
  int added = 0;
  while (i < e) {
    if (!departure.Departs(i)) {
      ++i;
      continue;
    }
    const int s = i;
    int o = i + 1;
    while (departure.Continues(s, o) && o < e) {
      const double flatStep = FlattenedAllowance(level(o), reference);
      const double far = std::fabs(level(o) - level(o + p));
      const double half = std::fabs(level(o + p / 2) - level(o + p));
      if (std::fabs(level(o) - level(s)) > 0.5 && o - s > minLength && far < flatStep && far < 1.1 * half) {
        o = std::min(o + p / 2, e - 1);
        break;
      }
      ++o;
    }
    o = std::min(o + 4, e);
    const double excess = (level(s) - level(o)) + bs * (DistanceAt(points, o) - DistanceAt(points, s));
    const double allowance = NoiseAllowance(noiseWindows, s, level(s), reference, foundSoFar + added);
    if (o - s > 10 && std::fabs(excess) > allowance && added < static_cast<int>(output.size())) {
      const auto [first, last] = TrimmedRun(points, s, o, departure, transition, from, e, bs, allowance);
      output[static_cast<std::size_t>(added)] =
          SlopeChangeCandidate{first, last, static_cast<float>(DistanceAt(points, first)), {0, first, last, 0, 0}};
      if (foundSoFar + ++added >= kMaxSlopeChangeCandidates) return added;
    }
    i = o + 1;
  }
  return added;
}

int BuildEventList(std::span<const TracePoint> points, const ReflectiveCandidateList& candidates,
                   int candidateCount, std::span<const SlopeChangeCandidate> slopeChanges,
                   std::span<AnalysisEvent> events) {
  candidateCount = std::clamp(candidateCount, 0, kMaxReflectiveCandidates);
  const int capacity = static_cast<int>(events.size());
  const int changeCount = static_cast<int>(slopeChanges.size());
  int e = 0;
  int k = 0;
  for (int j = 0; j <= candidateCount; ++j) {
    const ReflectiveCandidate& candidate = candidates[static_cast<std::size_t>(j)];
    for (; k < changeCount && slopeChanges[static_cast<std::size_t>(k)].end <= candidate.start; ++k) {
      if (e < capacity) events[static_cast<std::size_t>(e++)] = EventFromSlopeChange(slopeChanges[static_cast<std::size_t>(k)]);
    }
    if (j == candidateCount) break;
    if (e < capacity) events[static_cast<std::size_t>(e++)] = EventFromCandidate(points, candidate, j == 0);
  }
  return e;
}

int SetLsaMarkers(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count) {
  if (count <= 0) return 0;
  const int n = static_cast<int>(points.size());
  const int lastEnd = events[static_cast<std::size_t>(count - 1)].endIndex;
  // A virtual event behind the last one bounds its right window.
  int virtualStart = lastEnd;
  if (lastEnd + kVirtualEventDistance < n - 20) {
    virtualStart = lastEnd + kVirtualEventDistance;
  } else if (lastEnd < n - 20) {
    virtualStart = n - 20;
  }
  for (int i = 0; i < count; ++i) {
    AnalysisEvent& event = events[static_cast<std::size_t>(i)];
    int* m = event.markers;
    if (i == 0) {
      m[0] = m[1] = 0;
    } else {
      const int previousEnd = events[static_cast<std::size_t>(i - 1)].endIndex;
      const int gap = event.startIndex - previousEnd;
      if (gap == 0) {
        m[0] = m[1] = event.startIndex;
      } else if (gap < kCloseGap) {
        m[0] = previousEnd;
        m[1] = event.startIndex;
      } else {
        m[0] = (previousEnd + event.startIndex) / 2 + 1;
        m[1] = event.startIndex - 3;
        if (m[1] - m[0] > kWindowCap) m[0] = m[1] - kWindowCap;
      }
    }
    const bool last = i == count - 1;
    const int nextStart = last ? virtualStart : events[static_cast<std::size_t>(i + 1)].startIndex;
    const int nextIndex = last ? virtualStart : events[static_cast<std::size_t>(i + 1)].sampleIndex;
    const int gap = nextStart - event.endIndex;
    if (gap == 0) {
      m[2] = m[3] = event.endIndex;
    } else if (gap < kCloseGap) {
      m[2] = event.endIndex;
      m[3] = nextStart;
    } else {
      m[2] = event.endIndex + 3;
      m[3] = (event.endIndex + nextIndex) / 2 - 1;
      if (m[3] - m[2] > kWindowCap) m[3] = m[2] + kWindowCap;
    }
    const bool reflection = i == 0 || event.type == kEventEnd || event.type == kEventReflective;
    m[4] = reflection ? FlatTopCentre(points, event.startIndex, event.peakIndex) : 0;
  }
  return 1;
}
