// Trailing edges of the reflective candidates, the launch in front of the list and the pruning of
// weak candidates near the noise.
#include <algorithm>
#include <cmath>

#include "analysis/analysis_terms.h"
#include "analysis/event_list_helpers.h"
#include "analysis/reflective_detection.h"

namespace {

constexpr double kLaunchSynthesisReach = 0.0014;  // km: a first candidate further out needs a launch

// Reads the falling edge of one candidate and decides where it has settled onto the backscatter.
struct EdgeScan {
  std::span<const TracePoint> points;
  std::span<const TracePoint> raw;
  double reference;
  double dx;
  int pulseSamples;  // P
  int pulseWidth;
  double wavelength;
  double backscatterSlope;

  double Level(long long i) const { return LevelAt(points, i); }

  // True when the edge has settled at c; `advance` is how far past c the end then lies.
  bool Settled(long long c, int candidateIndex, double height, long long& advance) const {
    const double R = reference;
    double slopeA = 0.0, slopeB = 0.0;
    if (DistanceAt(points, 10) - DistanceAt(points, 0) < 0.007) {
      const int t = lumivane::TruncToInt32(0.003 / dx);
      slopeA = SectionSlope(points, Index(c), Index(c + 2LL * t));
      slopeB = SectionSlope(raw, Index(c), Index(c + 2LL * t));
    } else {
      slopeA = SectionSlope(points, Index(c), Index(c + 12));
      slopeB = SectionSlope(raw, Index(c), Index(c + 22));
    }
    const double level = Level(c);
    long long w = pulseSamples;
    if (level > R + 22.0) {
      w = std::min(pulseSamples, 35);
    } else if (level > R + 16.0) {
      w = std::min(pulseSamples, 50);
    }
    if (std::fabs(level - R) < 12.0) w = 2LL * pulseSamples;
    const bool finePulse = candidateIndex != 0 && pulseWidth >= 30 && pulseWidth <= 300 && dx < 0.0007;
    if (finePulse && std::fabs(height) > 8.0) w *= 2;
    const double spread = LevelRange(points, c, c + w).Spread();
    if (std::fabs(height) > 10.0 && candidateIndex > 0) {
      const double k = pulseWidth / 10.0 / (dx * 1000.0) * 3.0;
      if (k > static_cast<double>(w)) w = lumivane::TruncToInt32(k);
    }
    const double halfDrop = std::fabs(Level(c + w / 2) - Level(c + w));
    const double wholeDrop = std::fabs(level - Level(c + w));
    double thr = level > R + 33.0 ? 0.1 : level > R + 22.0 ? 0.2 : level > R + 9.0 ? 0.3 : 0.8;
    bool flag = true;
    if (finePulse && std::fabs(height) >= 8.0) {
      flag = std::fabs(slopeA) < 5.0 && std::fabs(slopeB) < 5.0;
      thr /= 2.0;
    }
    if (IsListedWavelength(wavelength)) {
      // Flat fits settle the edge on their own; the spread rule also needs the short-pulse slope
      // check and a fall that has stopped over the second half of the window.
      const bool flatFits = std::fabs(slopeA) < 0.5 && std::fabs(slopeB) < 0.5;
      const bool quiet = spread < thr && flag && (1.1 * halfDrop > wholeDrop || std::fabs(wholeDrop - halfDrop) < thr / 2);
      advance = w;
      return flatFits || quiet;
    }
    // The multimode bands: the edge has settled once it runs along the steeper multimode backscatter.
    const double bs = backscatterSlope;
    const bool onBackscatter = std::fabs(slopeA - bs) < 0.3 && std::fabs(slopeB - bs) < 0.3;
    const double allowance = bs * (DistanceAt(points, pulseSamples) - DistanceAt(points, 0)) + thr;
    advance = 12;
    return onBackscatter || spread < allowance;
  }

  int Index(long long i) const { return lumivane::ClampIndex(i, static_cast<int>(points.size())); }
};

// Samples of the trailing edge behind the peak: those above the threshold, then those still falling.
int TrailingEdgeLength(std::span<const TracePoint> points, int peak, int end, double threshold) {
  int length = 0;
  int k = peak + 1;
  while (k <= end - 1 && LevelAt(points, k) > threshold) {
    ++length;
    ++k;
  }
  while (k <= end - 1 && LevelAt(points, k) < LevelAt(points, k - 1)) {
    ++length;
    ++k;
  }
  return length;
}

// Launch in front of a first candidate that starts away from the front panel: from the highest of the
// first samples to where the trace has fallen and runs flat.
ReflectiveCandidate SynthesiseLaunch(std::span<const TracePoint> points, int firstStart) {
  const int peak = HighestSample(points, 0, std::min(firstStart, 30));
  int c = peak + 1;
  while (c < firstStart) {
    if (LevelAt(points, c) <= LevelAt(points, peak) - 0.1 && std::fabs(SectionSlope(points, c, c + 6)) < 0.5) {
      c = std::min(c + 6, firstStart - 1);
      break;
    }
    ++c;
  }
  c = std::min(c, firstStart - 1);
  return ReflectiveCandidate{0, 0, peak, c, static_cast<float>(DistanceAt(points, 0))};
}

}  // namespace

