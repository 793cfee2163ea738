#pragma once
// The link the benchmarks measure: analysed in memory, and written as a file for reading and start-up.
#include "analysis/synthetic_trace.h"

/// A link at 0.8 m spacing with splices, connectors and the end of the fibre into noise, whose
/// features sit at the same fractions of the trace whatever its length.
SyntheticTraceSpec BenchLink(int pointCount);

/// The detection smoother's one pass that the engine's cost is read against.
inline constexpr int kBenchSmoothingWindow = 21;
