#pragma once
// The fixed noise reference of the engine and the sample where a trace sinks into the noise.
#include <span>

#include "analysis/analysis_types.h"

/// The noise reference level, 5 * log10(0.00197) - 35 with log10 in single precision (about -48.53 dB).
double ComputeNoiseReference();

/// Finds the first sample where the trace has sunk into the noise (reference + 0.2 dB); writes its
/// index (n - 1 when it never does, -1 for an empty trace) and returns its distance.
float FindNoiseStart(std::span<const TracePoint> points, int& noiseStart, double reference,
                     const AnalysisParams& params);
