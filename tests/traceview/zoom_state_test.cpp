#include "traceview/zoom_state.h"

#include <gtest/gtest.h>

namespace {

TEST(ZoomStateTest, ResetClearsTheReference) {
  g_ZoomState = ZoomState{12.5, 20000.0, 146800.0, 16000, 0.05, 8.0, 25000, "/data/a.sor"};

  ResetZoomState();

  EXPECT_EQ(g_ZoomState.RangeKm, 0.0);
  EXPECT_EQ(g_ZoomState.AcquisitionRange, 0.0);
  EXPECT_EQ(g_ZoomState.GroupIndex, 0.0);
  EXPECT_EQ(g_ZoomState.PointCount, 0);
  EXPECT_LT(g_ZoomState.PixelsPerSample, kNoZoomReference);
  EXPECT_EQ(g_ZoomState.PixelsPerDb, 0.0);
  EXPECT_EQ(g_ZoomState.DataSpacing, 0);
  EXPECT_EQ(g_ZoomState.TracePath, "");
}

}  // namespace
