#include "measure/add_event_measurements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "document/otdr_doc.h"
#include "measure/marker_measurements.h"
#include "trace/backscatter_field.h"
#include "vocabulary/length_unit.h"

namespace {

constexpr int kCount = 1001;

// The current trace: 1001 samples over 1 km losing 0.3 dB/km from 2 dB, a 0.5 dB step at sample
// 500; times of flight about one per metre and one per sample.
class AddEventMeasurementsTest : public ::testing::Test {
 protected:
  AddEventMeasurementsTest() : doc(std::make_unique<COtdrDoc>()), measure(*doc) {
    SorRecord& r = doc->m_SorRecord;
    r.FxdParams.DataSpacing[0] = 10000;
    r.FxdParams.GroupIndex = 2998;
    r.FxdParams.PulseWidths[0] = 1000;
    r.FxdParams.Backscatter = 800;
    r.DataPts.TotalPointCount = kCount;
    r.DataPts.Traces[0].PointCount = kCount;
    r.KeyEvents.KeyEventCount = 1;
    r.KeyEvents.Events.resize(1);
    r.KeyEvents.Events[0].MarkerLocations[2] = 20;  // launch window
    r.KeyEvents.Events[0].MarkerLocations[3] = 200;
    doc->m_nPointCount = kCount;
    doc->m_dFibreLengthKm = 1.0;
    doc->m_DbSamples.Values.resize(kCount);
    for (int i = 0; i < kCount; ++i) doc->m_DbSamples.Values[i] = 2.0 + 0.0003 * i + (i >= 500 ? 0.5 : 0.0);
  }
  ~AddEventMeasurementsTest() override { ResetLengthUnit(); }

  void SetLossWindows(int set, int a, int b, int c, int d) {
    AuxMarker* w = doc->m_MarkerState.LossAuxMarkers[set];
    const int indices[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i) {
      w[i] = {indices[i], doc->m_DbSamples.Values[std::clamp(indices[i], 0, kCount - 1)]};
    }
  }
  void SetStoredEvents() {
    SorKeyEvents& k = doc->m_SorRecord.KeyEvents;
    k.KeyEventCount = 3;
    k.Events.resize(3);
    k.Events[1].TimeOfFlight = 300;
    k.Events[2].TimeOfFlight = 600;
    doc->m_nEventCount = 3;
    doc->m_EventRows[0].CumulativeLoss = kMissingValue;
    doc->m_EventRows[1] = EventRow{1, kEventNonReflective, 0, 0.3f, 0.0f, 0.1f, 0.3f, 0.2f, 0, 0, 0, 0};
    doc->m_EventRows[2] = EventRow{2, kEventReflective, 0, 0.6f, -45.0f, 0.3f, 0.3f, 0.5f, 0, 0, 0, 0};
  }

