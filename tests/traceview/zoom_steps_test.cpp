#include "traceview/zoom_steps.h"

#include <gtest/gtest.h>

namespace {

TEST(RoundToDecimals, RoundsHalfUpInFloatSteps) {
  EXPECT_EQ(RoundToDecimals(2.5f, 0), 3.0f);
  EXPECT_EQ(RoundToDecimals(-2.5f, 0), -2.0f);
  EXPECT_EQ(RoundToDecimals(72746.6f, 0), 72747.0f);
  EXPECT_FLOAT_EQ(RoundToDecimals(1.25f, 1), 1.3f);
}

struct PickCase {
  const char* name;
  int canvas;
  int client;
  float expected;
};

TEST(PickZoomStepVertical, MovesOneTableStepAndSnapsWithinATenth) {
  const PickCase zoomIn[] = {
      {"full view 6 dB goes to 5", 500, 500, 5.0f},
      {"5 dB goes to 4", 600, 500, 4.0f},
      {"0.1 dB goes to 0.05", 29999, 500, 0.05f},
      {"0.05 dB stays at the finest step", 59999, 500, 0.05f},
      {"3 dB ties between 4 and 2; the coarser 4 is nearest, so 2 follows", 1000, 500, 2.0f},
  };
  for (const PickCase& c : zoomIn) {
    EXPECT_FLOAT_EQ(PickZoomInStepVertical(c.canvas, c.client), c.expected) << c.name;
  }
  const PickCase zoomOut[] = {
      {"4 dB goes to 5", 750, 500, 5.0f},
      {"5 dB stays at the coarsest", 600, 500, 5.0f},
      {"0.05 dB goes to 0.1", 59999, 500, 0.1f},
      {"3 dB lies below its nearest step 4 by more than a tenth: 4", 1000, 500, 4.0f},
  };
  for (const PickCase& c : zoomOut) {
    EXPECT_FLOAT_EQ(PickZoomOutStepVertical(c.canvas, c.client), c.expected) << c.name;
  }
}

TEST(PickZoomStepVertical, ExtentLimitGivesTheFinestAllowedScale) {
  // 0.1 dB per division at a client of 800 would need 96,000 pixels for 0.05.
  const float f = PickZoomInStepVertical(47999, 800);
  EXPECT_NEAR(f, 0.0659821f, 1e-7f);
  EXPECT_EQ(static_cast<int>(800 * 6.0 / f), 72746);
}

TEST(PickZoomStepHorizontal, LimitedFlagAndFullViewSnap) {
  int limited = -1;
  EXPECT_FLOAT_EQ(PickZoomInStepHorizontal(800, 800, 30.0f, limited), 2.0f);
  EXPECT_EQ(limited, 0);
  const float f = PickZoomInStepHorizontal(48000, 800, 30.0f, limited);
  EXPECT_EQ(limited, 1);
  EXPECT_EQ(static_cast<int>(RoundToDecimals(static_cast<float>(800 * 3.0 / f), 0)), 72747);

  // The coarser step 5 is beyond the full view's 3 km per division.
  EXPECT_FLOAT_EQ(PickZoomOutStepHorizontal(1200, 800, 30.0f), 3.0f);
  // 10 km full view: from 1 km per division, the next coarser step is 2.
  EXPECT_FLOAT_EQ(PickZoomOutStepHorizontal(8000, 800, 100.0f), 2.0f);
  // From 5 km per division of a 105 km trace the step 10 lies within a tenth of the full view's 10.5.
  EXPECT_FLOAT_EQ(PickZoomOutStepHorizontal(1680, 800, 105.0f), 10.5f);
}

TEST(PickZoomSteps, TablesRunCoarsestFirst) {
  EXPECT_EQ(g_DbPerDivSteps.front(), 5.0);
  EXPECT_EQ(g_DbPerDivSteps.back(), 0.05);
  EXPECT_EQ(g_KmPerDivSteps.size(), 21u);
  EXPECT_EQ(g_KmPerDivSteps.back(), 0.00005);
  EXPECT_EQ(g_MaxViewExtent.x, 72767);
  EXPECT_EQ(g_MaxViewExtent.y, 72767);
}

}  // namespace
