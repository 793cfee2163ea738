#include "document/marker_windows.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

std::vector<std::int32_t> LossIndices(const MarkerState& m, int set) {
  std::vector<std::int32_t> out;
  for (const AuxMarker& a : m.LossAuxMarkers[set]) out.push_back(a.SampleIndex);
  return out;
}

std::vector<std::int32_t> ReflectanceIndices(const MarkerState& m, int set) {
  std::vector<std::int32_t> out;
  for (const AuxMarker& a : m.ReflectanceAuxMarkers[set]) out.push_back(a.SampleIndex);
  return out;
}

TEST(PlaceActiveMarkerWindows, SeatsTheActiveMarkersWindowsAroundIt) {
  struct Case { std::int32_t at; std::vector<std::int32_t> loss; std::vector<std::int32_t> reflectance; };
  const Case cases[] = {
      {300, {0, 300, 300, 800}, {0, 300, 300}},
      {500, {0, 500, 500, 1000}, {0, 500, 500}},
      {4000, {3500, 4000, 4000, 4500}, {3500, 4000, 4000}},
      // The far end stops at the point count, one past the last sample.
      {9800, {9300, 9800, 9800, 10000}, {9300, 9800, 9800}},
      // A marker index at the top of its range must not overflow.
      {std::numeric_limits<std::int32_t>::max(),
       {std::numeric_limits<std::int32_t>::max() - 500, std::numeric_limits<std::int32_t>::max(),
        std::numeric_limits<std::int32_t>::max(), 10000},
       {std::numeric_limits<std::int32_t>::max() - 500, std::numeric_limits<std::int32_t>::max(),
        std::numeric_limits<std::int32_t>::max()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.at);
    MarkerState a;
    a.MarkerA = c.at;
    PlaceActiveMarkerWindows(a, 10000);
    EXPECT_EQ(LossIndices(a, 0), c.loss);
    EXPECT_EQ(ReflectanceIndices(a, 0), c.reflectance);

    MarkerState b;
    b.ActiveMarker = 1;
    b.MarkerB = c.at;
    PlaceActiveMarkerWindows(b, 10000);
    EXPECT_EQ(LossIndices(b, 1), c.loss);
    EXPECT_EQ(ReflectanceIndices(b, 1), c.reflectance);
  }
}

TEST(PlaceActiveMarkerWindows, LeavesFittedValuesAndTheOtherMarkerAlone) {
  MarkerState m;
  m.ActiveMarker = 1;
  m.MarkerA = 2000;
  m.MarkerB = 3000;
  m.LossAuxMarkers[1][0].Value = -12.5;
  m.LossAuxMarkers[0][3] = {77, -3.0};
  m.ReflectanceAuxMarkers[0][2] = {66, -4.0};
  PlaceActiveMarkerWindows(m, 10000);
  EXPECT_EQ(LossIndices(m, 1), (std::vector<std::int32_t>{2500, 3000, 3000, 3500}));
  EXPECT_DOUBLE_EQ(m.LossAuxMarkers[1][0].Value, -12.5);
  EXPECT_EQ(LossIndices(m, 0), (std::vector<std::int32_t>{0, 0, 0, 77}));
  EXPECT_EQ(m.ReflectanceAuxMarkers[0][2].SampleIndex, 66);
}

TEST(PlaceActiveMarkerWindows, AnUnknownActiveMarkerChangesNothing) {
  MarkerState m;
  m.ActiveMarker = 2;
  m.MarkerA = 3000;
  m.MarkerB = 3000;
  PlaceActiveMarkerWindows(m, 10000);
  EXPECT_EQ(LossIndices(m, 0), (std::vector<std::int32_t>{0, 0, 0, 0}));
  EXPECT_EQ(LossIndices(m, 1), (std::vector<std::int32_t>{0, 0, 0, 0}));
  EXPECT_EQ(ReflectanceIndices(m, 1), (std::vector<std::int32_t>{0, 0, 0}));
}

}  // namespace
