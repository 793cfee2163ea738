#pragma once
// Non-reflective events: places where the trace leaves its backscatter slope, their assembly with the
// reflective candidates into the event list, the least-squares windows, and the index refiners.
#include <span>

#include "analysis/analysis_types.h"

/// Scans the gap [from, to] of the gap-smoothed points for slope changes, writing them from the start
/// of `output` (the free part of the list); `foundSoFar` counts those already in the list.
/// Returns the number added.
int DetectSlopeChanges(std::span<const TracePoint> points, int from, int to,
                       std::span<SlopeChangeCandidate> output, std::span<const SlopeSample> slopes,
                       float backscatterSlope, int foundSoFar, double wavelength, int pulseWidth,
                       float reference, const NoiseWindowTable& noiseWindows);

/// Merges the candidates (the sentinel at [candidateCount]) and the slope changes by position into
/// events; returns the event count.
int BuildEventList(std::span<const TracePoint> points, const ReflectiveCandidateList& candidates,
                   int candidateCount, std::span<const SlopeChangeCandidate> slopeChanges,
                   std::span<AnalysisEvent> events);

/// Sets the least-squares windows m0..m4 of every event; 0 when the count is not positive, else 1.
int SetLsaMarkers(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count);

/// Moves a large non-reflective loss to the sample where its drop begins.
void RefineNonReflectiveStart(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                              const AnalysisParams& params);

/// On short links with short pulses, moves a non-reflective index to where its excess drop shows.
void ShiftNonReflectiveStart(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                             float backscatterSlope, float reference, const AnalysisParams& params);

/// Reports a non-reflective event at the last sample that still lies on the line before it.
void AdjustLossIndex(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                     const AnalysisParams& params, float reference);

/// Reports a gain where the trace has stopped falling.
void AdjustGainIndex(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                     const AnalysisParams& params);
