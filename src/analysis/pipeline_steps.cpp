#include "analysis/pipeline_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "analysis/analysis_terms.h"
#include "analysis/line_fit.h"
#include "platform/saturate.h"

namespace {

constexpr double kLaunchMergeKm = 0.0015;
constexpr double kLaunchDeadZonePulses = 1.5;
// A launch reflection has fallen by this much three pulse lengths behind sample 0, however it is shaped.
constexpr double kLaunchProbePulses = 3.0;
constexpr double kLaunchReflectionDb = 0.5;
constexpr double kQuietNoise = 0.005;  // dB of mean smoothing residual
constexpr double kStrongNoise = 0.05;
constexpr double kLaunchLevelMargin = 5.0;    // dB above the reference
constexpr double kLaunchLevelSlope = 0.2;     // dB/km back to distance 0
constexpr double kPairReflectanceGap = 25.0;  // dB
constexpr double kPairLevelGap = 3.0;         // dB
constexpr double kShortRangeKm = 6.0;
constexpr int kShortRangeMinPulseNs = 10;

}  // namespace

int InsertLaunchCandidate(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                          int pulseWidth, int dataSpacing) {
  if (count < 1 || candidates[0].start == 0 || points.empty()) return count;
  // A data spacing below 1 (sub-centimetre, or damaged) must not divide by zero.
  const std::int64_t k = (static_cast<std::int64_t>(pulseWidth) + 10) * 6 / std::max(dataSpacing, 1);
  const int firstStart = candidates[0].start;
  const int end = firstStart <= k ? firstStart - 1 : static_cast<int>(std::max<std::int64_t>(k, 0));
  const int newCount = std::min(count + 1, kMaxReflectiveCandidates);
  std::copy_backward(candidates.begin(), candidates.begin() + newCount - 1, candidates.begin() + newCount);
  candidates[0] = ReflectiveCandidate{0, 0, 0, end, points[0].distance};
  return newCount;
}

bool EndLaunchWithoutReflection(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                                int pulseWidth, float backscatterSlope) {
  const int n = static_cast<int>(points.size());
  if (count < 1 || n < 2 || candidates[0].start != 0) return false;
  ReflectiveCandidate& launch = candidates[0];
  const double pulseSamples = pulseWidth / 10.0 / (SampleSpacing(points) * 1000.0);
  const int next = count > 1 ? candidates[1].start : n - 1;
  const int deadZoneEnd = std::clamp(std::min(lumivane::TruncToInt32(kLaunchDeadZonePulses * pulseSamples), next), 1, n - 1);
  const int probe = std::clamp(std::min(lumivane::TruncToInt32(kLaunchProbePulses * pulseSamples), next), deadZoneEnd, n - 1);
  const int highest = HighestSample(points, 0, deadZoneEnd + 1);
  // What the trace falls from its highest level to the probe, beyond what the fibre loses on the way.
  const double fall = LevelAt(points, highest) - LevelAt(points, probe) +
                      backscatterSlope * (DistanceAt(points, probe) - DistanceAt(points, highest));
  if (fall >= kLaunchReflectionDb) return false;
  launch.end = std::min(launch.end, deadZoneEnd);
  return true;
}

void FindLaunchPeak(ReflectiveCandidate& launch, std::span<const TracePoint> raw) {
  const int last = std::min(launch.end, static_cast<int>(raw.size()));
  if (launch.start < 0 || launch.start >= last) return;
  launch.peak = HighestSample(raw, launch.start, last);
}

int AnchorLaunchCandidate(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> raw) {
  if (count < 1 || raw.empty()) return count;
  ReflectiveCandidate& launch = candidates[0];
  if (launch.start > 0) {
    launch.start = 0;
    launch.startPosition = raw[0].distance;
  }
  if (count < 2 ||
      static_cast<double>(candidates[1].startPosition) - launch.startPosition >= kLaunchMergeKm) {
    return count;
  }
  if (LevelAt(raw, candidates[1].peak) > LevelAt(raw, launch.peak)) launch.peak = candidates[1].peak;
  launch.end = candidates[1].end;
  std::copy(candidates.begin() + 2, candidates.begin() + count, candidates.begin() + 1);
  return count - 1;
}

