#include "traceview/marker_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kN = 10000;

// A straight trace 0.001 dB per sample, so every fitted line reads the samples back.
struct Ramp {
  std::vector<double> db = [] {
    std::vector<double> v(kN);
    for (int i = 0; i < kN; ++i) v[static_cast<std::size_t>(i)] = 0.001 * i;
    return v;
  }();
  MarkerTrace Trace() const { return {kN, db}; }
};

TEST(AuxPlaces, DefaultDistancesFromTheMarkerHeldAtTheTraceEnds) {
  struct Case {
    int marker;
    std::array<int, 4> loss;
    std::array<int, 3> reflectance;
  } cases[] = {
      {3000, {2500, 3000, 3060, 3500}, {2500, 3000, 3020}},
      {9700, {9200, 9700, 9760, 9998}, {9200, 9700, 9720}},
      {200, {0, 200, 260, 700}, {0, 200, 220}},
      {9990, {9490, 9990, 10050, 9998}, {9490, 9990, 9998}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LossAuxPlaces(c.marker, {}, kN), c.loss) << c.marker;
    EXPECT_EQ(ReflectanceAuxPlaces(c.marker, {}, kN), c.reflectance) << c.marker;
  }
  EXPECT_EQ(LossAuxPlaces(3000, {10, -20, 5, 0}, kN), (std::array<int, 4>{2510, 2980, 3065, 3500}))
      << "shifts move each aux marker from its default place";
}

struct LossCase {
  int mode;
  int marker;
  std::array<int, 4> in;
  std::array<int, 4> out;
};

TEST(UpdateLossAuxMarkers, OrdersSplitsAndKeepsTheSecondSegmentAfterTheFirst) {
  const LossCase cases[] = {
      {0, 5000, {700, 700, 6000, 6600}, {200, 700, 6000, 6600}},     // an empty segment opens to 500
      {0, 5000, {300, 300, 6000, 6600}, {300, 300, 6000, 6600}},     // too near the start: stays
      {0, 1500, {1000, 1500, 2000, 2100}, {1000, 1500, 1500, 2000}}, // short second segment at the marker
      {1, 1500, {1000, 1500, 2000, 2100}, {1000, 1500, 2000, 2100}}, // only mode 0 lengthens it
      {1, 5000, {5100, 4600, 4000, 4200}, {4600, 5100, 5160, 4200}}, // second before the first: +60
      {0, 5000, {-40, 20000, 7000, 7000}, {0, 9999, 9999, 7000}},    // held within the trace
  };
  const Ramp ramp;
  for (const LossCase& c : cases) {
    MarkerState m{};
    m.AnalysisMode = c.mode;
    m.MarkerA = c.marker;
    for (int k = 0; k < 4; ++k) m.LossAuxMarkers[0][k].SampleIndex = c.in[static_cast<std::size_t>(k)];
    UpdateLossAuxMarkers(m, 0, ramp.Trace(), 0.0);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(m.LossAuxMarkers[0][k].SampleIndex, c.out[static_cast<std::size_t>(k)])
          << "mode " << c.mode << " in " << c.in[0] << ".." << c.in[3] << " aux " << k;
    }
  }
}

TEST(UpdateLossAuxMarkers, ValuesAreTheLineOrTheLevelsPlusTheOffset) {
  const Ramp ramp;
  MarkerState m{};
  m.AnalysisMode = 1;
  m.MarkerA = 5000;
  const int in[4] = {4500, 5000, 5060, 5500};
  for (int k = 0; k < 4; ++k) m.LossAuxMarkers[0][k].SampleIndex = in[k];
  UpdateLossAuxMarkers(m, 0, ramp.Trace(), 2.0);
  EXPECT_NEAR(m.LossAuxMarkers[0][0].Value, 4.5 + 2.0, 1e-3);
  EXPECT_NEAR(m.LossAuxMarkers[0][3].Value, 5.5 + 2.0, 1e-3);

  MarkerState equal{};
  equal.AnalysisMode = 1;
  for (int k = 0; k < 4; ++k) equal.LossAuxMarkers[1][k].SampleIndex = 300;
  UpdateLossAuxMarkers(equal, 1, ramp.Trace(), 1.0);
  EXPECT_DOUBLE_EQ(equal.LossAuxMarkers[1][0].Value, 0.3 + 1.0) << "a one-sample pair reads the level";
}

