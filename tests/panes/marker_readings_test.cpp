#include "panes/marker_readings.h"

#include <gtest/gtest.h>

#include "info_pane_fixture.h"
#include "panes/marker_info_text.h"

namespace {

constexpr double kTol = 1e-6;

}  // namespace

class MarkerReadingsTest : public InfoPaneTest {
 protected:
  MarkerReadings Update(int hint = kHintRefresh) {
    UpdateMarkerReadings(*doc, hint, readings);
    return readings;
  }

  // Puts key event 0's launch window (third and fourth marker locations) on samples h and i.
  void SetLaunchWindow(int h, int i) {
    doc->m_SorRecord.KeyEvents.Events[0].MarkerLocations[2] = h * kFixtureTimePerSample;
    doc->m_SorRecord.KeyEvents.Events[0].MarkerLocations[3] = i * kFixtureTimePerSample;
  }

  MarkerReadings readings;
};

TEST_F(MarkerReadingsTest, MeasuresBetweenTheMarkersOfTheFixture) {
  const MarkerReadings r = Update();
  EXPECT_NEAR(r.m_dDistanceAB, 4.0, kTol);
  EXPECT_NEAR(r.m_dTwoPointLoss, 0.8, kTol);
  EXPECT_NEAR(r.m_dLsaLoss, 0.8, 1e-5);
  EXPECT_NEAR(r.m_dTwoPointAttn, 0.2, kTol);
  EXPECT_NEAR(r.m_dLsaAttn, 0.2, 1e-5);
  EXPECT_NEAR(r.m_dInsLoss, 0.0, 1e-5);
  EXPECT_EQ(r.m_dReflectance, kMissingValue);  // reflectance windows not seated
  EXPECT_NEAR(r.m_dCumLoss, 0.6, 1e-5);
}

TEST_F(MarkerReadingsTest, MarkersOnOneSampleReadZero) {
  doc->m_MarkerState.MarkerB = 300;
  const MarkerReadings r = Update();
  EXPECT_EQ(r.m_dDistanceAB, 0.0);
  EXPECT_EQ(r.m_dTwoPointLoss, 0.0);
  EXPECT_EQ(r.m_dLsaLoss, 0.0);
  EXPECT_EQ(r.m_dTwoPointAttn, 0.0);
  EXPECT_EQ(r.m_dLsaAttn, 0.0);
  EXPECT_EQ(ComputeMarkerOrl(*doc, doc->m_EventRows, doc->m_nEventCount, 1550.0f), 0.0f);
  const PaneLines lines = MarkerInfoLines(*doc, r, 0.0f, {"km", 1.0});
  EXPECT_EQ(lines[0].value, " 0.00000 km");
  EXPECT_EQ(lines[3].value, "  0.000 dB/km");
}

TEST_F(MarkerReadingsTest, ChoosingAnEventMovesTheActiveMarkerAndReadsTheStoredEvent) {
  struct Case {
    int event;
    int activeMarker;
    int expectedIndex;
    double insLoss;
    double reflectance;
  };
  const Case cases[] = {
      {0, 0, 0, kMissingValue, -50.0},           // the launch has no loss
      {1, 0, 500, 0.35, kMissingValue},          // non-reflective: no reflectance
      {2, 1, 800, kMissingValue, -45.0},         // end of fibre: no loss
  };
  for (const Case& c : cases) {
    doc->m_nCurrentEvent = c.event;
    doc->m_MarkerState.ActiveMarker = c.activeMarker;
    const MarkerReadings r = Update(kHintEventChosen);
    const MarkerState& m = doc->m_MarkerState;
    EXPECT_EQ(c.activeMarker == 0 ? m.MarkerA : m.MarkerB, c.expectedIndex) << c.event;
    EXPECT_NEAR(r.m_dInsLoss, c.insLoss, kTol) << c.event;
    EXPECT_NEAR(r.m_dReflectance, c.reflectance, kTol) << c.event;
  }
}

