#pragma once
// The analysis engine's entry point: finds the launch, reflections, non-reflective events, ghosts
// and the end of the fibre in one trace.
#include <span>

#include "analysis/analysis_types.h"

/// Traces shorter than this are returned with the launch only: several steps scan from sample 100
/// or use windows of 20 samples.
inline constexpr int kMinAnalysisSamples = 120;

/// Analyses the trace and writes its events, ordered by position, with the launch first; returns
/// their number (at least 1 when `events` has room). The levels of `points` are smoothed in place.
/// The two result fields of `params` are written when an end event exists. Traces that are too short
/// or have no positive sample spacing, and a lack of memory for the working storage, give the launch only.
/// This form allocates working storage for the one analysis and frees it on return.
int AnalyzeTrace(std::span<TracePoint> points, std::span<AnalysisEvent> events, AnalysisParams& params);

/// The same in the caller's working storage, which keeps its size for the next analysis; the results
/// do not depend on what earlier analyses left in it.
int AnalyzeTrace(std::span<TracePoint> points, std::span<AnalysisEvent> events, AnalysisParams& params,
                 AnalysisScratch& scratch);
