#include "analysis/reflective_detection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/line_fit.h"
#include "analysis/robust_spread.h"

namespace {

constexpr double kFirstRiseThreshold = 0.4;  // dB, before the first base level is known
constexpr double kSteepestSlopeLimit = 2.0;  // dB/km: a base creeps forward while flatter than this
constexpr double kLongRangeSlopeLimit = 1.2;
constexpr int kNoiseLookBack = 130;
// Samples in front of a rise that the detection smoothing spreads it over; the noise in front of a
// rise is measured clear of them.
constexpr int kRiseSpread = 30;
constexpr int kWidthLookAhead = 119;
constexpr int kFootNoiseLookBack = 100;  // samples in front of a rise whose steps give its noise
constexpr double kFootNoiseSigmas = 3.0;
constexpr int kFootLineSamples = 20;     // samples in front of a rise whose line gives its foot's level

// Everything the rise evaluation reads; levels relative to the reference decide every threshold.
struct RiseScan {
  std::span<const TracePoint> points;
  std::span<const TracePoint> smoothed;
  double reference;
  int noiseStart;
  int pulseWidth;
  bool longRange;

  double Level(long long i) const { return LevelAt(points, i); }
  // Unclamped reads for the scan's own indices, which always lie inside the trace.
  double LevelIn(int i) const { return points[static_cast<std::size_t>(i)].level; }
  double Smoothed(long long i) const { return LevelAt(smoothed, i); }
  double Distance(long long i) const { return DistanceAt(points, i); }
  double StepSlope(int k) const { return (Level(k + 1) - Level(k)) / (Distance(k + 1) - Distance(k)); }

  // Rise needed after an accepted or rejected rise (table A).
  double ThresholdAfterRise(double baseLevel) const {
    if (baseLevel > reference + 13.0) return longRange ? 0.2 : 0.5;
    if (baseLevel > reference + 5.5) return pulseWidth <= 1000 ? 1.5 : 0.7;
    return 5.0;
  }

  // Rise needed after a rise that failed the noise and width tests (table B).
  double ThresholdAfterNoise(double baseLevel) const {
    if (baseLevel > reference + 10.5) return longRange ? 0.2 : 0.5;
    if (baseLevel > reference + 5.5) return 1.0;
    return 5.0;
  }
};

// Which rule sets the rise a base needs. The base moves on nearly every sample and is rarely
// tested, so the threshold is worked out only when a rise is.
enum class BaseRule { First, AfterRise, AfterNoise };

double RiseThreshold(const RiseScan& scan, BaseRule rule, int base) {
  switch (rule) {
    case BaseRule::AfterRise: return scan.ThresholdAfterRise(scan.LevelIn(base));
    case BaseRule::AfterNoise: return scan.ThresholdAfterNoise(scan.LevelIn(base));
    case BaseRule::First: break;
  }
  return kFirstRiseThreshold;
}

// The two tests the scan makes on each sample j, for 64 samples at a time: whether the step into j
// is flatter than the limit, and whether j lies no lower than the sample before. In noise each test
// is a coin toss that a branch per sample would mispredict half the time; the scan instead finds the
// next sample that ends a run in the bits. The slopes of a word are divided first, exactly as one by
// one, in 256-bit vectors where the processor has them.
struct StepBits {
  std::uint64_t flat = 0;
  std::uint64_t rising = 0;
};

__attribute__((target_clones("avx2", "default"))) StepBits StepBitsFrom(const TracePoint* points, int first,
                                                                        int count, double limit) {
  std::array<double, 64> slopes;
  for (int k = 0; k < count; ++k) {
    const TracePoint& p = points[first + k - 1];
    const TracePoint& q = points[first + k];
    slopes[static_cast<std::size_t>(k)] =
        (static_cast<double>(q.level) - p.level) / (static_cast<double>(q.distance) - p.distance);
  }
  StepBits bits;
  for (int k = 0; k < count; ++k) {
    const TracePoint& p = points[first + k - 1];
    const TracePoint& q = points[first + k];
    bits.flat |= static_cast<std::uint64_t>(slopes[static_cast<std::size_t>(k)] < limit) << k;
    bits.rising |= static_cast<std::uint64_t>(static_cast<double>(q.level) >= p.level) << k;
  }
  return bits;
}

// The scan's runs over samples 1 .. n - 1, read forward only.
class StepScan {
 public:
  StepScan(std::span<const TracePoint> points, double limit)
      : points_(points), n_(static_cast<int>(points.size())), limit_(limit) {}

