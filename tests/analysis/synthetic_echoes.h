#pragma once
// Test-only additions to the synthetic traces: echoes of strong reflections (ghosts), which show on
// top of whatever the trace holds at their distance, also beyond the end of the fibre.
#include <vector>

#include "analysis/analysis_types.h"
#include "synthetic_trace.h"

/// Raises one pulse length of samples from `distanceKm` on by `heightDb`, keeping their noise; levels
/// stay quantised like the rest of the trace when its SyntheticTraceSpec quantises.
void AddEcho(std::vector<TracePoint>& points, const SyntheticTraceSpec& spec, double distanceKm, double heightDb);