TEST(UpdateReflectanceAuxMarkers, LevelPointAfterTheSegmentEnd) {
  struct Case {
    int mode;
    std::array<int, 3> in;
    std::array<int, 3> out;
  } cases[] = {
      {1, {4000, 4500, 4400}, {4000, 4500, 4510}},
      {2, {4500, 4000, 4600}, {4000, 4500, 4600}},
      {0, {4000, 4500, 4800}, {4000, 4500, 4500}},
      {0, {4500, 4500, 4800}, {4000, 4500, 4500}},
      {1, {9000, 9999, 100}, {9000, 9999, 9999}},
  };
  const Ramp ramp;
  for (const auto& c : cases) {
    MarkerState m{};
    m.AnalysisMode = c.mode;
    for (int k = 0; k < 3; ++k) m.ReflectanceAuxMarkers[0][k].SampleIndex = c.in[static_cast<std::size_t>(k)];
    UpdateReflectanceAuxMarkers(m, 0, ramp.Trace(), 0.0);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(m.ReflectanceAuxMarkers[0][k].SampleIndex, c.out[static_cast<std::size_t>(k)])
          << "mode " << c.mode << " aux " << k;
    }
  }
}

TEST(AuxValues, AnIndexOutsideTheTraceHasNoValue) {
  const Ramp ramp;
  EXPECT_EQ(AuxLevelAt(ramp.Trace(), -1), kMissingValue);
  EXPECT_EQ(AuxLevelAt(ramp.Trace(), kN), kMissingValue);
  EXPECT_DOUBLE_EQ(AuxLevelAt(ramp.Trace(), kN - 1), 0.001 * (kN - 1));

  // Places run past the trace by the user's shift; the paint must not read samples there.
  MarkerState m{};
  m.AnalysisMode = 1;
  m.MarkerA = 100;
  std::array<int, 4> lossShift[2] = {{0, -300, 0, 0}, {}};
  std::array<int, 3> reflShift[2] = {};
  PlaceAuxMarkersForPaint(m, lossShift, reflShift, -1, ramp.Trace(), {1.0, 0.0, 800}, 0.0);
  EXPECT_EQ(m.LossAuxMarkers[0][1].SampleIndex, -200);
  EXPECT_EQ(m.LossAuxMarkers[0][1].Value, kMissingValue);
}

TEST(StepActiveMarker, RefusesAStepOffTheTrace) {
  const Ramp ramp;
  MarkerState m{};
  m.MarkerA = 0;
  m.MarkerB = 500;
  EXPECT_FALSE(StepActiveMarker(m, -1, ramp.Trace(), 0.0));
  EXPECT_EQ(m.MarkerA, 0);

  m.MarkerA = 10;
  m.LossAuxMarkers[0][0].SampleIndex = -3;
  ASSERT_TRUE(StepActiveMarker(m, -1, ramp.Trace(), 0.0));
  EXPECT_EQ(m.MarkerA, 9);
  EXPECT_EQ(m.MarkerB, 500);
  EXPECT_EQ(m.LossAuxMarkers[0][0].SampleIndex, -4) << "mode 0 keys shift the aux markers without a bound";

  m.LockAB = 1;
  m.MarkerB = kN - 1;
  EXPECT_FALSE(StepActiveMarker(m, 1, ramp.Trace(), 0.0));
  EXPECT_EQ(m.MarkerA, 9);
  EXPECT_EQ(m.MarkerB, kN - 1);
  ASSERT_TRUE(StepActiveMarker(m, -1, ramp.Trace(), 0.0));
  EXPECT_EQ(m.MarkerA, 8);
  EXPECT_EQ(m.MarkerB, kN - 2);
}

