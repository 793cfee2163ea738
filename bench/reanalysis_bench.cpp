// Trace Reanalysis as the program runs it, through the document: the trace's samples turned into
// engine points, the engine, and the event table, key events and link written back. Read against the
// engine alone, warm, on the same trace (counter x_warm_engine). The document keeps the engine's
// working storage from one reanalysis to the next; the "fresh storage" variant builds it anew for
// each one, as a reanalysis did before.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "analysis/analysis_engine.h"
#include "bench_link.h"
#include "document/otdr_doc.h"
#include "measure/analysis_settings.h"
#include "measure/trace_reanalysis.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

constexpr std::int32_t kGroupIndexField = 146800;
constexpr double kLightKmPerSecond = 299792.458;

// A document holding the benchmark link as a file would bring it.
std::unique_ptr<COtdrDoc> LinkDocument(const SyntheticTraceSpec& spec, const std::vector<TracePoint>& trace) {
  auto doc = std::make_unique<COtdrDoc>();
  const int n = static_cast<int>(trace.size());
  doc->m_strTracePath = "link.sor";
  SorRecord& r = doc->m_SorRecord;
  // 100 ps per 10,000 samples of the round trip over one sample spacing.
  const double roundTripSeconds = 2.0 * spec.spacingKm * (kGroupIndexField / 100000.0) / kLightKmPerSecond;
  r.FxdParams.DataSpacing[0] = static_cast<std::int32_t>(std::lround(roundTripSeconds * 1e10 * 10000.0));
  r.FxdParams.PulseWidthCount = 1;
  r.FxdParams.PulseWidths[0] = static_cast<std::int16_t>(spec.pulseWidthNs);
  r.FxdParams.ActualWavelength = static_cast<std::int16_t>(spec.wavelengthNm * 10.0f);
  r.FxdParams.GroupIndex = kGroupIndexField;
  r.DataPts.TotalPointCount = n;
  r.DataPts.TraceCount = 1;
  r.DataPts.Traces[0].PointCount = n;
  r.DataPts.Traces[0].ScaleFactor = 1000;
  r.DataPts.Traces[0].Samples.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const long sample = std::clamp(std::lround(-trace[static_cast<std::size_t>(i)].level * 1000.0), 0L, 65535L);
    r.DataPts.Traces[0].Samples[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(sample);
  }
  doc->m_nPointCount = n;
  doc->m_FibreParams.Wavelength = static_cast<std::int32_t>(spec.wavelengthNm);
  doc->m_FibreParams.GroupIndex = kGroupIndexField / 100000.0f;
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
  const std::unique_ptr<COtdrDoc> doc = LinkDocument(spec, trace);
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