  // The first sample from j on whose step in is not flat, or n when there is none.
  int FirstSteep(int j) {
    for (; j <= n_ - 1; j = NextWord(j)) {
      const std::uint64_t steep = ~Bits(j).flat >> Offset(j);
      if (steep != 0) return std::min(j + std::countr_zero(steep), n_);
    }
    return n_;
  }

  // The first sample from j on that lies lower than the one before, or the last sample.
  int FirstFall(int j) {
    for (; j < n_ - 1; j = NextWord(j)) {
      const std::uint64_t fall = ~Bits(j).rising >> Offset(j);
      if (fall != 0) return std::min(j + std::countr_zero(fall), n_ - 1);
    }
    return n_ - 1;
  }

 private:
  static int Offset(int j) { return (j - 1) & 63; }
  static int NextWord(int j) { return (((j - 1) >> 6) + 1) * 64 + 1; }

  const StepBits& Bits(int j) {
    const int word = (j - 1) >> 6;
    if (word != word_) {
      word_ = word;
      const int first = word * 64 + 1;
      bits_ = StepBitsFrom(points_.data(), first, std::min(64, n_ - first), limit_);
    }
    return bits_;
  }

  std::span<const TracePoint> points_;
  int n_;
  double limit_;
  int word_ = -1;
  StepBits bits_;
};

// Moves the foot of a steep rise up to the last flat step below its steepest step, so that a slow
// shoulder in front of a reflection does not count as part of its height.
int RefineFoot(const RiseScan& scan, int base, int peak) {
  double steepest = scan.StepSlope(base);
  int steepestAt = base;
  for (int k = base + 1; k < peak - 1; ++k) {
    const double e = scan.StepSlope(k);
    if (e > steepest) {
      steepest = e;
      steepestAt = k;
    }
  }
  const double baseLevel = scan.Level(base);
  for (int k = steepestAt - 1; k >= base; --k) {
    const double e = scan.StepSlope(k);
    const bool flat = (e < steepest / 4 && e < 100.0) || (e < steepest / 8 && e < 200.0) ||
                      (e < steepest / 10 && e < 600.0);
    if (!flat) continue;
    const double above = scan.Level(k + 1) - baseLevel;
    const double fromReference = std::fabs(scan.Level(k + 1) - scan.reference);
    const bool alreadyRisen = (above > 0.5 && fromReference > 12.0) || (above > 1.0 && fromReference > 7.0);
    if (!alreadyRisen) return k + 1;
  }
  return base;
}

// The last sample in front of the rise that still lies at the foot's level within the noise of the
// trace's steps: noise that happens to climb for a few samples in front of a rise is no part of it.
// A base that noise pulled below the line through the samples in front of it is measured from that
// line, so the samples behind it do not look risen. A trace without step noise keeps its
// foot, and no foot climbs a quarter of the rise.
int FootAboveNoise(const RiseScan& scan, int base, int peak) {
  std::vector<double> steps;
  for (int k = std::max(base - kFootNoiseLookBack, 0); k < base; ++k) steps.push_back(scan.Level(k + 1) - scan.Level(k));
  const double rise = scan.Level(peak) - scan.Level(base);
  const double allowance = std::min(kFootNoiseSigmas * RobustSigma(std::move(steps)), rise / 4.0);
  if (!(allowance > 0.0)) return base;
  const int first = std::max(base - kFootLineSamples, 0);
  const double footLevel =
      base - first >= 2 ? LineValueAt(scan.points, first, base, scan.points[static_cast<std::size_t>(base)].distance)
                        : scan.Level(base);
  const double ceiling = std::min(std::max(footLevel, scan.Level(base)) + allowance, scan.Level(base) + rise / 4.0);
  int foot = base;
  while (foot + 1 < peak && scan.Level(foot + 1) <= ceiling) ++foot;
  return foot;
}

// A rise that the base rules do not accept must stand out of the local noise.
bool PassesNoiseTest(const RiseScan& scan, const ReflectiveCandidateList& candidates, int count, int base,
                     int peak) {
  float m = 0.0f;
  if (base > 200) {
    m = MeanAbsDeviation(scan.points, scan.smoothed, base - kNoiseLookBack, base - kRiseSpread);
  } else {
    const int s0 = count > 0 ? candidates[static_cast<std::size_t>(count - 1)].start : 0;
    m = MeanAbsDeviation(scan.points, scan.smoothed, s0 + (base - s0) / 2, base);
  }
  double deviation = m;
  const double baseLevel = scan.Level(base);
  if (baseLevel < scan.reference + 2.0) {
    deviation = std::max(deviation, 1.0);
  } else if (baseLevel < scan.reference + 8.0) {
    deviation = std::max(deviation, 0.5);
  }
  const bool clearOfNoise = base < scan.noiseStart || scan.Level(peak) > scan.reference + 10.5;
  // At the foot of a sharp rise the smoothed trace has taken in part of the rise; the foot lies
  // where the smoothing had not yet reached it, unless the trace lies lower at the foot itself.
  const double foot = std::min(scan.Smoothed(base), scan.Smoothed(base - kRiseSpread));
  const double needed = foot + (clearOfNoise ? 4.0 : 6.0) * deviation;
  return scan.Level(peak) >= needed;
}

// A broad rise near the noise (a wide reflection with a slow fall) is accepted on its width.
bool IsWideRise(const RiseScan& scan, const ReflectiveCandidateList& candidates, int count, int base, int peak,
                int scanIndex, double rise, double threshold) {
  const int n = static_cast<int>(scan.points.size());
  int q0 = std::max(base - 40, 0);
  if (count > 0) {
    const int lastEnd = candidates[static_cast<std::size_t>(count - 1)].end;
    if (q0 < lastEnd + 25) q0 = lastEnd;
  }
  const double lowest = LevelRange(scan.smoothed, std::min(q0, base), base).lowest;
  const double peakLevel = scan.Level(peak);
  if (!(peakLevel < scan.reference + 14.0 && rise > 3.0 && threshold < peakLevel - lowest)) return false;
  const int bound = std::min(scanIndex + kWidthLookAhead, n - 1);
  int k = scanIndex;
  while (k < bound && !(scan.Level(k) < peakLevel - 1.5)) ++k;
  if (k - scanIndex <= 15) return false;
  return !(scan.longRange && scan.Level(base) < scan.reference + 5.0 && peakLevel - scan.reference < 7.0);
}

}  // namespace

