#include "document/display_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "display_model_fixture.h"
#include "trace/trace_conversions.h"

namespace {

using lumivane::test::AddKeyEvent;
using lumivane::test::kKmPerSample;
using lumivane::test::MakeTraceRecord;
using lumivane::test::NewModel;

void Load(SorRecord& record, TraceDisplayModel& model, const DisplayModelInputs& inputs = {}) {
  LoadDisplayModel(kSorFileKind, record, inputs, DisplayModelTargetOf(model));
}

TEST(LoadDisplayModel, FillsTimeCountsLengthAndSamples) {
  auto record = MakeTraceRecord(10000);
  record->FxdParams.DateTime = 1330956429;
  record->DataPts.Traces[0].Samples[10] = 25500;  // 25.5 dB
  record->DataPts.Traces[0].ScaleFactor = 1000;
  AddKeyEvent(*record, 0, "1F9999");
  AddKeyEvent(*record, 3000, "1E9999");
  auto model = NewModel();
  model->m_DbSamples.Values.assign(kSorMaxSamples, 42.0);  // an earlier, longer trace
  model->m_nAnalysisMode = 2;
  model->m_bLockAB = 1;
  Load(*record, *model);

  EXPECT_EQ(model->m_TraceDateTime.Year, 2012);
  EXPECT_EQ(model->m_TraceDateTime.Month, 3);
  EXPECT_EQ(model->m_TraceDateTime.Day, 5);
  EXPECT_EQ(model->m_TraceDateTime.Hour, 14);
  EXPECT_EQ(model->m_TraceDateTime.Minute, 7);
  EXPECT_EQ(model->m_TraceDateTime.Second, 9);
  EXPECT_EQ(model->m_nPointCount, 10000);
  EXPECT_EQ(model->m_nEventCount, 2);
  EXPECT_EQ(model->m_nEndEventRow, 1);
  EXPECT_NEAR(model->m_dFibreLengthKm, 9999 * kKmPerSample, 1e-9);
  EXPECT_DOUBLE_EQ(model->m_DbSamples.Values[0], 5.0);
  EXPECT_DOUBLE_EQ(model->m_DbSamples.Values[10], 25.5);
  EXPECT_EQ(model->m_DbSamples.Values.size(), 10000u) << "as many values as points";
  EXPECT_EQ(model->m_nAnalysisMode, 0);
  EXPECT_EQ(model->m_bLockAB, 0);
  EXPECT_EQ(model->m_FibreParams.Wavelength, 1550);
}

TEST(LoadDisplayModel, ReadsTheAcquisitionRangeByUnits) {
  struct Case { const char* units; double km; };
  const Case cases[] = {
      {"km", 50000.0}, {"mt", 50.0}, {"ft", 50.0}, {"kf", 50.0}, {"mi", 50.0},
      {"MT", 50000.0},  // the comparison is exact
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.units);
    auto record = MakeTraceRecord(1000);
    SetSorText(record->FxdParams.DistanceUnits, std::string_view(c.units));
    record->FxdParams.AcquisitionRangeDistance = 500000;
    auto model = NewModel();
    Load(*record, *model);
    EXPECT_DOUBLE_EQ(model->m_dAcquisitionRangeKm, c.km);
    EXPECT_FLOAT_EQ(model->m_FibreParams.Range, static_cast<float>(c.km));
  }
}

