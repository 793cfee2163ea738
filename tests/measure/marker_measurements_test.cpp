#include "measure/marker_measurements.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kCount = 1001;

// 1001 samples over 1 km; times of flight equal sample indices (data spacing 10000) and a
// group-index field that makes one time unit about one metre.
class MarkerMeasurementsTest : public ::testing::Test {
 protected:
  MarkerMeasurementsTest() : trace(std::make_unique<TraceDisplayModel>()) {
    SorRecord& r = trace->m_SorRecord;
    r.FxdParams.DataSpacing[0] = 10000;
    r.FxdParams.GroupIndex = 2998;
    r.DataPts.Traces[0].PointCount = kCount;
    trace->m_nPointCount = kCount;
    trace->m_dFibreLengthKm = 1.0;
    SetFibre(2.0);
  }
  // A fibre losing 0.3 dB/km from `launch` dB, with a 0.5 dB step at sample 500.
  void SetFibre(double launch) {
    trace->m_DbSamples.Values.resize(kCount);
    for (int i = 0; i < kCount; ++i) trace->m_DbSamples.Values[i] = launch + 0.0003 * i + (i >= 500 ? 0.5 : 0.0);
  }
  // Key event 0, the launch, carries the window.
  void SetLaunchWindow(int c, int e) {
    if (trace->m_SorRecord.KeyEvents.KeyEventCount == 0) AddKeyEvent(0, u"1F", 0, 0);
    trace->m_SorRecord.KeyEvents.Events[0].MarkerLocations[2] = c;
    trace->m_SorRecord.KeyEvents.Events[0].MarkerLocations[3] = e;
  }
  void AddKeyEvent(int time, const char16_t* code, int spliceLoss, int reflectance) {
    SorKeyEvents& events = trace->m_SorRecord.KeyEvents;
    SorKeyEvent& k = events.Events.emplace_back();
    ++events.KeyEventCount;
    k.TimeOfFlight = time;
    k.EventCode[0] = code[0];
    k.EventCode[1] = code[1];
    k.SpliceLoss = static_cast<std::int16_t>(spliceLoss);
    k.Reflectance = reflectance;
  }
  std::span<const double> Samples() const { return trace->m_DbSamples.Values; }
  // The cumulative loss to the active marker (A for 0) through the 100 samples before it.
  float CumulativeLoss(int markerA, int markerB, int active) const {
    MarkerState markers;
    markers.MarkerA = markerA;
    markers.MarkerB = markerB;
    markers.ActiveMarker = active;
    const int at = active == 0 ? markerA : markerB;
    markers.LossAuxMarkers[active][0].SampleIndex = at - 100;
    markers.LossAuxMarkers[active][1].SampleIndex = at;
    return GetMarkerEventLoss(markers, *trace);
  }
  std::unique_ptr<TraceDisplayModel> trace;
};

TEST_F(MarkerMeasurementsTest, LineLossBetweenTwoIndices) {
  EXPECT_NEAR(GetLsaLoss(100, 400, *trace), 0.09f, 1e-5f);
  EXPECT_NEAR(GetLsaLoss(400, 100, *trace), 0.09f, 1e-5f);
  EXPECT_EQ(GetLsaLoss(250, 250, *trace), 0.0f);
  EXPECT_NEAR(GetLsaLossFromSamples(600, 900, kCount, Samples()), 0.09f, 1e-5f);
  // A window that cannot be fitted is no loss of 0 dB.
  EXPECT_EQ(GetLsaLoss(900, kCount - 1, *trace), kMissingValue);
  EXPECT_EQ(GetLsaLossFromSamples(-5, 100, kCount, Samples()), kMissingValue);
  EXPECT_EQ(GetLsaLossFromSamples(100, 400, 300, Samples()), kMissingValue);
}

TEST_F(MarkerMeasurementsTest, CumulativeLossToTheActiveMarkerFromTheLaunch) {
  SetLaunchWindow(20, 200);
  // Key event 0's window gives the launch level 2.0 at sample 0, whichever event is current.
  EXPECT_NEAR(CumulativeLoss(700, 300, 0), 0.71f, 1e-5f);
  EXPECT_NEAR(CumulativeLoss(700, 300, 1), 0.09f, 1e-5f);
  EXPECT_NEAR(CumulativeLoss(5000, 300, 0), 0.8f, 1e-5f);  // clamped to the last sample
  EXPECT_NEAR(CumulativeLoss(-3, 300, 0), 0.0f, 1e-5f);
}

