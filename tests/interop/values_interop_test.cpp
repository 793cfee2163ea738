// Values, not only well-formedness: what the program shows of each real file must agree with the
// file's own trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "document/display_model.h"
#include "document/trace_preview.h"
#include "document/trace_display_model.h"
#include "sample_files.h"
#include "sor/sor_reader.h"
#include "trace/trace_conversions.h"

namespace {

std::unique_ptr<TraceDisplayModel> LoadModel(const lumivane::test::SampleFile& file) {
  auto model = std::make_unique<TraceDisplayModel>();
  if (ReadSorImage(file.bytes, model->m_SorRecord) != SorReadResult::kOk) return nullptr;
  const DisplayModelInputs inputs{.distanceCorrection = model->m_SorRecord.UserName.DistanceCorrection};
  LoadDisplayModel(kSorFileKind, model->m_SorRecord, inputs, DisplayModelTargetOf(*model));
  return model;
}

// Samples one pulse covers: the pulse width (ns) as a time of the file over the time per sample,
// and at least the samples of 2 m, since instruments place an event to a few samples of their own.
int PulseSamples(const SorFxdParams& fxd) {
  const double timePerSample = fxd.DataSpacing[0] / kDataSpacingDivisor;
  if (timePerSample <= 0.0) return 1;
  const double pulseTime = std::max<double>(fxd.PulseWidths[0] * 10.0, TimeOfDistance(0.002f, fxd.GroupIndex));
  return std::max(1, static_cast<int>(pulseTime / timePerSample));
}

// A reflection is a run of stronger signal (smaller values). The strongest sample within one pulse
// length (PulseSamples) of `index` must be a peak: the trace rises to it within that stretch and falls again after
// it. Beside a reflection, on the plain backscatter slope, the strongest sample is the stretch's
// first one and nothing rises to it.
bool SitsOnAPeak(const TraceDisplayModel& model, int index, int pulse) {
  const double* db = model.m_DbSamples.Values.data();
  const int last = model.m_nPointCount - 1;
  const int from = std::clamp(index - pulse, 0, last);
  const int to = std::clamp(index + pulse, 0, last);
  const int peak = static_cast<int>(std::min_element(db + from, db + to + 1) - db);
  const double weakestAfter = *std::max_element(db + peak, db + std::min(last, peak + 4 * pulse) + 1);
  constexpr double kRiseDb = 0.1;
  const bool risesToIt = from == 0 || db[from] > db[peak] + kRiseDb;
  return risesToIt && weakestAfter > db[peak] + kRiseDb;
}

TEST(ValuesInterop, EveryStoredReflectionSitsOnAPeakOfTheTrace) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : lumivane::test::SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    const auto model = LoadModel(file);
    ASSERT_NE(model, nullptr);
    const SorRecord& record = model->m_SorRecord;
    const int pulse = PulseSamples(record.FxdParams);
    for (int i = 0; i < model->m_nEventCount; ++i) {
      const SorKeyEvent& event = record.KeyEvents.Events[i];
      if (event.EventCode[0] != u'1' && event.EventCode[0] != u'2') continue;
      const int index = TimeToIndex(event.TimeOfFlight, record);
      if (index < 0 || index >= model->m_nPointCount) continue;
      EXPECT_TRUE(SitsOnAPeak(*model, index, pulse)) << "event " << i + 1 << " at sample " << index;
    }
  }
}

TEST(ValuesInterop, TheRangeShownAgreesWithTheExtentOfTheSamples) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : lumivane::test::SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    const auto model = LoadModel(file);
    ASSERT_NE(model, nullptr);
    const double range = model->m_FibreParams.Range;
    if (range == 0.0) continue;  // "Auto"
    // Instruments acquire a little beyond their range: the range is never longer than the samples
    // reach, beyond the rounding of its one decimal, and not much shorter.
    EXPECT_LE(range, model->m_dFibreLengthKm + 0.05);
    EXPECT_GE(range, 0.9 * model->m_dFibreLengthKm);
    TracePreview preview;
    std::string fileUnit;
    std::string previewUnit;
    if (ReadTracePreview(file.bytes, preview, fileUnit, previewUnit) < 0 && fileUnit == "km") {
      EXPECT_FLOAT_EQ(preview.Range, static_cast<float>(range)) << "open dialog's preview";
    }
  }
}

}  // namespace
