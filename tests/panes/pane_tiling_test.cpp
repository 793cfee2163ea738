#include "panes/pane_tiling.h"

#include <gtest/gtest.h>

TEST(PaneTileTest, TilesAClientAreaOfW1000H700IntoFivePanes) {
  // 1003 x 745 less the 3-pixel right and 45-pixel bottom margins.
  const PixelRect client{0, 0, 1003, 745};
  EXPECT_EQ(PaneTile(PaneKind::Trace, client), (PixelRect{0, 0, 750, 466}));
  EXPECT_EQ(PaneTile(PaneKind::EventTable, client), (PixelRect{0, 466, 750, 699}));
  EXPECT_EQ(PaneTile(PaneKind::Parameters, client), (PixelRect{750, 0, 1000, 263}));
  EXPECT_EQ(PaneTile(PaneKind::MarkerInfo, client), (PixelRect{750, 263, 1000, 466}));
  EXPECT_EQ(PaneTile(PaneKind::FiberInfo, client), (PixelRect{750, 466, 1000, 699}));
}
