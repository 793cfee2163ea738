// One analysis or one smoothing pass in a process of its own, so nothing an earlier run left in the
// allocator can hide in the figure. Usage: analysis_once analyze|smooth <points>; prints nanoseconds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/trace_smoothing.h"
#include "bench_link.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const bool analyze = std::strcmp(argv[1], "analyze") == 0;
  const SyntheticTraceSpec spec = BenchLink(std::atoi(argv[2]));
  std::vector<TracePoint> points = MakeSyntheticTrace(spec);
  AnalysisParams params = MakeSyntheticParams(spec);
  std::vector<AnalysisEvent> events(kAnalysisEventCapacity);
  const int last = static_cast<int>(points.size()) - 1;

  const auto start = std::chrono::steady_clock::now();
  if (analyze) {
    AnalyzeTrace(points, events, params);
  } else {
    SmoothingBuffers buffers;
    SmoothTrace(points, 0, last, 1, kBenchSmoothingWindow, buffers);
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()));
  return 0;
}
