// The whole analysis beside one pass of the detection smoother over the same trace, so the engine's
// cost reads as a multiple of a plain sweep over the samples (counter x_smoothing_pass). Warm: one
// process, the engine's working storage and the smoother's buffers kept from run to run. Fresh: each
// run in a new process (the analysis_once helper), so the allocator's state cannot hide in the figure.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/trace_smoothing.h"
#include "bench_link.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_AnalyzeTrace(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const SyntheticTraceSpec spec = BenchLink(n);
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  std::vector<AnalysisEvent> events(kAnalysisEventCapacity);
  AnalysisScratch scratch;
  SmoothingBuffers buffers;
  double analysing = 0.0, smoothing = 0.0;
  for (auto _ : state) {
    std::vector<TracePoint> points = trace;
    AnalysisParams params = MakeSyntheticParams(spec);
    const auto start = Clock::now();
    benchmark::DoNotOptimize(AnalyzeTrace(points, events, params, scratch));
    const double analysis = Seconds(Clock::now() - start);

    points = trace;
    const auto pass = Clock::now();
    benchmark::DoNotOptimize(SmoothTrace(points, 0, n - 1, 1, kBenchSmoothingWindow, buffers));
    smoothing += Seconds(Clock::now() - pass);
    analysing += analysis;
    state.SetIterationTime(analysis);
  }
  state.counters["x_smoothing_pass"] = analysing / smoothing;
}
BENCHMARK(BM_AnalyzeTrace)->Arg(10000)->Arg(40000)->Arg(80000)->UseManualTime()->Unit(benchmark::kMillisecond);

// Nanoseconds the helper reports for one run in a new process.
double RunOnce(const char* what, int points) {
  const std::string command = std::string(ANALYSIS_ONCE) + " " + what + " " + std::to_string(points);
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1.0;
  long long ns = -1;
  if (std::fscanf(pipe, "%lld", &ns) != 1) ns = -1;
  return pclose(pipe) == 0 ? static_cast<double>(ns) : -1.0;
}

void BM_AnalyzeTraceFreshProcess(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double analysing = 0.0, smoothing = 0.0;
  for (auto _ : state) {
    const double analysis = RunOnce("analyze", n);
    const double pass = RunOnce("smooth", n);
    if (analysis < 0.0 || pass < 0.0) {
      state.SkipWithError("the analysis_once helper failed");
      return;
    }
    analysing += analysis;
    smoothing += pass;
    state.SetIterationTime(analysis * 1e-9);
  }
  state.counters["x_smoothing_pass"] = analysing / smoothing;
}
BENCHMARK(BM_AnalyzeTraceFreshProcess)
    ->Arg(10000)->Arg(40000)->Arg(80000)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_OneSmoothingPass(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<TracePoint> trace = MakeSyntheticTrace(BenchLink(n));
  SmoothingBuffers buffers;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<TracePoint> points = trace;
    state.ResumeTiming();
    benchmark::DoNotOptimize(SmoothTrace(points, 0, n - 1, 1, kBenchSmoothingWindow, buffers));
  }
}
BENCHMARK(BM_OneSmoothingPass)->Arg(80000)->Unit(benchmark::kMillisecond);

}  // namespace