TEST(AnalysisModes, EachCommandTogglesItsOwnMode) {
  EXPECT_EQ(ToggledInsertionLossMode(0), 1);
  EXPECT_EQ(ToggledInsertionLossMode(1), 0);
  EXPECT_EQ(ToggledInsertionLossMode(2), 1);
  EXPECT_EQ(ToggledReflectanceMode(0), 2);
  EXPECT_EQ(ToggledReflectanceMode(2), 0);
  EXPECT_EQ(ToggledReflectanceMode(1), 2);
}

TEST(HoldDraggedAux, NeighboursMarkerTraceAndWindow) {
  const SampleAxis axis{1.0, 0.0, 800};
  const std::vector<int> loss{2500, 3000, 3060, 3500};
  EXPECT_EQ(HoldDraggedAux(1, 1, 3200, loss, 3000, kN, axis), 3000) << "aux 1 stops on the marker";
  EXPECT_EQ(HoldDraggedAux(1, 0, -5, loss, 3000, kN, axis), 0);
  EXPECT_EQ(HoldDraggedAux(1, 2, 2900, loss, 3000, kN, axis), 3000);
  const std::vector<int> nearEnd{200, 400, 460, 700};
  EXPECT_EQ(HoldDraggedAux(1, 3, 950, nearEnd, 400, kN, axis), 800) << "the last aux stays in the window";
  const std::vector<int> refl{2500, 3000, 3020};
  EXPECT_EQ(HoldDraggedAux(2, 2, 2990, refl, 3000, kN, {0.1, 0.0, 800}), 3000);
  EXPECT_EQ(HoldDraggedAux(2, 2, 20000, refl, 3000, kN, {0.01, 0.0, 800}), kN - 1);
}

TEST(DragActiveMarker, InsideTheWindowEdgeSnapAndLockedRefusal) {
  const Ramp ramp;
  const SampleAxis fullView{0.5, 0.0, 5000};
  MarkerState m{};
  m.MarkerA = 1000;
  m.MarkerB = 5000;
  m.LossAuxMarkers[0][0].SampleIndex = 10;
  EXPECT_EQ(DragActiveMarker(m, 1000, fullView, 1000, 5000, ramp.Trace(), 0.0), MarkerDragResult::Moved);
  EXPECT_EQ(m.MarkerA, 2000);
  EXPECT_EQ(m.LossAuxMarkers[0][0].SampleIndex, 1000) << "moved with the marker, then ordered";
  EXPECT_EQ(m.LossAuxMarkers[0][1].SampleIndex, 1010);

  EXPECT_EQ(DragActiveMarker(m, 1000, fullView, 2000, 5000, ramp.Trace(), 0.0), MarkerDragResult::Unchanged);

  EXPECT_EQ(DragActiveMarker(m, 5100, fullView, 2000, 5000, ramp.Trace(), 0.0), MarkerDragResult::SnappedToEdge);
  EXPECT_EQ(m.MarkerA, kN - 1) << "right of the full view: the last sample, never beyond";

  m.MarkerA = 2000;
  m.LockAB = 1;
  EXPECT_EQ(DragActiveMarker(m, 4950, fullView, 2000, 5000, ramp.Trace(), 0.0), MarkerDragResult::Unchanged)
      << "B would leave the trace: neither marker moves";
  EXPECT_EQ(m.MarkerA, 2000);
  EXPECT_EQ(m.MarkerB, 5000);
  EXPECT_EQ(DragActiveMarker(m, 1500, fullView, 2000, 5000, ramp.Trace(), 0.0), MarkerDragResult::Moved);
  EXPECT_EQ(m.MarkerA, 3000);
  EXPECT_EQ(m.MarkerB, 6000);
}

}  // namespace
