#pragma once
// Filters over the event list: each reads the events in order, keeps the survivors in order and
// returns their number. They drop events that do not stand out of the noise, that belong to a
// reflection's tail or that the thresholds exclude, and merge events that belong together.
#include <span>

#include "analysis/analysis_types.h"

/// Merges a non-reflective event whose window touches the previous event's into it.
int MergeAdjacentNonReflective(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                               std::span<const TracePoint> raw, float reference);

/// Joins same-sign non-reflective events closer than one pulse length into one step at the larger;
/// its windows lie outside both, so its loss is read across the whole change.
int MergeSplitSteps(std::span<AnalysisEvent> events, int count, int pulseSamples);

/// Drops splices below 0.01 dB, below the threshold or within the local noise.
int ApplySpliceThresholdQuick(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                              float nonReflectionThreshold, float reference, const NoiseWindowTable& noiseWindows);

/// Drops a small non-reflective event whose windows enclose the filter position.
int DropAtFilterPosition(std::span<AnalysisEvent> events, int count, int filterPosition);

/// Splice threshold with the two-line re-estimate of the loss and the local-noise test.
int ApplySpliceThreshold(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                         float backscatterSlope, float nonReflectionThreshold, float reference,
                         const NoiseWindowTable& noiseWindows);

/// Widens short windows, re-estimates the loss and tests it against the local noise.
int RefineLossAndNoiseCheck(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                            float backscatterSlope, float reference, const NoiseWindowTable& noiseWindows);

/// Drops losses below a threshold derived from the fit deviation of both windows.
int DropLossBelowNoiseCap(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw);

/// Drops losses below the fit deviations plus the backscatter drop across the event.
int DropLossBelowFitNoise(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                          std::span<const TracePoint> raw, float backscatterSlope, double wavelength);

/// Drops splices and gainers whose loss does not stand out of the noise of the trace averaged over
/// one pulse length (`pulseSamples`) around them: noise correlated over a pulse makes steps as
/// large as that anywhere. A loss that falls short is read again over a few pulse lengths of trace
/// on either side, up to the events that stand, and the step that stands out then keeps the event.
int DropLossWithinPulseNoise(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                             int pulseSamples);

/// Gives non-reflective events in a reflection's falling tail to the reflection.
int AbsorbReflectionTail(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                         float backscatterSlope, float reference, double wavelength, int pulseWidth);

/// Drops a small non-reflective event squeezed in front of a reflection.
int DropSpliceBeforeReflection(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                               float backscatterSlope, double wavelength, float reference);

/// Drops a non-reflective event directly behind a reflection unless it sits on plausible backscatter.
int DropNonReflectiveAfterReflection(const AnalysisContext& context, const AnalysisParams& params,
                                     std::span<AnalysisEvent> events, int count);

/// Floors reflectances at -78 dB and drops reflections weaker than the threshold.
int ApplyReflectionThreshold(std::span<AnalysisEvent> events, int count, float reflectionThreshold);

/// Drops an event whose section lines cross between its windows.
int DropCrossingSections(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                         int noiseStart);

/// Merges a gain and the loss behind it within two pulse lengths (`pulseSamples`) into one event:
/// the rise and fall of a reflection too weak to be found as one, or two steps the pulse cannot
/// tell apart.
int MergeReflectionRiseAndFall(std::span<AnalysisEvent> events, int count, int pulseSamples);

/// Splice threshold with the extra long-range rule near the noise.
int ApplySpliceThresholdLongRange(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> points,
                                  float reference, const AnalysisParams& params);