TEST(LoadDisplayModel, TakesTheRangeFromTheAcquisitionRangeTime) {
  // The time field is what the acquisition covered; instruments fill the distance field in
  // conventions of their own (here ten times the trace), so it only stands in for a time of 0.
  struct Case {
    std::int32_t rangeTime, rangeDistance, userOffset, frontPanelOffset, acquisitionOffset;
    double km;
  };
  const double kmPerTime = lumivane::test::kKmPerTime;
  // The range is a duration: the offsets move where the acquisition starts, not how long it is.
  const Case cases[] = {
      {489700, 5000000, 0, 0, 0, 489700 * kmPerTime},
      {489700, 5000000, 7475, 0, 0, 489700 * kmPerTime},
      {489700, 0, 0, 500, 0, 489700 * kmPerTime},
      {489700, 0, 0, 0, -367, 489700 * kmPerTime},
      {0, 5000000, 7475, 0, 0, 500.0},
      {0, 0, 7475, 0, 0, 0.0},  // "Auto"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rangeTime);
    auto record = MakeTraceRecord(1000);
    record->FxdParams.AcquisitionRange = c.rangeTime;
    record->FxdParams.AcquisitionRangeDistance = c.rangeDistance;
    record->GenParams.UserOffset = c.userOffset;
    record->FxdParams.FrontPanelOffset = c.frontPanelOffset;
    record->FxdParams.AcquisitionOffset = c.acquisitionOffset;
    auto model = NewModel();
    Load(*record, *model);
    EXPECT_NEAR(model->m_dAcquisitionRangeKm, c.km, 1e-6);
    EXPECT_FLOAT_EQ(model->m_FibreParams.Range, static_cast<float>(model->m_dAcquisitionRangeKm));
    // The fields are saved as read.
    EXPECT_EQ(record->FxdParams.AcquisitionRange, c.rangeTime);
    EXPECT_EQ(record->FxdParams.AcquisitionRangeDistance, c.rangeDistance);
  }
}

TEST(LoadDisplayModel, RaisesTheCeilingToATraceFarAboveTheNoiseFloor) {
  struct Case { std::uint16_t noiseFloor; std::uint16_t peak; double ceiling; };
  const Case cases[] = {
      {20000, 25000, 20.0},  // 25 dB is within 6 dB of the floor
      {20000, 26000, 20.0},
      {20000, 27000, 27.0},
      {0, 5000, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.peak);
    auto record = MakeTraceRecord(1000, 1000);
    record->FxdParams.NoiseFloorLevel = c.noiseFloor;
    record->DataPts.Traces[0].Samples[500] = c.peak;
    auto model = NewModel();
    Load(*record, *model);
    EXPECT_DOUBLE_EQ(model->m_dDbCeiling, c.ceiling);
  }
}

