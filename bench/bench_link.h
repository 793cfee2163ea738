#pragma once
// The link the analysis benchmarks measure, shared by the benchmark and its one-shot helper.
#include "synthetic_trace.h"

/// A link at 0.8 m spacing with splices, connectors and the end of the fibre into noise, laid out
/// in proportion to the trace: 64 km at 80,000 points.
SyntheticTraceSpec BenchLink(int pointCount);

/// The detection smoother's one pass that the engine's cost is read against.
inline constexpr int kBenchSmoothingWindow = 21;