// Nothing is lost at or before the start, whatever the launch's own reflection does to the trace there.
TEST_F(MarkerMeasurementsTest, CumulativeLossAtOrBeforeTheStartIsZero) {
  for (int i = 195; i <= 215; ++i) trace->m_DbSamples.Values[static_cast<std::size_t>(i)] = -1.6;  // a launch peak
  trace->m_SorRecord.GenParams.UserOffset = 200;  // the user's zero at sample 200
  SetLaunchWindow(30, 200);                       // samples 230-400
  for (const int marker : {0, 150, 200}) EXPECT_EQ(CumulativeLoss(marker, 900, 0), 0.0f) << marker;
  EXPECT_NEAR(CumulativeLoss(700, 900, 0), 0.65f, 1e-4f);
}

TEST_F(MarkerMeasurementsTest, LaunchLevelWithAFifthDecimalOfFiveStepsUp) {
  SetFibre(2.00055);
  SetLaunchWindow(20, 200);
  // 2.00055 is taken as 2.00155.
  EXPECT_NEAR(CumulativeLoss(700, 0, 0), 2.71055f - 2.00155f, 2e-5f);
}

TEST_F(MarkerMeasurementsTest, NoLaunchLevelGivesNoCumulativeLoss) {
  SetLaunchWindow(0, 200);  // no window after the launch
  EXPECT_EQ(CumulativeLoss(700, 300, 0), kMissingValue);
  SetLaunchWindow(20, kCount + 50);  // window past the trace
  EXPECT_EQ(CumulativeLoss(700, 300, 0), kMissingValue);
  SetLaunchWindow(20, 200);
  SetFibre(120.0);  // a launch level of 100 dB or more is no level
  EXPECT_EQ(CumulativeLoss(700, 300, 0), kMissingValue);
  MarkerState markers;
  markers.MarkerA = 700;
  EXPECT_EQ(GetMarkerEventLossFromSamples(markers, trace->m_SorRecord, 0, Samples(), 1.0), kMissingValue);
}

TEST(FindEventAtMarker, RowWhoseSpanHoldsTheMarker) {
  EventRow rows[3] = {};
  rows[1].Distance = 0.25f;
  rows[2].Distance = 0.75f;
  // Spans: row 1 (0, 0.125), row 2 (0.125, 0.5), row 3 (0.5, 1.0) from the user's zero; both ends
  // excluded. Samples count from the first sample, which lies `zero` km before the user's zero.
  const struct {
    double zero;
    int markerA;
    int markerB;
    int printMarker;
    int expected;
  } cases[] = {
      {0.0, 50, 0, 0, 1},   {0.0, 300, 0, 0, 2}, {0.0, 0, 300, 1, 2}, {0.0, 900, 0, 0, 3},
      {0.0, 125, 0, 0, 0},   // exactly between rows 1 and 2
      {0.0, 0, 500, 1, 0},   // exactly between rows 2 and 3
      {0.0, 0, 0, 0, 0},     // at the start of the first span
      {0.0, 1000, 0, 0, 0},  // at the end of the last span
      {0.1, 150, 0, 0, 1},   {0.1, 350, 0, 0, 2}, {0.1, 990, 0, 0, 3},
      {0.1, 50, 0, 0, 0},    // before the user's zero
      {0.1, 1000, 0, 0, 0},  // the last sample ends the last span
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindEventAtMarkerIndex(1.0, c.zero, rows, 3, kCount, kCount, c.markerA, c.markerB, c.printMarker),
              c.expected)
        << c.zero << " " << c.markerA << " " << c.markerB;
  }
  EXPECT_EQ(FindEventAtMarkerIndex(1.0, 0.0, rows, 3, kCount, 1, 300, 300, 0), 0);
  EXPECT_EQ(FindEventAtMarkerIndex(1.0, 0.0, rows, 0, kCount, kCount, 300, 300, 0), 0);
}

}  // namespace