// Only an event at the user's zero is the launch: a file whose first stored event is the splice
// 5 km in (no Start row) reads that event's loss when it is chosen, as its table row shows it.
TEST_F(MarkerReadingsTest, AFirstEventBehindTheUsersZeroIsNoLaunch) {
  SorKeyEvents& keys = doc->m_SorRecord.KeyEvents;
  keys.Events.erase(keys.Events.begin());
  keys.KeyEventCount = 2;
  doc->m_nCurrentEvent = 0;
  EXPECT_NEAR(Update(kHintEventChosen).m_dInsLoss, 0.35, kTol);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 500);
  // The launch at the zero has none.
  LoadFixtureTrace(*doc);
  EXPECT_EQ(Update(kHintEventChosen).m_dInsLoss, kMissingValue);
}

// A chosen event reads as its row shows it: a value stored as 0 was not measured, and behind the end
// no loss is measured.
TEST_F(MarkerReadingsTest, AChosenEventsUnmeasuredValuesAndLossesBehindTheEndAreMissing) {
  SorKeyEvents& keys = doc->m_SorRecord.KeyEvents;
  SetKeyEvent(keys.Events.emplace_back(), 900, "1F9999", 250, -40000);
  keys.KeyEventCount = 4;
  doc->m_nCurrentEvent = 3;  // behind the end at 8 km
  MarkerReadings r = Update(kHintEventChosen);
  EXPECT_EQ(r.m_dInsLoss, kMissingValue);
  EXPECT_NEAR(r.m_dReflectance, -40.0, kTol);  // a reflection behind the end is still one
  keys.Events[2].Reflectance = 0;
  doc->m_nCurrentEvent = 2;
  r = Update(kHintEventChosen);
  EXPECT_EQ(r.m_dReflectance, kMissingValue);
  keys.Events[1].SpliceLoss = 0;
  doc->m_nCurrentEvent = 1;
  EXPECT_EQ(Update(kHintEventChosen).m_dInsLoss, kMissingValue);
}

TEST_F(MarkerReadingsTest, LaunchLevelOfTheCumulativeLoss) {
  struct Case {
    int h, i;
    std::int16_t wavelengthField;
    double cumLoss;  // at marker A, 2.6003 dB
  };
  const Case cases[] = {
      {10, 50, 15500, 0.6},
      // A single-sample window is carried back to the launch: the launch lies 0.5 km x 0.32 dB/km
      // above the window at 1310 nm, nothing is carried at 1625 nm.
      {50, 50, 13100, 2.6003 - (2.1003 - 0.16)},
      {50, 50, 16250, 2.6003 - 2.1003},
      {50, 50, 1310, 2.6003 - (2.1003 - 0.16)},  // whole-nanometre field
      {400, 400, 15500, 2.6003 - (2.8003 - 0.88)},
      // A window starting in the launch's reflection, before the trace, or outside the first section
      // (behind the splice at sample 500, or past the trace): the first section's line.
      {1000, 1000, 15500, 0.6},
      {4000, 4000, 15500, 0.6},
      {0, 50, 15500, 0.6},
      {-5, -5, 15500, 0.6},
      {-20, 50, 15500, 0.6},
  };
  for (const Case& c : cases) {
    SetLaunchWindow(c.h, c.i);
    doc->m_SorRecord.FxdParams.ActualWavelength = c.wavelengthField;
    EXPECT_NEAR(Update().m_dCumLoss, c.cumLoss, 1e-5) << c.h << " " << c.i << " " << c.wavelengthField;
  }
}

TEST_F(MarkerReadingsTest, LaunchLevelWithFourthDecimalFiveOrMoreIsRaisedByAThousandth) {
  doc->m_SorRecord.DataPts.Traces[0].Samples.resize(kFixturePoints);
  doc->m_DbSamples.Values.resize(kFixturePoints);
  for (int i = 0; i < kFixturePoints; ++i) {
    doc->m_SorRecord.DataPts.Traces[0].Samples[i] = static_cast<std::uint16_t>(20006 + 20 * i);
    doc->m_DbSamples.Values[i] = (20006 + 20 * i) / 10000.0;
  }
  // Launch level 2.0006 dB, taken as 2.0016 dB.
  EXPECT_NEAR(Update().m_dCumLoss, 2.6006 - 2.0016, 1e-5);
}

