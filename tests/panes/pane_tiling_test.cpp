#include "panes/pane_tiling.h"

#include <gtest/gtest.h>

namespace {

int Height(const PixelRect& r) { return r.bottom - r.top; }

}  // namespace

TEST(PaneTileTest, ALargeClientAreaIsTiledInQuartersAndThirdsWithoutAGap) {
  const PixelRect client{0, 0, 1000, 700};
  EXPECT_EQ(PaneTile(PaneKind::Trace, client), (PixelRect{0, 0, 750, 466}));
  EXPECT_EQ(PaneTile(PaneKind::EventTable, client), (PixelRect{0, 466, 750, 700}));
  EXPECT_EQ(PaneTile(PaneKind::Parameters, client), (PixelRect{750, 0, 1000, 263}));
  EXPECT_EQ(PaneTile(PaneKind::MarkerInfo, client), (PixelRect{750, 263, 1000, 466}));
  EXPECT_EQ(PaneTile(PaneKind::FiberInfo, client), (PixelRect{750, 466, 1000, 700}));
  // Needs the quarters and thirds already meet change nothing.
  const PaneNeeds small{200, {200, 150, 150}};
  for (const PaneKind pane : {PaneKind::Trace, PaneKind::EventTable, PaneKind::Parameters, PaneKind::MarkerInfo,
                              PaneKind::FiberInfo}) {
    EXPECT_EQ(PaneTile(pane, client, small), PaneTile(pane, client));
  }
}

// Small client areas: the panes always cover the area exactly, and each information pane gets what
// its lines need where the area has it.
TEST(PaneTileTest, InformationPanesGetWhatTheirLinesNeed) {
  struct Case {
    const char* what;
    PixelRect client;
    PaneNeeds needs;
    bool fibreBesideTable;
  };
  const Case cases[] = {
      {"wider and taller than the thirds", {0, 0, 900, 600}, {260, {230, 220, 140}}, false},
      {"three too tall for one column", {0, 0, 900, 430}, {250, {226, 192, 150}}, true},
      {"more than the whole height", {0, 0, 900, 300}, {250, {226, 192, 150}}, true},
      {"wider than half", {0, 0, 400, 600}, {300, {100, 100, 100}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PixelRect trace = PaneTile(PaneKind::Trace, c.client, c.needs);
    const PixelRect table = PaneTile(PaneKind::EventTable, c.client, c.needs);
    const PixelRect params = PaneTile(PaneKind::Parameters, c.client, c.needs);
    const PixelRect marker = PaneTile(PaneKind::MarkerInfo, c.client, c.needs);
    const PixelRect fibre = PaneTile(PaneKind::FiberInfo, c.client, c.needs);
    long long area = 0;
    for (const PixelRect& r : {trace, table, params, marker, fibre}) {
      area += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
      EXPECT_GE(r.left, c.client.left);
      EXPECT_LE(r.right, c.client.right);
      EXPECT_GE(r.top, c.client.top);
      EXPECT_LE(r.bottom, c.client.bottom);
    }
    EXPECT_EQ(area, static_cast<long long>(c.client.right) * c.client.bottom) << "no gap, no overlap";
    const int width = c.client.right - c.client.left;
    EXPECT_EQ(params.right - params.left, std::min(c.needs.width, width / 2));
    EXPECT_EQ(fibre.left < params.left, c.fibreBesideTable);
    const int height = c.client.bottom - c.client.top;
    const int column = c.fibreBesideTable ? c.needs.heights[0] + c.needs.heights[1]
                                          : c.needs.heights[0] + c.needs.heights[1] + c.needs.heights[2];
    if (column <= height) {
      EXPECT_GE(Height(params), c.needs.heights[0]);
      EXPECT_GE(Height(marker), c.needs.heights[1]);
    }
    if (c.fibreBesideTable && c.needs.heights[2] <= height / 2) EXPECT_GE(Height(fibre), c.needs.heights[2]);
    if (!c.fibreBesideTable) EXPECT_GE(Height(fibre), c.needs.heights[2]);
  }
}
