#include "analysis/analysis_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <utility>

#include "analysis/analysis_terms.h"
#include "analysis/backscatter_estimate.h"
#include "analysis/event_filters.h"
#include "analysis/event_levels.h"
#include "analysis/event_loss.h"
#include "analysis/fall_into_noise.h"
#include "analysis/ghosts_and_end.h"
#include "analysis/level_shift.h"
#include "analysis/noise_start.h"
#include "analysis/physical_events.h"
#include "analysis/pipeline_steps.h"
#include "analysis/reflectance.h"
#include "analysis/reflective_detection.h"
#include "analysis/slope_change_detection.h"
#include "analysis/step_reconciliation.h"
#include "analysis/trace_smoothing.h"
#include "platform/saturate.h"

namespace {

constexpr int kDetectionWindow = 21;  // samples of the detection smoother
constexpr int kDetectionPasses = 5;
constexpr int kGapPasses = 5;
constexpr int kQuietGapPasses = 20;   // behind the first window with visible noise
constexpr int kNoisyGapPasses = 30;   // behind the first window with strong noise
constexpr double kShortLinkKm = 11.0;
constexpr int kShortPulseNs = 30;
constexpr int kMediumPulseNs = 300;

// Everything one run works on.
struct Run {
  std::span<TracePoint> points;
  AnalysisParams& params;
  AnalysisScratch& scratch;
  int n;
  int noiseStart = 0;
  float reference = 0.0f;
  float backscatterSlope = 0.0f;
  float backscatterIntercept = 0.0f;
  bool launchWithoutReflection = false;
  int candidateCount = 0;
  int eventCount = 0;

