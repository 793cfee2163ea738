// The whole analysis of a full-length trace beside one pass of the detection smoother over the
// same trace, so the engine's cost reads as a multiple of a plain sweep over the samples.
#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/trace_smoothing.h"
#include "synthetic_trace.h"

namespace {

constexpr int kFullTrace = 80000;

// A 64 km link at 0.8 m spacing with splices, connectors and the end of the fibre into noise.
SyntheticTraceSpec FullLink() {
  SyntheticTraceSpec spec;
  spec.pointCount = kFullTrace;
  spec.spacingKm = 0.0008;
  spec.slopeDbPerKm = -0.2;
  spec.steps = {{5.0, 0.2}, {12.0, 0.5}, {31.0, 0.1}, {40.0, -0.2}};
  spec.reflections = {{20.0, -45.0, 0.4}, {27.0, -50.0, 0.3}};
  spec.fibreEndKm = 52.0;
  spec.noiseSigmaDb = 0.4;
  spec.pulseWidthNs = 1000;
  spec.rangeKm = 80.0f;
  return spec;
}

void BM_AnalyzeTrace(benchmark::State& state) {
  const SyntheticTraceSpec spec = FullLink();
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  std::vector<AnalysisEvent> events(kAnalysisEventCapacity);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<TracePoint> points = trace;
    AnalysisParams params = MakeSyntheticParams(spec);
    state.ResumeTiming();
    benchmark::DoNotOptimize(AnalyzeTrace(points, events, params));
  }
}
BENCHMARK(BM_AnalyzeTrace)->Unit(benchmark::kMillisecond);

void BM_OneSmoothingPass(benchmark::State& state) {
  const std::vector<TracePoint> trace = MakeSyntheticTrace(FullLink());
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<TracePoint> points = trace;
    state.ResumeTiming();
    benchmark::DoNotOptimize(SmoothTrace(points, 0, kFullTrace - 1, 1, 21));
  }
}
BENCHMARK(BM_OneSmoothingPass)->Unit(benchmark::kMillisecond);

}  // namespace