NoiseOnsets MeasureNoiseWindows(std::span<const TracePoint> points, std::span<const TracePoint> raw,
                                NoiseWindowTable& table) {
  const int n = static_cast<int>(std::min(points.size(), raw.size()));
  const int length = std::max(table.windowLength, 1);
  // Sized from the trace, so a trace longer than the usual maximum cannot overrun the table.
  table.values.assign(static_cast<std::size_t>((n + length - 1) / length), 0.0f);
  NoiseOnsets onsets;
  for (int k = 0; k < static_cast<int>(table.values.size()); ++k) {
    const int s = k * length;
    const int e = s + length < n ? s + length : n - 1;
    const float value = MeanAbsDeviation(points, raw, s, e);
    table.values[static_cast<std::size_t>(k)] = value;
    // The window at sample 0 holds the launch, whose residual says nothing about noise.
    if (s == 0) continue;
    if (onsets.quiet == 0 && value > kQuietNoise) onsets.quiet = s;
    if (onsets.noisy == 0 && value > kStrongNoise) onsets.noisy = s;
  }
  return onsets;
}

float LaunchLevel(std::span<const TracePoint> points, const AnalysisEvent& launch, int count, double reference,
                  float backscatterIntercept) {
  if (count <= 1 || points.empty()) return backscatterIntercept;
  // The gap-smoothed points, like the losses computed just before from them.
  const double level = LevelAt(points, launch.markers[2]);
  if (level <= reference + kLaunchLevelMargin) return backscatterIntercept;
  return static_cast<float>(level + kLaunchLevelSlope * DistanceAt(points, launch.markers[2]));
}

int MergeCloseReflectivePairs(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count,
                              int pulseWidth) {
  if (raw.size() < 2) return count;
  const double spacingMetres = SampleSpacing(raw) * 1000.0;
  const int k = std::max(lumivane::TruncToInt32(pulseWidth / 10.0 / spacingMetres), 3);
  int j = 1;
  while (j + 1 < count) {
    AnalysisEvent& a = events[static_cast<std::size_t>(j)];
    const AnalysisEvent& b = events[static_cast<std::size_t>(j + 1)];
    // Both levels from the raw copy, like the reflectances they are judged with.
    const bool merge = a.type == kEventReflective && b.type == kEventReflective &&
                       std::fabs(b.reflectance) - std::fabs(a.reflectance) > kPairReflectanceGap &&
                       static_cast<std::int64_t>(b.markers[0]) - a.markers[3] < k &&
                       LevelAt(raw, b.markers[4]) < LevelAt(raw, a.markers[0]) + kPairLevelGap;
    if (!merge) {
      ++j;
      continue;
    }
    if (b.endFlag == kEndFlag) a.endFlag = kEndFlag;
    a.markers[2] = b.markers[2];
    a.markers[3] = b.markers[3];
    std::copy(events.begin() + j + 2, events.begin() + count, events.begin() + j + 1);
    --count;
  }
  return count;
}

int DropShortRangeNonReflective(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                                const AnalysisParams& params) {
  if (!(params.range < kShortRangeKm) || params.pulseWidth <= kShortRangeMinPulseNs || points.size() < 2) {
    return count;
  }
  const double spacingMetres = SampleSpacing(points) * 1000.0;
  const int k2 = std::max(lumivane::TruncToInt32(params.pulseWidth * 8.0 / 10.0 / spacingMetres), 4);
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    const bool drop = e.type == kEventNonReflective && e.endFlag != kEndFlag &&
                      static_cast<std::int64_t>(e.markers[2]) > static_cast<std::int64_t>(e.sampleIndex) + k2;
    if (!drop) events[static_cast<std::size_t>(kept++)] = e;
  }
  return kept;
}

int ApplyEndResults(std::span<const AnalysisEvent> events, int count, AnalysisParams& params) {
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    if (e.endFlag != kEndFlag) continue;
    params.endLossResult = lumivane::RoundToInt32(e.cumulativeLoss * 1000.0);
    params.endPositionResult = lumivane::TruncToInt32(e.position * 1000.0);
    return params.cutAfterEnd != 0 ? i + 1 : count;
  }
  return count;
}

void ComputeSectionAttenuations(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count) {
  if (count <= 0) return;
  events[0].position = 0.0f;
  if (points.empty()) return;
  for (int i = 1; i < count; ++i) {
    AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    const AnalysisEvent& before = events[static_cast<std::size_t>(i - 1)];
    const double sectionKm = DistanceAt(points, e.sampleIndex) - DistanceAt(points, before.sampleIndex);
    // Two events on one sample (an end inserted beside an event) have no section between them.
    const double attenuation =
        sectionKm != 0.0 ? (e.cumulativeLoss - before.cumulativeLoss - before.loss) / sectionKm : 0.0;
    e.attenuation = std::isfinite(attenuation) ? static_cast<float>(attenuation) : 0.0f;
  }
}