  std::span<const TracePoint> Points() const { return {points.data(), points.size()}; }
  std::span<const TracePoint> Raw() const { return scratch.workCopy; }
  std::span<AnalysisEvent> Events() { return scratch.events; }
  ReflectiveCandidateList& Candidates() { return scratch.reflectiveCandidates; }
  double Wavelength() const { return params.wavelength; }
  int PulseWidth() const { return params.pulseWidth; }
  int PulseSamples() const { return ::PulseSamples(Points(), params.pulseWidth); }
  bool ShortLink() const { return points[static_cast<std::size_t>(n - 1)].distance < kShortLinkKm; }
};

void PlaceSentinel(Run& run, int start) {
  ReflectiveCandidate& sentinel = run.Candidates()[static_cast<std::size_t>(run.candidateCount)];
  sentinel = ReflectiveCandidate{1, start, start, start, static_cast<float>(DistanceAt(run.Points(), start))};
}

// Noise start, backscatter line and the reflective candidates.
void FindCandidates(Run& run) {
  AnalysisScratch& s = run.scratch;
  s.noiseReference = ComputeNoiseReference();
  run.reference = static_cast<float>(s.noiseReference);
  FindNoiseStart(run.Points(), run.noiseStart, s.noiseReference, run.params);

  s.workCopy.assign(run.points.begin(), run.points.end());
  SmoothTrace(s.workCopy, 0, run.n - 1, kDetectionPasses, kDetectionWindow, s.smoothing);
  EstimateBackscatterSlope(run.Points(), 0, run.noiseStart, run.backscatterSlope, run.backscatterIntercept,
                           run.Wavelength(), s.noiseReference, s.slopeVotes);

  ReflectiveCandidateList& c = run.Candidates();
  DetectReflectiveCandidates(run.Points(), s.workCopy, c, run.candidateCount, run.reference, run.noiseStart,
                             run.PulseWidth(), run.params);
  run.candidateCount = std::clamp(run.candidateCount, 0, kMaxReflectiveCandidates);
  run.candidateCount = InsertLaunchCandidate(c, run.candidateCount, run.Points(), run.PulseWidth(),
                                            run.params.dataSpacing);
  run.candidateCount = AbsorbWeakCandidates(c, run.candidateCount, run.Points(), run.PulseWidth(), run.reference);
  run.candidateCount = MergeDeadZoneCandidates(c, run.candidateCount, run.Points(), run.PulseWidth());

  s.workCopy.assign(run.points.begin(), run.points.end());
  if (run.candidateCount < 1) {
    c[0] = ReflectiveCandidate{0, 0, 3, 3, run.points[0].distance};
    run.candidateCount = 1;
  }
  PlaceSentinel(run, run.n - 1);
  s.slopes.resize(static_cast<std::size_t>(run.n));
  for (int i = 0; i < run.n; ++i) s.slopes[static_cast<std::size_t>(i)] = SlopeSample{i, 0.0};
  SmoothBetweenCandidates(run.points, 0, run.n - 1, s.slopes, kGapPasses, c, run.candidateCount + 1, s.smoothing);
  PlaceSentinel(run, run.noiseStart);

  FindReflectiveEnds(run.Points(), c, run.candidateCount, run.reference, run.noiseStart, run.Raw(),
                     run.PulseWidth(), run.Wavelength(), run.backscatterSlope);
  run.launchWithoutReflection =
      EndLaunchWithoutReflection(c, run.candidateCount, run.Points(), run.PulseWidth(), run.backscatterSlope);
  FindLaunchPeak(c[0], run.Raw());
  run.candidateCount = FilterReflectiveCandidates(c, run.candidateCount, run.Points(), run.Raw(), run.reference);
  run.candidateCount = AnchorLaunchCandidate(c, run.candidateCount, run.Raw());
  run.candidateCount = MergeNoiseFloorCandidates(c, run.candidateCount, run.Raw(), run.noiseStart, run.reference);
  run.candidateCount = MergeDeadZoneCandidates(c, run.candidateCount, run.Points(), run.PulseWidth());
  run.candidateCount = std::clamp(run.candidateCount, 0, kMaxReflectiveCandidates);
  PlaceSentinel(run, run.noiseStart);
}

// The smoothing residual per window, and more smoothing where noise shows.
void MeasureNoise(Run& run) {
  const NoiseOnsets onsets = MeasureNoiseWindows(run.Points(), run.Raw(), run.scratch.noiseWindows);
  // The slopes keep the values of the first gap smoothing: detection reads the trace's shape, not
  // the extra smoothing of its noisy tail.
  if (onsets.quiet > run.scratch.noiseWindows.windowLength) {
    SmoothBetweenCandidates(run.points, onsets.quiet, run.n - 1, {}, kQuietGapPasses, run.Candidates(),
                            run.candidateCount, run.scratch.smoothing);
  }
  if (onsets.noisy > onsets.quiet) {
    SmoothBetweenCandidates(run.points, onsets.noisy, run.n - 1, {}, kNoisyGapPasses, run.Candidates(),
                            run.candidateCount, run.scratch.smoothing);
  }
}

void RecomputeLosses(Run& run) {
  ComputeEventLoss(run.Points(), run.Events(), run.eventCount, run.backscatterSlope, run.Wavelength());
}

// Slope changes, the event list, windows, losses and reflectances.
void AssembleEvents(Run& run) {
  AnalysisScratch& s = run.scratch;
  ReflectiveCandidateList& c = run.Candidates();
  // The reflection that drops the trace into the noise, if any, and where its fall ends: nothing
  // behind it is searched for slope changes.
  std::optional<std::pair<int, int>> fall;
  int found = 0;
  for (int i = 0; i < run.candidateCount; ++i) {
    if (c[static_cast<std::size_t>(i)].end >= run.noiseStart) continue;
    const int next = c[static_cast<std::size_t>(i + 1)].start;
    const int to = next < run.noiseStart ? next : run.noiseStart;
    if (i > 0) {
      const ReflectiveCandidate& candidate = c[static_cast<std::size_t>(i)];
      const std::optional<int> bottom = FallIntoNoise(run.Points(), candidate.start, candidate.end, to,
                                                      run.backscatterSlope, run.params.endThreshold, run.PulseSamples());
      if (bottom) {
        fall = {candidate.start, *bottom};
        break;
      }
    }
    const std::span<SlopeChangeCandidate> free = std::span(s.slopeChanges).subspan(static_cast<std::size_t>(found));
    found += DetectSlopeChanges(run.Points(), c[static_cast<std::size_t>(i)].end, to, free, s.slopes,
                                run.backscatterSlope, found, run.Wavelength(), run.PulseWidth(), run.reference,
                                s.noiseWindows);
    found = std::clamp(found, 0, kMaxSlopeChangeCandidates);
  }
  const std::span<const SlopeChangeCandidate> changes(s.slopeChanges.data(), static_cast<std::size_t>(found));
  run.eventCount = BuildEventList(run.Points(), c, run.candidateCount, changes, run.Events());
  for (int i = 0; i < run.eventCount; ++i) run.Events()[static_cast<std::size_t>(i)].endFlag = 0;

  const float bs = run.backscatterSlope;
  EstimatePreliminaryLoss(run.Points(), run.Events(), run.eventCount, bs, run.Wavelength());
  RefineNonReflectiveStart(run.Points(), run.Events(), run.eventCount, run.params);
  SetLsaMarkers(run.Points(), run.Events(), run.eventCount);
  if (fall) MeasureOverFall(run.Events(), run.eventCount, fall->first, fall->second, run.PulseSamples(), run.n);
  if (run.ShortLink() && run.PulseWidth() <= kShortPulseNs) {
    ShiftNonReflectiveStart(run.Points(), run.Events(), run.eventCount, bs, run.reference, run.params);
  }
  EstimatePreliminaryLoss(run.Points(), run.Events(), run.eventCount, bs, run.Wavelength());

  RecomputeLosses(run);
  if (run.eventCount > 0) {
    run.Events()[0].level = LaunchLevel(run.Points(), run.Events()[0], run.eventCount, run.scratch.noiseReference,
                                        run.backscatterIntercept);
  }
  run.eventCount = MergeCloseReflections(run.Raw(), run.Events(), run.eventCount);
  ComputeReflectance(run.Raw(), run.Events(), run.eventCount, run.params);
  // Backscatter at a zero inside the fibre would read as a weak reflection that is not there.
  if (run.launchWithoutReflection && run.eventCount > 0) run.Events()[0].reflectance = kNoValue;
  RecomputeLosses(run);
}

// The filters, ghosts and the end of the fibre.
void FilterEvents(Run& run) {
  const std::span<AnalysisEvent> ev = run.Events();
  const AnalysisParams& p = run.params;
  const NoiseWindowTable& noise = run.scratch.noiseWindows;
  const float bs = run.backscatterSlope;
  const float r = run.reference;
  int& count = run.eventCount;

  count = MergeAdjacentNonReflective(ev, count, run.Points(), run.Raw(), r);
  RecomputeLosses(run);
  count = ApplySpliceThresholdQuick(ev, count, run.Points(), p.nonReflectionThreshold, r, noise);
  if (p.filterPosition != 0) count = DropAtFilterPosition(ev, count, p.filterPosition);
  count = ApplySpliceThreshold(ev, count, run.Points(), bs, p.nonReflectionThreshold, r, noise);
  count = RefineLossAndNoiseCheck(ev, count, run.Points(), bs, r, noise);
  count = MergeSplitSteps(ev, count, run.PulseSamples());
  RecomputeLosses(run);
  count = DropLossBelowNoiseCap(ev, count, run.Raw());
  count = DropLossBelowFitNoise(ev, count, run.Points(), run.Raw(), bs, run.Wavelength());
  count = DropLossWithinPulseNoise(ev, count, run.Raw(), run.PulseSamples());
  count = MergeReflectionRiseAndFall(ev, count, run.PulseSamples());
  RecomputeLosses(run);
  count = AbsorbReflectionTail(ev, count, run.Raw(), bs, r, run.Wavelength(), run.PulseWidth());
  count = DropSpliceBeforeReflection(ev, count, run.Raw(), bs, run.Wavelength(), r);
  RecomputeLosses(run);

  const AnalysisContext context{run.Raw(), run.Points(), bs, run.backscatterIntercept, run.noiseStart, run.n, r};
  MarkGhosts(context, p, ev, count);
  count = DropNonReflectiveAfterReflection(context, p, ev, count);
  count = ResolveGhosts(context, p, ev, count);
  count = DropNoiseOnlyEvents(run.Raw(), ev, count, run.noiseStart);
  if (DetectEndByThreshold(context, p, ev, count) == 0) count += DetectEndByNoise(context, ev, count);

  count = ApplyReflectionThreshold(ev, count, p.reflectionThreshold);
  RecomputeLosses(run);
  count = DropCrossingSections(ev, count, run.Points(), run.noiseStart);
  count = RefineLossAndNoiseCheck(ev, count, run.Points(), bs, r, noise);
  RecomputeLosses(run);
  count = ApplySpliceThresholdLongRange(ev, count, run.Points(), r, p);
  RefineNonReflectiveStart(run.Points(), ev, count, p);
  count = ApplySpliceThresholdLongRange(ev, count, run.Points(), r, p);
  if (run.ShortLink() && run.PulseWidth() <= kMediumPulseNs) AdjustLossIndex(ev, count, run.Raw(), p, r);
  AdjustGainIndex(ev, count, run.Raw(), p);
}

int LaunchOnly(std::span<const TracePoint> points, std::span<AnalysisEvent> events) {
  AnalysisEvent launch{};
  launch.type = kEventLaunch;
  if (!points.empty()) launch.level = points[0].level;
  events[0] = launch;
  return 1;
}

bool Analysable(std::span<const TracePoint> points) {
  if (points.size() < static_cast<std::size_t>(kMinAnalysisSamples)) return false;
  const double dx = SampleSpacing(points);
  const double dx10 = static_cast<double>(points[10].distance) - points[0].distance;
  return std::isfinite(dx) && dx > 0.0 && std::isfinite(dx10) && dx10 > 0.0;
}

// What an analysis reads before writing it starts as in a new scratch; the buffers that every
// analysis fills before reading keep their contents and size.
void ResetScratch(AnalysisScratch& s) {
  s.noiseReference = 0.0;
  s.noiseWindows.values.clear();
  s.reflectiveCandidates = {};
  s.slopeChanges.assign(kMaxSlopeChangeCandidates, SlopeChangeCandidate{});
  s.events.assign(kAnalysisEventCapacity, AnalysisEvent{});
}

int Analyze(std::span<TracePoint> points, std::span<AnalysisEvent> events, AnalysisParams& params,
            AnalysisScratch& scratch) {
  ResetScratch(scratch);
  Run run{points, params, scratch, static_cast<int>(points.size())};
  FindCandidates(run);
  MeasureNoise(run);
  AssembleEvents(run);
  FilterEvents(run);
  run.eventCount = std::clamp(run.eventCount, 0, kAnalysisEventCapacity);
  run.eventCount = MergeCloseReflectivePairs(run.Raw(), run.Events(), run.eventCount, params.pulseWidth);
  run.eventCount = ReconcileWithScannedSteps(run.Events(), run.eventCount, run.Raw(), run.noiseStart,
                                             run.PulseSamples(), params.nonReflectionThreshold,
                                             run.scratch.stepScan);
  run.eventCount = DropShortRangeNonReflective(run.Points(), run.Events(), run.eventCount, params);
  run.eventCount = PruneAfterEnd(run.Points(), run.Events(), run.eventCount);
  run.eventCount = DropImpossibleEvents(run.Raw(), run.Events(), run.eventCount, run.noiseStart,
                                        params.endThreshold);
  ComputeEventLevels(run.Raw(), run.Events(), run.eventCount, params.wavelength);
  run.eventCount = ApplyEndResults(run.Events(), run.eventCount, params);
  ComputeSectionAttenuations(run.Points(), run.Events(), run.eventCount);
  BlankImpossibleAttenuations(run.Events(), run.eventCount);
  BlankLossesBehindEnd(run.Events(), run.eventCount);

  if (run.eventCount < 1) return LaunchOnly(points, events);
  const int count = std::min(run.eventCount, static_cast<int>(events.size()));
  std::copy(run.scratch.events.begin(), run.scratch.events.begin() + count, events.begin());
  return count;
}

}  // namespace

int AnalyzeTrace(std::span<TracePoint> points, std::span<AnalysisEvent> events, AnalysisParams& params) {
  AnalysisScratch scratch;
  return AnalyzeTrace(points, events, params, scratch);
}

int AnalyzeTrace(std::span<TracePoint> points, std::span<AnalysisEvent> events, AnalysisParams& params,
                 AnalysisScratch& scratch) {
  if (events.empty()) return 0;
  const std::span<const TracePoint> input(points.data(), points.size());
  if (!Analysable(input)) return LaunchOnly(input, events);
  // The levels go back to the trace's own scale afterwards; of the results only the events' levels
  // are absolute.
  const float shift = FindLevelShift(input, ComputeNoiseReference(), PulseSamples(input, params.pulseWidth));
  ShiftLevels(points, shift);
  int count = 0;
  // An analysis needs a few megabytes of working storage; without them there is only the launch.
  try {
    count = Analyze(points, events, params, scratch);
  } catch (const std::bad_alloc&) {
    count = LaunchOnly(input, events);
  }
  ShiftLevels(points, -shift);
  for (int i = 0; i < count; ++i) {
    float& level = events[static_cast<std::size_t>(i)].level;
    if (level != kNoValue) level -= shift;
  }
  return count;
}
