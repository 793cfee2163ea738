#include "traceview/overlay_buttons.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(TraceButtons, ThePressedButtonFollowsTheOpenOrItsFlag) {
  TraceButtonFlags flags{};
  EXPECT_TRUE(UpdateTraceButton(flags, 3, 3, true)) << "right after an open the last trace's button";
  EXPECT_FALSE(UpdateTraceButton(flags, 2, 3, true));
  EXPECT_EQ(flags, (TraceButtonFlags{0, 0, 1, 0}));
  flags = {0, 1, 0, 0};
  EXPECT_TRUE(UpdateTraceButton(flags, 2, 3, false));
  EXPECT_FALSE(UpdateTraceButton(flags, 3, 3, false));
  EXPECT_EQ(flags, (TraceButtonFlags{0, 1, 0, 0}));
  EXPECT_FALSE(UpdateTraceButton(flags, 5, 3, false));
}

TEST(CloseTarget, LastTraceOrThePressedButton) {
  TraceButtonFlags none{};
  EXPECT_EQ(CloseTargetPosition(none, 3), 2);
  TraceButtonFlags second{0, 1, 0, 0};
  EXPECT_EQ(CloseTargetPosition(second, 3), 1);
  TraceButtonFlags two{1, 0, 1, 0};
  EXPECT_EQ(CloseTargetPosition(two, 4), 2) << "the last flag set wins";
  TraceButtonFlags lone{0, 0, 1, 0};
  EXPECT_EQ(CloseTargetPosition(lone, 1), 0) << "one trace left: buttons 2 to 4 are released";
  EXPECT_EQ(lone, (TraceButtonFlags{0, 0, 0, 0}));
}

TEST(CloseTarget, TheNeighbourThatBecomesCurrent) {
  const std::vector<std::string> three{"a", "b", "c"};
  EXPECT_EQ(NeighbourAfterClose(three, 0), "b") << "the first one closed: the next";
  EXPECT_EQ(NeighbourAfterClose(three, 1), "a") << "the middle one closed: the first";
  EXPECT_EQ(NeighbourAfterClose(three, 2), "b");
  EXPECT_FALSE(NeighbourAfterClose(std::vector<std::string>{"a"}, 0).has_value());
  EXPECT_FALSE(NeighbourAfterClose(three, 3).has_value());
}

}  // namespace