  std::unique_ptr<COtdrDoc> doc;
  AddEventMeasurements measure;
};

TEST_F(AddEventMeasurementsTest, WindowTakesThePeakOfTheReflection) {
  doc->m_DbSamples.Values[300] = 1.093;  // 1 dB above the line before the window, at its end (2.093)
  SetLossWindows(0, -20, 290, 310, 700);
  measure.SetAddEventWindow(0);
  const auto& p = measure.WorkingPoints();
  EXPECT_EQ(p[0].SampleIndex, 0);
  EXPECT_DOUBLE_EQ(p[0].Value, 2.0);
  EXPECT_EQ(p[1].SampleIndex, 290);
  EXPECT_DOUBLE_EQ(p[1].Value, doc->m_DbSamples.Values[290]);
  EXPECT_EQ(p[2].SampleIndex, 310);
  EXPECT_DOUBLE_EQ(p[2].Value, doc->m_DbSamples.Values[300]);
  EXPECT_EQ(p[3].SampleIndex, 0);
  // Height 1 dB, backscatter term 80 / 10 - 30 - 10 log10(1) = 50 dB.
  EXPECT_NEAR(measure.ComputeAddEventReflectance(), 10.0 * std::log10(std::pow(10.0, 0.2) - 1.0) - 50.0, 1e-3);
}

// A mode 100 file stores the 1 us magnitude, 300 tenths below the field of the same fibre in a
// file of the usual convention; both must propose the same reflectance.
TEST_F(AddEventMeasurementsTest, ReflectanceFollowsTheBackscatterMode) {
  doc->m_DbSamples.Values[300] = 1.093;
  SetLossWindows(0, -20, 290, 310, 700);
  measure.SetAddEventWindow(0);
  SorRecord& r = doc->m_SorRecord;
  for (const std::int16_t field : {std::int16_t{500}, std::int16_t{521}, std::int16_t{800}}) {
    r.UserName.BackscatterMode = 0;
    r.FxdParams.Backscatter = static_cast<std::int16_t>(field + 300);
    const float usual = measure.ComputeAddEventReflectance();
    r.UserName.BackscatterMode = kBackscatterModeMicrosecond;
    r.FxdParams.Backscatter = field;
    EXPECT_NE(usual, kMissingValue);
    EXPECT_FLOAT_EQ(measure.ComputeAddEventReflectance(), usual) << field;
    EXPECT_NEAR(usual, 10.0 * std::log10(std::pow(10.0, 0.2) - 1.0) - field / 10.0, 1e-3) << field;
  }
}

TEST_F(AddEventMeasurementsTest, WindowPastTheSamplesMovesBackAndMeasuresNothing) {
  SetLossWindows(1, 900, 990, 1005, 1000);
  measure.SetAddEventWindow(1);
  const auto& p = measure.WorkingPoints();
  EXPECT_EQ(p[1].SampleIndex, 988);
  EXPECT_EQ(p[2].SampleIndex, 986);
  EXPECT_DOUBLE_EQ(p[2].Value, 10000.0);
  EXPECT_EQ(measure.ComputeAddEventReflectance(), kMissingValue);
}

TEST_F(AddEventMeasurementsTest, EmptyPeakWindowGivesNoReflectanceRatherThanInfinity) {
  SetLossWindows(0, 0, 300, 300, 800);  // the windows of a marker without an analysis window
  measure.SetAddEventWindow(0);
  EXPECT_DOUBLE_EQ(measure.WorkingPoints()[2].Value, 10000.0);
  EXPECT_EQ(measure.ComputeAddEventReflectance(), kMissingValue);
}

TEST_F(AddEventMeasurementsTest, FlatPeakHasNoHeight) {
  for (int i = 0; i < kCount; ++i) doc->m_DbSamples.Values[i] = 3.0;
  SetLossWindows(0, 100, 290, 310, 700);
  measure.SetAddEventWindow(0);
  EXPECT_EQ(measure.ComputeAddEventReflectance(), -78.0f);
}

TEST_F(AddEventMeasurementsTest, SpliceLossBetweenTheTwoLines) {
  SetLossWindows(0, 200, 450, 550, 800);
  measure.LoadLossAuxMarkers(0);
  EXPECT_EQ(measure.WorkingPoints()[3].SampleIndex, 800);
  EXPECT_NEAR(measure.ComputeAuxMarkerLoss(500), 0.5f, 1e-5f);
  SetLossWindows(0, 200, 200, 550, 800);
  measure.LoadLossAuxMarkers(0);
  EXPECT_EQ(measure.ComputeAuxMarkerLoss(500), kMissingValue);
  SetLossWindows(0, 200, 450, 900, kCount - 1);  // the second line cannot be fitted
  measure.LoadLossAuxMarkers(0);
  EXPECT_EQ(measure.ComputeAuxMarkerLoss(500), kMissingValue);
}

// The proposal is the Marker Information pane's reading at the same marker, whichever is active.
TEST_F(AddEventMeasurementsTest, CumulativeLossIsThePanesReadingAtTheActiveMarker) {
  SetStoredEvents();
  MarkerState& markers = doc->m_MarkerState;
  markers.MarkerA = 700;
  markers.MarkerB = 320;
  SetLossWindows(0, 600, 700, 700, 900);
  SetLossWindows(1, 220, 320, 320, 400);
  // The level on the line 600-700 at sample 700, less the launch level 2.0; then 220-320 at 320.
  for (const auto& [active, expected] : {std::pair{0, 0.71f}, std::pair{1, 0.096f}}) {
    markers.ActiveMarker = active;
    EXPECT_NEAR(measure.ComputeAddEventLoss(), expected, 0.001f) << active;
    EXPECT_EQ(measure.ComputeAddEventLoss(),
              GetMarkerEventLossFromSamples(markers, doc->m_SorRecord, kCount, doc->m_DbSamples.Values, 1.0));
  }
  doc->m_nEventCount = 0;
  EXPECT_EQ(measure.ComputeAddEventLoss(), kMissingValue);
}

TEST_F(AddEventMeasurementsTest, AttenuationOfTheSectionBeforeTheNewEvent) {
  SetStoredEvents();
  // After event 1 (0.3 km, cumulative 0.2, splice 0.1): 0.06 dB over 0.2 km.
  EXPECT_NEAR(measure.ComputeAddEventAttenuation(0.36f, 0.5f), 0.3f, 1e-4f);
  // Before event 1 the cumulative loss spreads over the distance from the launch.
  EXPECT_NEAR(measure.ComputeAddEventAttenuation(0.36f, 0.2f), 1.8f, 1e-4f);
  EXPECT_EQ(measure.ComputeAddEventAttenuation(kMissingValue, 0.5f), kMissingValue);
  EXPECT_EQ(measure.ComputeAddEventAttenuation(0.36f, 0.0f), kMissingValue);
  // A launch 0.02 km after the first sample (a file with a user offset): its section starts there.
  doc->m_EventRows[0].Distance = 0.02f;
  EXPECT_NEAR(measure.ComputeAddEventAttenuation(0.36f, 0.2f), 2.0f, 1e-4f);
  doc->m_EventRows[1].CumulativeLoss = kMissingValue;
  EXPECT_EQ(measure.ComputeAddEventAttenuation(0.36f, 0.5f), kMissingValue);
}

TEST_F(AddEventMeasurementsTest, AttenuationInTheDisplayUnit) {
  SetStoredEvents();
  SetLengthUnit("kft");
  const float atKm = 0.5f;
  EXPECT_NEAR(measure.ComputeAddEventAttenuation(0.36f, static_cast<float>(atKm * g_LengthUnitFactor)),
              0.06 / (0.2 * g_LengthUnitFactor), 1e-4);
}

TEST_F(AddEventMeasurementsTest, EventTimeDoesNotDependOnTheDisplayUnit) {
  const std::int32_t km = measure.SampleIndexToEventTime(500);
  // 500 x 1 km / 1001 points, about 499.5 m: the point count, not the point count - 1.
  EXPECT_NEAR(km, 500, 1);
  EXPECT_EQ(km, doc->DistanceToTime(static_cast<float>(500.0 / kCount)));
  SetLengthUnit("mi");
  EXPECT_EQ(measure.SampleIndexToEventTime(500), km);
  doc->m_nPointCount = 0;
  EXPECT_EQ(measure.SampleIndexToEventTime(500), 0);
}

}  // namespace
