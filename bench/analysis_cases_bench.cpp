// The whole analysis on full-length traces at both extremes: a plain fibre with nothing to find, and
// a busy link where every detection, filter and end-of-fibre stage has work; and a short-pulse link
// sampled finely, where the trace's noise decides the slope-change search. Read beside the
// smoothing pass of analysis_bench.cpp, which runs in the same binary.
#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/synthetic_trace.h"

namespace {

constexpr int kFullTrace = 80000;

// 64 km of fibre longer than the trace: only the launch to report.
SyntheticTraceSpec PlainFibre() {
  SyntheticTraceSpec spec;
  spec.pointCount = kFullTrace;
  spec.spacingKm = 0.0008;
  spec.slopeDbPerKm = -0.2;
  spec.noiseSigmaDb = 0.4;
  spec.pulseWidthNs = 1000;
  spec.rangeKm = 80.0f;
  return spec;
}

// 40 km at 0.5 m spacing, 100 ns: a splice or gainer every 1.5 km, a connector every 4 km, an end
// reflection at 36 km with echoes behind it.
SyntheticTraceSpec BusyLink() {
  SyntheticTraceSpec spec;
  spec.pointCount = kFullTrace;
  spec.spacingKm = 0.0005;
  spec.slopeDbPerKm = -0.33;
  spec.noiseSigmaDb = 0.6;
  spec.pulseWidthNs = 100;
  spec.rangeKm = 40.0f;
  for (int k = 1; k <= 22; ++k) spec.steps.push_back({1.5 * k + 0.2, k % 5 == 0 ? -0.3 : 0.3 + 0.1 * (k % 4)});
  for (int k = 1; k <= 8; ++k) spec.reflections.push_back({4.0 * k + 1.1, -45.0 + k, 0.3});
  spec.reflections.push_back({36.0, -25.0});
  spec.fibreEndKm = 36.0 + 0.01;
  return spec;
}

void AnalyseRepeatedly(benchmark::State& state, const SyntheticTraceSpec& spec) {
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  std::vector<AnalysisEvent> events(kAnalysisEventCapacity);
  AnalysisScratch scratch;  // kept as a caller analysing trace after trace keeps it
  int count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<TracePoint> points = trace;
    AnalysisParams params = MakeSyntheticParams(spec);
    state.ResumeTiming();
    count = AnalyzeTrace(points, events, params, scratch);
    benchmark::DoNotOptimize(count);
  }
  state.counters["events"] = count;
}

void BM_AnalyzePlainFibre(benchmark::State& state) { AnalyseRepeatedly(state, PlainFibre()); }
BENCHMARK(BM_AnalyzePlainFibre)->Unit(benchmark::kMillisecond);

void BM_AnalyzeBusyLink(benchmark::State& state) { AnalyseRepeatedly(state, BusyLink()); }
BENCHMARK(BM_AnalyzeBusyLink)->Unit(benchmark::kMillisecond);

// A 10 ns pulse every 16 cm with 20 mdB of noise: the slope-change search judges on its noise.
void BM_AnalyzeShortPulseLink(benchmark::State& state) {
  AnalyseRepeatedly(state, ShortPulseLinkSpec(0.16, 0.02, 1310.0f));
}
BENCHMARK(BM_AnalyzeShortPulseLink)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Pulse-shaped links as instruments record them, at the lengths of short, medium and full traces.
void BM_AnalyzeRealisticLink(benchmark::State& state) {
  AnalyseRepeatedly(state, RealisticLinkSpec(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_AnalyzeRealisticLink)->Arg(10000)->Arg(40000)->Arg(80000)->Unit(benchmark::kMillisecond);

}  // namespace