int DetectReflectiveCandidates(std::span<const TracePoint> points, std::span<const TracePoint> smoothed,
                               ReflectiveCandidateList& candidates, int& count, float reference,
                               int noiseStart, int pulseWidth, const AnalysisParams& params) {
  candidates[0].kind = 0;
  count = 0;
  const int n = static_cast<int>(points.size());
  if (n < 2 || smoothed.size() < points.size()) return 1;
  const RiseScan scan{points, smoothed, reference, noiseStart, pulseWidth, IsLongRange(params.range)};
  const double R = reference;
  const double slopeLimit = scan.longRange ? kLongRangeSlopeLimit : kSteepestSlopeLimit;
  StepScan steps(points, slopeLimit);
  BaseRule rule = BaseRule::First;
  int b = 0;
  int j = 1;
  while (j <= n - 1) {
    // Here j = b + 1. Each flat step into j moves the base onto j; the first steep one starts a
    // rise, which climbs while the level does not fall.
    const int steep = steps.FirstSteep(j);
    if (steep > n - 1) break;
    if (steep > j) {
      b = steep - 1;
      rule = BaseRule::AfterRise;
      j = steep;
    }
    j = steps.FirstFall(j);
    const int p = j - 1;
    double rise = scan.Level(p) - scan.Level(b);
    if (count >= 2 && b - candidates[static_cast<std::size_t>(count - 1)].start > 30 &&
        scan.Level(b) > R + 2.0 && scan.Level(b) < R + 6.5) {
      rise = scan.Level(p) - LevelRange(points, b - 19, b).highest;
    }
    const double threshold = RiseThreshold(scan, rule, b);
    const bool rejected = !(rise > threshold) || (b > 10 && scan.Level(b) < R && scan.Level(b) + rise < R + 20.0);
    if (!rejected) {
      if (p - b > 3) {
        rise = scan.Level(p) - scan.Level(b);
        if (rise > 1.5) b = RefineFoot(scan, b, p);
      }
      const double base = scan.Level(b);
      const double peak = scan.Level(p);
      bool accept = base >= R + 10.0 || b <= 20 || (base > R + 5.0 && std::fabs(peak - base) > 5.0) || peak > R + 14.0;
      if (!accept) accept = PassesNoiseTest(scan, candidates, count, b, p);
      if (!accept && !IsWideRise(scan, candidates, count, b, p, j, rise, threshold)) {
        b = j++;
        rule = BaseRule::AfterNoise;
        continue;
      }
      const int foot = FootAboveNoise(scan, b, p);
      candidates[static_cast<std::size_t>(count)] =
          ReflectiveCandidate{0, foot, p, p, static_cast<float>(scan.Distance(foot))};
      if (++count == kMaxReflectiveCandidates) return 1;
    }
    b = j++;
    rule = BaseRule::AfterRise;
  }
  return 1;
}

