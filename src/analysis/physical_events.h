#pragma once
// The last word on the event list: nothing leaves the engine that no fibre can show.
#include <span>

#include "analysis/analysis_types.h"

/// Reflectance of an event whose reflection was not measured (an end made up at the noise onset).
inline constexpr float kUnmeasuredReflectance = 0.0001f;

/// Attenuation beyond which a section is not fibre but a measurement between events too close to
/// tell apart, or noise.
inline constexpr float kMaxSectionAttenuation = 50.0f;

/// Removes reflections at or above 0 dB (the launch, the end and reflections seen through the noise
/// keep their place with the unmeasured reflectance instead), and behind the end: non-reflective
/// events whose loss or gain exceeds `endThreshold`, and every event in the noise (from
/// `noiseStart` on) but reflections that rise out of it, whose peak stands more than 3 dB above what
/// the noise reaches in 99 of 100 samples. `raw` is the unsmoothed trace. Returns the new count.
int DropImpossibleEvents(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count,
                         int noiseStart, float endThreshold);

/// Removes the events in the noise (behind `noiseStart`) that do not rise out of it, as
/// DropImpossibleEvents judges them, so that only reflections the noise cannot have made take part
/// in deciding where the fibre ends. The launch stays. Returns the new count.
int DropNoiseOnlyEvents(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count, int noiseStart);

/// Behind the end event the trace is no backscatter to measure a loss on: the losses and
/// cumulative losses of the events there become the missing value.
void BlankLossesBehindEnd(std::span<AnalysisEvent> events, int count);

/// Section attenuations beyond kMaxSectionAttenuation become the missing value.
void BlankImpossibleAttenuations(std::span<AnalysisEvent> events, int count);