TEST_F(MarkerReadingsTest, MarkersOutsideTheTraceAreReadAtItsEdges) {
  doc->m_MarkerState.MarkerB = 5000;
  doc->m_MarkerState.ActiveMarker = 1;
  const MarkerReadings r = Update();
  EXPECT_NEAR(r.m_dTwoPointLoss, 1.4, kTol);  // raw sample 1000 less raw sample 300
  EXPECT_EQ(r.m_dLsaLoss, 0.0);               // no line reaches the last sample
  EXPECT_EQ(doc->m_MarkerState.MarkerB, kFixturePoints - 1);  // the active marker is brought in
  EXPECT_EQ(r.m_dCumLoss, kMissingValue);  // behind the end at 8 km nothing is measured

  doc->m_MarkerState.MarkerA = -7;
  doc->m_MarkerState.ActiveMarker = 1;
  EXPECT_NEAR(Update().m_dTwoPointLoss, 2.0, kTol);
}

TEST_F(MarkerReadingsTest, WithSeveralTracesPlacedMarkersReturnToTheStoredCursors) {
  g_DisplayState.TraceCount = 2;
  g_DisplayState.MarkerADistance = 1.0;
  g_DisplayState.MarkerBDistance = 2.0;
  doc->m_SorRecord.UserName.StoredCursorA = 100;
  doc->m_SorRecord.UserName.StoredCursorB = 600;
  EXPECT_NEAR(Update().m_dDistanceAB, 5.0, kTol);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 100);
  EXPECT_EQ(doc->m_MarkerState.MarkerB, 600);
  EXPECT_NEAR(g_DisplayState.MarkerADistance, 1.0, kTol);
  EXPECT_NEAR(g_DisplayState.MarkerBDistance, 6.0, kTol);

  // A file without stored cursors leaves the markers where they are.
  doc->m_SorRecord.UserName.StoredCursorA = -1;
  doc->m_SorRecord.UserName.StoredCursorB = -1;
  doc->m_MarkerState.MarkerA = 200;
  const MarkerReadings r = Update();
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 200);
  EXPECT_NEAR(r.m_dDistanceAB, 4.0, kTol);
  EXPECT_NEAR(r.m_dTwoPointLoss, 0.8, kTol);
}

TEST_F(MarkerReadingsTest, MarkerSnappedByTheTableStandsAtItsEvent) {
  doc->m_MarkerState.TableSnapMarker = 1;
  doc->m_nCurrentEvent = 1;  // 5 km
  EXPECT_NEAR(Update().m_dDistanceAB, 2.0, kTol);
}

TEST_F(MarkerReadingsTest, NoTraceLeavesTheReadingsAlone) {
  doc->m_strTracePath = "space";
  readings.m_dDistanceAB = 9.0;
  doc->m_MarkerState.MarkerA = 5000;
  EXPECT_EQ(Update().m_dDistanceAB, 9.0);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 5000);
}

TEST_F(MarkerReadingsTest, TwoPointOrlBetweenTheMarkers) {
  struct Case {
    const char* what;
    int markerA, markerB;
    bool withEnd;
    bool withReflection;
    float orl;
  };
  const Case cases[] = {
      {"Rayleigh term alone", 300, 700, true, false, 38.3116f},
      {"reflection of -45 dB inside", 300, 700, true, true, 37.6534f},
      {"markers swapped", 700, 300, true, true, 37.6534f},
      {"no end row: the stretch is not cut", 300, 700, false, false, 38.3116f},
      {"cut at the end row, its reflection counted", 300, 950, true, false, 36.9706f},
      {"both at or beyond the end", 800, 950, true, false, 0.0f},
  };
  for (const Case& c : cases) {
    LoadFixtureTrace(*doc);
    doc->m_MarkerState.MarkerA = c.markerA;
    doc->m_MarkerState.MarkerB = c.markerB;
    if (!c.withEnd) doc->m_EventRows[2].Type = kEventNonReflective;
    if (c.withReflection) doc->m_EventRows[1] = Row(1, kEventReflective, 5.0f, -45.0f);
    EXPECT_NEAR(ComputeMarkerOrl(*doc, doc->m_EventRows, doc->m_nEventCount, 1550.0f), c.orl, 0.0005f) << c.what;
  }
}