int AbsorbWeakCandidates(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                         int pulseWidth, float reference) {
  if (count < 2) return count;
  auto height = [&](const ReflectiveCandidate& c) { return LevelAt(points, c.peak) - LevelAt(points, c.start); };
  const double reach = 1.5 * PulseLengthKm(pulseWidth);
  ReflectiveCandidateList kept{};
  int keptCount = 0;
  int p = 0;
  while (p < count) {
    ReflectiveCandidate& last = kept[static_cast<std::size_t>(keptCount++)];
    last = candidates[static_cast<std::size_t>(p)];
    int q = p + 1;
    if (std::fabs(height(last)) > 3.5) {
      for (; q < count; ++q) {
        const ReflectiveCandidate& echo = candidates[static_cast<std::size_t>(q)];
        const double limit = LevelAt(points, echo.start) > reference + 20.0 ? 0.5 : 1.0;
        const bool near = DistanceAt(points, echo.start) - DistanceAt(points, last.start) < reach;
        if (!near || !(std::fabs(height(echo)) < limit)) break;
        if (LevelAt(points, echo.peak) > LevelAt(points, last.peak)) last.peak = echo.peak;
      }
    }
    p = q;
  }
  std::copy_n(kept.begin(), kMaxReflectiveCandidates, candidates.begin());
  return keptCount;
}

int MergeDeadZoneCandidates(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                            int pulseWidth) {
  if (count < 2) return count;
  const double deadZone = pulseWidth * 1.2 / 10000.0;
  ReflectiveCandidateList kept{};
  kept[0] = candidates[0];
  int keptCount = 1;
  for (int i = 1; i < count; ++i) {
    const ReflectiveCandidate& c = candidates[static_cast<std::size_t>(i)];
    if (DistanceAt(points, c.start) < deadZone) {
      ReflectiveCandidate& last = kept[static_cast<std::size_t>(keptCount - 1)];
      if (LevelAt(points, c.peak) > LevelAt(points, last.peak)) last.peak = c.peak;
      last.end = c.end;
    } else {
      kept[static_cast<std::size_t>(keptCount++)] = c;
    }
  }
  std::copy_n(kept.begin(), kMaxReflectiveCandidates, candidates.begin());
  return keptCount;
}
