#pragma once
// The steps the analysis pipeline performs itself, between the stages it calls.
#include <span>

#include "analysis/analysis_types.h"

/// Puts a launch candidate in front of a first candidate that does not start at sample 0; a full
/// list loses its last candidate. Returns the new count.
int InsertLaunchCandidate(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                          int pulseWidth, int dataSpacing);

/// A trace whose first sample lies inside the fibre (a user's zero behind a launch cable) has no
/// launch reflection, and the backscatter's own decline (`backscatterSlope`, dB/km) is no falling
/// edge: a launch that three pulse lengths behind sample 0 has not fallen 0.5 dB below its highest
/// level, beyond that decline, ends one and a half pulse lengths behind sample 0 (or at the next
/// candidate, if sooner). Returns whether the launch has no reflection.
bool EndLaunchWithoutReflection(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> points,
                                int pulseWidth, float backscatterSlope);

/// Moves the launch peak to the highest raw sample in [start, end) (the first on ties).
void FindLaunchPeak(ReflectiveCandidate& launch, std::span<const TracePoint> raw);

/// Makes the launch start at sample 0 and merges a candidate starting within 1.5 m of it.
/// Returns the new count.
int AnchorLaunchCandidate(ReflectiveCandidateList& candidates, int count, std::span<const TracePoint> raw);

/// Starts of the first windows (after the one at sample 0) whose smoothing residual shows noise.
struct NoiseOnsets {
  int quiet = 0;  // residual above 0.005 dB; 0 = none
  int noisy = 0;  // residual above 0.05 dB; 0 = none
};

/// Fills the table with the mean |points - raw| of every window [s, s + length] and finds the onsets.
NoiseOnsets MeasureNoiseWindows(std::span<const TracePoint> points, std::span<const TracePoint> raw,
                                NoiseWindowTable& table);

/// The launch level at distance 0: the backscatter intercept for a lone launch or when the level at
/// the launch's right window is within 5 dB of the reference, else that level raised by 0.2 dB/km.
float LaunchLevel(std::span<const TracePoint> points, const AnalysisEvent& launch, int count, double reference,
                  float backscatterIntercept);

/// Merges a much weaker reflection right behind a reflection into it; returns the new count.
int MergeCloseReflectivePairs(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count,
                              int pulseWidth);

/// On ranges below 6 km with pulses above 10 ns, drops non-reflective events whose right window
/// starts far behind them; returns the new count.
int DropShortRangeNonReflective(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                                const AnalysisParams& params);

/// Writes the end results of the first end event into `params`; returns the count, cut behind that
/// event when asked to.
int ApplyEndResults(std::span<const AnalysisEvent> events, int count, AnalysisParams& params);

/// Puts the launch at position 0 and gives every later event the attenuation of the section ending at it.
void ComputeSectionAttenuations(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count);
