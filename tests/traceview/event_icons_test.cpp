#include "traceview/event_icons.h"

#include <gtest/gtest.h>

namespace {

TEST(EventIconFor, TypeAndLossChooseThePicture) {
  struct Case {
    int type;
    double loss;
    EventIcon icon;
  };
  const Case cases[] = {
      {0, 5.0, EventIcon::Start},     {1, 5.0, EventIcon::End},           {2, 3.0, EventIcon::Reflective},
      {2, 3.01, EventIcon::HighLoss}, {3, 3.0, EventIcon::NonReflective}, {3, 3.01, EventIcon::HighLoss},
      {4, 9.0, EventIcon::Type4},     {7, 0.0, EventIcon::NonReflective},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EventIconFor(c.type, c.loss), c.icon) << c.type << " " << c.loss;
  }
  EXPECT_EQ(EventIconSize(EventIcon::HighLoss).width, 18);
  EXPECT_EQ(EventIconSize(EventIcon::Type4).width, 11);
  EXPECT_EQ(EventIconSize(EventIcon::Start).height, 13);
}

TEST(EventIconX, SixPixelsLeftOfTheSampleNeverBeyondMinusThree) {
  EXPECT_EQ(EventIconX(0, 1.0), -3);
  EXPECT_EQ(EventIconX(4, 1.0), -2);
  EXPECT_EQ(EventIconX(100, 0.5), 44);
  EXPECT_EQ(EventIconY(200, 500), 684);
}

TEST(EventHitTables, HoldAThousandEvents) {
  g_EventHitX[999] = 5;
  g_EventHitY[999] = 6;
  ResetEventHitTables();
  EXPECT_EQ(g_EventHitX[999], 0);
  EXPECT_EQ(g_EventHitY[999], 0);
}

}  // namespace
