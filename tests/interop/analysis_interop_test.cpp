#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/event_invariants.h"
#include "sample_files.h"
#include "sor/sor_reader.h"
#include "trace/wavelength.h"

namespace {

using lumivane::test::SampleSorFiles;

// The engine's input as a reanalysis builds it: the first trace in dB (sample / 1000, the scale
// factor not applied) over the fibre length the group index gives the data spacing.
std::vector<TracePoint> TraceOf(const SorRecord& record) {
  const SorTraceData& first = record.DataPts.Traces[0];
  const int m = std::clamp<int>(first.PointCount, 0, kSorMaxSamples);
  const double k = 0.299792458 / (record.FxdParams.GroupIndex / 100000.0) / 10000.0;
  const float length = static_cast<float>((m - 1) * k * record.FxdParams.DataSpacing[0] / 10000.0);
  std::vector<TracePoint> points(static_cast<std::size_t>(m));
  for (int i = 0; i < m; ++i) {
    points[static_cast<std::size_t>(i)] =
        TracePoint{m > 1 ? static_cast<float>(i * static_cast<double>(length) / (m - 1)) : 0.0f,
                   static_cast<float>(-first.Samples[i] / 1000.0)};
  }
  return points;
}

AnalysisParams ParamsOf(const SorRecord& record) {
  const SorFxdParams& f = record.FxdParams;
  AnalysisParams p;
  p.range = static_cast<float>(f.AcquisitionRangeDistance / 10000.0);
  p.pulseWidth = f.PulseWidths[0];
  p.dataSpacing = f.DataSpacing[0] / 10000;
  p.wavelength = static_cast<float>(ConvertWavelengthField(f.ActualWavelength));
  p.backscatterCoefficient = static_cast<float>(f.Backscatter / 10.0);
  p.reflectionThreshold = static_cast<float>(-f.ReflectanceThreshold / 1000.0);
  p.nonReflectionThreshold = static_cast<float>(f.LossThreshold / 1000.0);
  p.endThreshold = static_cast<float>(f.EndOfFibreThreshold / 1000.0);
  return p;
}

TEST(AnalysisInterop, EveryTraceAnalysesIntoAWellFormedEventList) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    auto record = std::make_unique<SorRecord>();
    ASSERT_EQ(ReadSorImage(file.bytes, *record), SorReadResult::kOk);
    std::vector<TracePoint> points = TraceOf(*record);
    AnalysisParams params = ParamsOf(*record);
    std::vector<AnalysisEvent> events(kAnalysisEventCapacity);
    const int count = AnalyzeTrace(points, events, params);
    ExpectWellFormedEvents(events, count, std::max<int>(static_cast<int>(points.size()), 1));
    std::cout << file.name << ": " << points.size() << " samples, " << count << " events\n";
  }
}

}  // namespace
