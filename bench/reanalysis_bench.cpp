// Trace Reanalysis as the program runs it, through the document: the trace's samples turned into
// engine points, the engine, and the event table, key events and link written back. Read against the
// engine alone, warm, on the same trace (counter x_warm_engine). The document keeps the engine's
// working storage from one reanalysis to the next; the "fresh storage" variant builds it anew for
// each one, as a reanalysis did before.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "analysis/analysis_engine.h"
#include "bench_link.h"
#include "document/display_model_params.h"
#include "document/otdr_doc.h"
#include "measure/analysis_settings.h"
#include "measure/trace_reanalysis.h"
#include "pulse_trace_file.h"
#include "trace/trace_conversions.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A document holding the benchmark link's file as it reads.
std::unique_ptr<COtdrDoc> LinkDocument(int n) {
  auto doc = std::make_unique<COtdrDoc>();
  doc->m_strTracePath = "link.sor";
  doc->m_SorRecord = *PulseTraceRecord(n);
  doc->m_nPointCount = n;
  doc->m_dFibreLengthKm = FibreLengthKm(n, doc->m_SorRecord.FxdParams.GroupIndex, doc->m_SorRecord.FxdParams.DataSpacing[0]);
  BuildFibreParams(kSorFileKind, doc->m_SorRecord, doc->m_FibreParams, 0.0);
  return doc;
}

// The engine alone, warm, on the points a reanalysis hands it.
double WarmEngineSeconds(const std::vector<TracePoint>& trace, const AnalysisParams& params, AnalysisScratch& scratch) {
  std::vector<TracePoint> points = trace;
  std::vector<AnalysisEvent> events(kAnalysisEventCapacity);
  AnalysisParams p = params;
  const auto start = Clock::now();
  benchmark::DoNotOptimize(AnalyzeTrace(points, events, p, scratch));
  return Seconds(Clock::now() - start);
}

void RunReanalysis(benchmark::State& state, bool keptStorage) {
  const int n = static_cast<int>(state.range(0));
  const SyntheticTraceSpec spec = BenchLink(n);
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  const std::unique_ptr<COtdrDoc> doc = LinkDocument(n);
  const AnalysisSettings settings = PrefillAnalysisSettings(doc->m_FibreParams);
  const AnalysisEngineFn freshStorage = [](std::span<TracePoint> points, std::span<AnalysisEvent> events,
                                           AnalysisParams& p) { return AnalyzeTrace(points, events, p); };
  AnalysisScratch engineScratch;
  double inProgram = 0.0, engine = 0.0;
  for (auto _ : state) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(ReanalyzeDocument(*doc, settings, keptStorage ? AnalysisEngineFn{} : freshStorage));
    const double reanalysis = Seconds(Clock::now() - start);
    // The engine on the same (quantised) levels, with the parameters the reanalysis filled.
    engine += WarmEngineSeconds(trace, g_AnalysisParams, engineScratch);
    inProgram += reanalysis;
    state.SetIterationTime(reanalysis);
  }
  state.counters["x_warm_engine"] = inProgram / engine;
}

void BM_ReanalyzeDocument(benchmark::State& state) { RunReanalysis(state, true); }
void BM_ReanalyzeDocumentFreshStorage(benchmark::State& state) { RunReanalysis(state, false); }

BENCHMARK(BM_ReanalyzeDocument)->Arg(10000)->Arg(80000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReanalyzeDocumentFreshStorage)->Arg(10000)->Arg(80000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
