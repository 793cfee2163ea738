#pragma once
// Reflective candidates: rises followed by falls, their pruning and merging, and where each trailing
// edge settles back onto the backscatter.
#include <span>

#include "analysis/analysis_types.h"

/// Finds the rises of the unsmoothed points into the list (at most 50); writes the count. Returns 1.
int DetectReflectiveCandidates(std::span<const TracePoint> points, std::span<const TracePoint> smoothed,
                               ReflectiveCandidateList& candidates, int& count, float reference,
                               int noiseStart, int pulseWidth, const AnalysisParams& params);

/// Lets a strong reflection absorb the small echoes on its tail; returns the new count.
int AbsorbWeakCandidates(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                         int pulseWidth, float reference);

/// Merges every candidate starting within 1.2 pulse lengths of distance 0 into the one before it.
int MergeDeadZoneCandidates(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                            int pulseWidth);

/// Moves each candidate's end to where its trailing edge has settled; needs the sentinel at NS. Returns 1.
int FindReflectiveEnds(std::span<const TracePoint> points, ReflectiveCandidateList& candidates, int count,
                       float reference, int noiseStart, std::span<const TracePoint> raw, int pulseWidth,
                       double wavelength, float backscatterSlope);

/// Makes the list start with a launch and drops weak candidates near the noise; returns the new count.
int FilterReflectiveCandidates(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                               std::span<const TracePoint> raw, float reference);

/// Absorbs weak candidates lying on the noise behind a stronger one; returns the new count.
int MergeNoiseFloorCandidates(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> raw,
                              int noiseStart, float reference);