TEST(LoadDisplayModel, SeatsCursorsInsideTheTrace) {
  struct Case {
    const char* name;
    std::int32_t points;
    std::int32_t totalPoints;
    std::int32_t storedA;
    std::int32_t storedB;
    double previousA;
    double previousB;
    std::int32_t cursorA;
    std::int32_t cursorB;
  };
  const Case cases[] = {
      {"stored", 8000, 8000, 400, 800, 0, 0, 400, 800},
      {"negative stored: fifths of all traces", 8000, 16000, -1, 800, 0, 0, 3200, 6400},
      {"fifths past this trace", 3000, 16000, -1, -1, 0, 0, 2999, 2999},
      {"stored past the trace", 8000, 8000, 90000, 2147483647, 0, 0, 7999, 7999},
      {"huge total", 8000, 2147483647, -1, -1, 0, 0, 7999, 7999},
      // Markers left beyond the new fibre (16.3 km) move to the first pulse width's point count,
      // which lies one past the trace.
      {"markers beyond the fibre", 8000, 8000, 400, 800, 20.0, 25.0, 7999, 7999},
      {"one marker on the fibre", 8000, 8000, 400, 800, 8.0, 25.0, 400, 800},
      {"no samples", 0, 0, 400, 800, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto record = MakeTraceRecord(c.points);
    record->DataPts.TotalPointCount = c.totalPoints;
    record->UserName.StoredCursorA = c.storedA;
    record->UserName.StoredCursorB = c.storedB;
    auto model = NewModel();
    Load(*record, *model, {.distanceCorrection = 0, .markerADistanceKm = c.previousA, .markerBDistanceKm = c.previousB});
    EXPECT_EQ(model->m_nCursorA, c.cursorA);
    EXPECT_EQ(model->m_nCursorB, c.cursorB);
  }
}

TEST(LoadDisplayModel, SeatsTheAuxWindowsAroundBothCursorsWithinTheTrace) {
  auto record = MakeTraceRecord(1000);
  record->UserName.StoredCursorA = 100;
  record->UserName.StoredCursorB = 800;
  auto model = NewModel();
  Load(*record, *model);
  const auto& loss = model->m_LossAuxMarkers;
  const auto& refl = model->m_ReflectanceAuxMarkers;
  EXPECT_EQ(loss[0][0].SampleIndex, 0);
  EXPECT_EQ(loss[0][1].SampleIndex, 100);
  EXPECT_EQ(loss[0][2].SampleIndex, 100);
  EXPECT_EQ(loss[0][3].SampleIndex, 600);
  EXPECT_EQ(refl[0][0].SampleIndex, 0);
  EXPECT_EQ(refl[0][1].SampleIndex, 100);
  EXPECT_EQ(refl[0][2].SampleIndex, 100);
  EXPECT_EQ(loss[1][0].SampleIndex, 300);
  EXPECT_EQ(loss[1][1].SampleIndex, 800);
  EXPECT_EQ(loss[1][2].SampleIndex, 800);
  EXPECT_EQ(loss[1][3].SampleIndex, 1000);
  EXPECT_EQ(refl[1][0].SampleIndex, 300);
  EXPECT_EQ(refl[1][2].SampleIndex, 800);
}

TEST(LoadDisplayModel, BoundsDamagedCountsAndDegenerateFields) {
  struct Case {
    const char* name;
    std::int32_t points;
    std::int16_t events;
    std::size_t eventRows;
    std::int16_t scale;
    std::int32_t groupIndex;
    std::int32_t pointCount;
    std::int32_t eventCount;
  };
  const Case cases[] = {
      {"negative counts", -5, -3, kSorMaxKeyEvents, 1000, 146800, 0, 0},
      {"counts past the arrays", 90000, 30000, kSorMaxKeyEvents, 1000, 146800, kSorMaxSamples, kSorMaxKeyEvents},
      {"event count past the stored rows", 1000, 10, 3, 1000, 146800, 1000, 3},
      {"no scale factor", 1000, 0, 0, 0, 146800, 1000, 0},
      {"no group index", 1000, 0, 0, 1000, 0, 1000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto record = MakeTraceRecord(kSorMaxSamples);
    record->DataPts.Traces[0].PointCount = c.points;
    record->DataPts.TotalPointCount = c.points;
    record->KeyEvents.KeyEventCount = c.events;
    record->KeyEvents.Events.resize(c.eventRows);
    record->DataPts.Traces[0].ScaleFactor = c.scale;
    record->FxdParams.GroupIndex = c.groupIndex;
    record->UserName.StoredCursorA = -1;
    auto model = NewModel();
    Load(*record, *model);
    EXPECT_EQ(model->m_nPointCount, c.pointCount);
    EXPECT_EQ(model->m_nEventCount, c.eventCount);
    EXPECT_TRUE(std::isfinite(model->m_dFibreLengthKm));
    EXPECT_GE(model->m_dFibreLengthKm, 0.0);
    for (std::int32_t i = 0; i < model->m_nPointCount; ++i) ASSERT_TRUE(std::isfinite(model->m_DbSamples.Values[i]));
    EXPECT_GE(model->m_nCursorA, 0);
    EXPECT_LE(model->m_nCursorA, std::max(model->m_nPointCount - 1, 0));
    EXPECT_LE(model->m_nCursorB, std::max(model->m_nPointCount - 1, 0));
    for (const auto& set : model->m_LossAuxMarkers) {
      for (const AuxMarker& marker : set) EXPECT_LE(marker.SampleIndex, model->m_nPointCount);
    }
  }
}

TEST(LoadDisplayModel, LeavesTheEventTableOfATraceWithoutSamples) {
  auto record = MakeTraceRecord(0);
  AddKeyEvent(*record, 0, "1F9999");
  auto model = NewModel();
  model->m_EventRows[0].SpliceLoss = 1.25f;
  model->m_nEndEventRow = 7;
  Load(*record, *model);
  EXPECT_EQ(model->m_nEventCount, 1);
  EXPECT_FLOAT_EQ(model->m_EventRows[0].SpliceLoss, 1.25f);
  EXPECT_EQ(model->m_nEndEventRow, 7);
}

TEST(LoadDisplayModel, ChangesNothingForOtherFileKinds) {
  auto record = MakeTraceRecord(1000);
  auto model = NewModel();
  model->m_nPointCount = 17;
  LoadDisplayModel(1, *record, {}, DisplayModelTargetOf(*model));
  EXPECT_EQ(model->m_nPointCount, 17);
  EXPECT_EQ(model->m_dFibreLengthKm, 0.0);
}

}  // namespace