int FindReflectiveEnds(std::span<const TracePoint> points, ReflectiveCandidateList& candidates, int count,
                       float reference, int noiseStart, std::span<const TracePoint> raw, int pulseWidth,
                       double wavelength, float backscatterSlope) {
  const int n = static_cast<int>(points.size());
  if (n < 2 || count <= 0) return 1;
  count = std::min(count, kMaxReflectiveCandidates);
  const double dx = SampleSpacing(points);
  const double w0 = pulseWidth >= 30 ? pulseWidth / 10.0 / 1000.0 : 0.004;
  int pulseSamples = std::max(5, std::min(lumivane::TruncToInt32(w0 / dx), n));
  if (dx > 0.003) pulseSamples *= 2;
  const double dxm = dx * 1000.0;
  const EdgeScan scan{points, raw, reference, dx, pulseSamples, pulseWidth, wavelength, backscatterSlope};

  for (int i = 0; i < count; ++i) {
    ReflectiveCandidate& candidate = candidates[static_cast<std::size_t>(i)];
    const long long next = candidates[static_cast<std::size_t>(i) + 1].start;
    if (candidate.start >= noiseStart) {
      const long long limit = i == count - 1 ? n : next;
      long long c = candidate.peak + 1LL;
      while (c < n && c < limit && LevelAt(raw, c) >= reference + 0.5) ++c;
      candidate.end = static_cast<int>(std::min<long long>(c, n - 1));
      continue;
    }
    const double height = scan.Level(candidate.peak) - scan.Level(candidate.start);
    const double peakLevel = scan.Level(candidate.peak);
    const double drop = (i == 0 && pulseWidth >= 2500) ? 0.2 : 0.5;
    long long c = lumivane::TruncToInt32(candidate.start + 1.5 * pulseWidth / 10.0 / dxm);
    c = std::max<long long>(c, candidate.peak + 1LL);
    c = std::min(c, next);
    while (c < next && c < n - 1) {
      if (scan.Level(c) > peakLevel - drop) {
        ++c;
        continue;
      }
      if (c + 19 > n - 1) break;
      long long advance = 0;
      if (scan.Settled(c, i, height, advance)) {
        c = std::min(c + advance, next - 1);
        break;
      }
      ++c;
    }
    candidate.end = static_cast<int>(std::clamp<long long>(c, 0, n - 1));
  }
  return 1;
}

int FilterReflectiveCandidates(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                               std::span<const TracePoint> raw, float reference) {
  if (count <= 0 || points.size() < 2) return count;
  count = std::min(count, kMaxReflectiveCandidates);
  const double R = reference;
  const int reach = std::max(1, lumivane::TruncToInt32(kLaunchSynthesisReach / SampleSpacing(points)));
  ReflectiveCandidateList kept{};
  int keptCount = 0;
  const bool synthesise = candidates[0].start > reach;
  if (synthesise) kept[static_cast<std::size_t>(keptCount++)] = SynthesiseLaunch(points, candidates[0].start);
  for (int i = 0; i < count; ++i) {
    const ReflectiveCandidate& c = candidates[static_cast<std::size_t>(i)];
    bool keep = i == 0 && !synthesise;
    if (!keep) {
      const double start = LevelAt(points, c.start);
      const double peak = LevelAt(points, c.peak);
      const double height = peak - start;
      const int edge = std::max(TrailingEdgeLength(points, c.peak, c.end, peak - height / 3.0),
                                TrailingEdgeLength(raw, c.peak, c.end, LevelAt(raw, c.peak) - height / 4.0));
      keep = start > R + 11.0 || (peak > R + 11.0 && height > 1.0) || edge >= (start < R + 7.0 ? 4 : 3);
    }
    // The synthesised launch can make the list one longer than it holds: the last candidate falls off.
    if (keep && keptCount < kMaxReflectiveCandidates) kept[static_cast<std::size_t>(keptCount++)] = c;
  }
  std::copy_n(kept.begin(), kMaxReflectiveCandidates, candidates.begin());
  return keptCount;
}

int MergeNoiseFloorCandidates(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> raw,
                              int noiseStart, float reference) {
  if (count < 2) return count;
  count = std::min(count, kMaxReflectiveCandidates);
  const double R = reference;
  auto nearReference = [&](long long i) { return std::fabs(LevelAt(raw, i) - R) < 0.1; };
  ReflectiveCandidateList kept{};
  kept[0] = candidates[0];
  int keptCount = 1;
  for (int p = 1; p < count; ++p) {
    const ReflectiveCandidate& c = candidates[static_cast<std::size_t>(p)];
    const ReflectiveCandidate& previous = candidates[static_cast<std::size_t>(p - 1)];
    bool absorb = c.start < noiseStart && nearReference(c.start) && nearReference(previous.end) &&
                  LevelAt(raw, previous.peak) > LevelAt(raw, c.peak) + 2.0 &&
                  LevelAt(raw, c.end) > LevelAt(raw, c.peak) - 5.0;
    for (int k = previous.end; absorb && k < c.start; ++k) absorb = std::fabs(LevelAt(raw, k) - R) <= 0.1;
    if (absorb) {
      kept[static_cast<std::size_t>(keptCount - 1)].end = c.end;
    } else {
      kept[static_cast<std::size_t>(keptCount++)] = c;
    }
  }
  std::copy_n(kept.begin(), kMaxReflectiveCandidates, candidates.begin());
  return keptCount;
}
