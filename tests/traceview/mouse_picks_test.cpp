#include "traceview/mouse_picks.h"

#include <gtest/gtest.h>

#include <vector>

#include "traceview/event_icons.h"

namespace {

std::vector<EventRow> Rows(std::initializer_list<int> types) {
  std::vector<EventRow> rows;
  for (int type : types) {
    EventRow row{};
    row.Type = type;
    rows.push_back(row);
  }
  return rows;
}

TEST(PickEventIcon, BoxAroundTheNumberUpToTheEndOfFibre) {
  const std::vector<EventRow> rows = Rows({0, 3, 2, 3, 1, 3});
  for (int i = 0; i < 6; ++i) {
    g_EventHitX[static_cast<std::size_t>(i)] = 100 * i + 50;
    g_EventHitY[static_cast<std::size_t>(i)] = 470;
  }
  struct Case {
    PixelPoint at;
    PixelPoint origin;
    int icon;
  } cases[] = {
      {{350, 470}, {0, 0}, 3},   // the fourth icon
      {{345, 465}, {0, 0}, 3},   // left and top edges inside
      {{370, 470}, {0, 0}, -1},  // right edge outside
      {{350, 490}, {0, 0}, -1},  // bottom edge outside
      {{550, 470}, {0, 0}, -1},  // after the first end event
      {{150, 170}, {200, 300}, 3},  // a scrolled view tests the canvas position
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PickEventIcon(c.at, c.origin, rows), c.icon) << c.at.x << "," << c.at.y;
  }
  EXPECT_EQ(PickEventIcon({50, 470}, {0, 0}, Rows({0, 3, 2})), -1) << "no end row: no icon is clickable";
}

TEST(PickAuxMarker, FivePixelsAndAux3WinsOnTheMarker) {
  MarkerState m{};
  m.AnalysisMode = 1;
  m.MarkerA = 300;
  const int indices[4] = {100, 200, 300, 300};
  for (int k = 0; k < 4; ++k) m.LossAuxMarkers[0][k] = {indices[k], 10.0};
  const SampleAxis x{1.0, 0.0, 800};
  const LevelAxis y{500.0, 30.0, 10.0, 0.0};  // 10 dB lies at y = 300
  EXPECT_EQ(PickAuxMarker(m, {300, 300}, x, y), 3);
  EXPECT_EQ(PickAuxMarker(m, {204, 296}, x, y), 1);
  EXPECT_EQ(PickAuxMarker(m, {205, 300}, x, y), -1);
  m.AnalysisMode = 0;
  EXPECT_EQ(PickAuxMarker(m, {200, 300}, x, y), -1) << "mode 0 aux markers are not pickable";
  m.AnalysisMode = 2;
  for (int k = 0; k < 3; ++k) m.ReflectanceAuxMarkers[0][k] = {indices[k + 1], 10.0};
  EXPECT_EQ(PickAuxMarker(m, {300, 300}, x, y), 1) << "reflectance has no exception";
}

TEST(PickMarker, LineWithinTenPixelsOrInsideTheLabel) {
  const SampleAxis x{0.5, 100.0, 800};  // sample 1000 at client x 400
  const PixelRect label{600, 3, 678, 19};  // canvas pixels
  EXPECT_TRUE(PickMarker(1000, label, {409, 250}, x, 0));
  EXPECT_FALSE(PickMarker(1000, label, {410, 250}, x, 0));
  EXPECT_TRUE(PickMarker(1000, label, {501, 4}, x, 0));
  EXPECT_FALSE(PickMarker(1000, label, {500, 4}, x, 0)) << "the label's edges are outside";
}

TEST(ArrowBox, AtEitherEdgeOfTheWindow) {
  const PixelRect grid{200, 50, 1000, 550};
  EXPECT_EQ(ArrowBox({200, 53}, grid), (PixelRect{0, 3, 19, 16}));
  EXPECT_EQ(ArrowBox({980, 68}, grid), (PixelRect{780, 18, 799, 31}));
  EXPECT_FALSE(ArrowBox({500, 53}, grid).has_value());
}

TEST(PickCurve, ToleranceNarrowsAfterAHorizontalZoom) {
  const std::vector<double> flat(100, 20.0);
  const std::vector<PickableCurve> curves{{flat, 30.0, 8.0}};
  const LevelAxis y{600.0, 0.0, 10.0, 0.0};  // 20 dB at y = 500
  EXPECT_EQ(PickCurve(curves, {80, 498}, {0, 0}, y, false), 0) << "0.2 dB away";
  EXPECT_EQ(PickCurve(curves, {80, 498}, {0, 0}, y, true), -1);
  EXPECT_EQ(PickCurve(curves, {80, 500}, {0, 0}, y, true), 0);
  EXPECT_EQ(PickCurve(curves, {900, 500}, {0, 0}, y, false), -1) << "beyond the curve's last sample";
}

TEST(OffsetDragDb, PixelsOverPixelsPerDbHeldInTheClient) {
  EXPECT_DOUBLE_EQ(OffsetDragDb(100, 120, 0, 500, 10.0), 2.0);
  EXPECT_DOUBLE_EQ(OffsetDragDb(100, 900, 0, 500, 10.0), 40.0);
  EXPECT_DOUBLE_EQ(OffsetDragDb(100, 80, 0, 500, 0.0), 0.0);
}

}  // namespace
