#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "document/display_model.h"
#include "document/display_model_events.h"
#include "sor/sor_reader.h"
#include "trace/trace_conversions.h"
#include "document/trace_preview.h"
#include "document/trace_display_model.h"
#include "sample_files.h"

namespace {

bool FiniteOrMissing(float value) { return std::isfinite(value) || value == kMissingValue; }

void ExpectRowUsable(const EventRow& row) {
  for (float value : {row.Distance, row.Reflectance, row.SpliceLoss, row.Attenuation, row.CumulativeLoss,
                      row.SectionLength, row.DistanceToEnd, row.Level, row.SectionLoss}) {
    EXPECT_TRUE(FiniteOrMissing(value)) << value;
  }
  EXPECT_GE(row.Type, 0);
  EXPECT_LE(row.Type, 4);
}

void ExpectModelUsable(const TraceDisplayModel& model) {
  const std::int32_t points = model.m_nPointCount;
  ASSERT_GE(points, 0);
  ASSERT_LE(points, kSorMaxSamples);
  ASSERT_GE(model.m_nEventCount, 0);
  ASSERT_LE(model.m_nEventCount, kMaxEventRows);
  for (double value : {model.m_dFibreLengthKm, model.m_dAcquisitionRangeKm, model.m_dDbCeiling}) {
    EXPECT_TRUE(std::isfinite(value));
  }
  for (std::int32_t i = 0; i < points; ++i) ASSERT_TRUE(std::isfinite(model.m_DbSamples.Values[i])) << i;

  const FibreParamsRecord& p = model.m_FibreParams;
  for (float value : {p.Range, p.GroupIndex, p.Backscatter, p.EndThreshold, p.LossThreshold, p.ReflectanceThreshold}) {
    EXPECT_TRUE(std::isfinite(value));
  }
  const LinkSummaryRecord& l = model.m_LinkSummary;
  for (float value : {l.TraceLength, l.LinkLength, l.LinkLoss, l.LinkOrl, l.LossPerKm}) {
    EXPECT_TRUE(FiniteOrMissing(value));
  }
  for (std::int32_t i = 0; i < model.m_nEventCount; ++i) {
    SCOPED_TRACE(i);
    ExpectRowUsable(model.m_EventRows[i]);
  }
  EXPECT_TRUE(model.m_nEndEventRow == 999 || (model.m_nEndEventRow >= 0 && model.m_nEndEventRow < model.m_nEventCount));

  const std::int32_t last = std::max(points - 1, 0);
  for (std::int32_t cursor : {model.m_nCursorA, model.m_nCursorB}) {
    EXPECT_GE(cursor, 0);
    EXPECT_LE(cursor, last);
  }
  for (const auto& set : model.m_LossAuxMarkers) {
    for (const AuxMarker& marker : set) {
      EXPECT_GE(marker.SampleIndex, 0);
      EXPECT_LE(marker.SampleIndex, points);
    }
  }
  for (const auto& set : model.m_ReflectanceAuxMarkers) {
    for (const AuxMarker& marker : set) {
      EXPECT_GE(marker.SampleIndex, 0);
      EXPECT_LE(marker.SampleIndex, points);
    }
  }

  // The windows the analysis gets lie inside the trace.
  std::vector<AnalysisEvent> events(kAnalysisEventCapacity);
  ConvertRowsForAnalysis(events, model.m_EventRows, model.m_nEventCount, model.m_SorRecord);
  for (std::int32_t i = 0; i < model.m_nEventCount; ++i) {
    for (std::int32_t marker : events[i].markers) {
      EXPECT_GE(marker, 0);
      EXPECT_LE(marker, last);
    }
  }
}

// Files written by other instruments must give finite values (or the missing value) and indices
// inside the trace in every part of the display model.
TEST(DisplayModelInterop, EveryValueOfEverySampleFileIsUsable) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : lumivane::test::SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    const std::vector<std::uint8_t>& bytes = file.bytes;
    auto model = std::make_unique<TraceDisplayModel>();
    ASSERT_EQ(ReadSorImage(bytes, model->m_SorRecord), SorReadResult::kOk);
    const DisplayModelInputs inputs{.distanceCorrection = model->m_SorRecord.UserName.DistanceCorrection};
    LoadDisplayModel(kSorFileKind, model->m_SorRecord, inputs, DisplayModelTargetOf(*model));
    ApplyStoredLossTotals(model->m_SorRecord, model->m_EventRows, model->m_nEventCount);
    ExpectModelUsable(*model);

    TracePreview preview;
    std::string fileUnit;
    std::string previewUnit;
    if (ReadTracePreview(bytes, preview, fileUnit, previewUnit) < 0) {
      EXPECT_TRUE(std::isfinite(preview.Range));
    }
  }
}

}  // namespace
