#include "traceview/marker_labels.h"

#include <gtest/gtest.h>

namespace {

MarkerLabelInput Marker(char name, int index, int other, bool active) {
  MarkerLabelInput in;
  in.name = name;
  in.index = index;
  in.otherIndex = other;
  in.active = active;
  in.text = std::string(1, name) + " 1.23456 km";  // 12 characters: 78 pixels
  in.pixelsPerSample = 1.0;
  in.clientWidth = 800;
  in.clientHeight = 500;
  return in;
}

TEST(MarkerLabels, PlacementBesideTheLineOrAsAnArrow) {
  struct Case {
    const char* what;
    MarkerLabelInput in;
    MarkerLabelPlacement placement;
    PixelPoint at;
    int slot;
    PixelRect rect;
  } cases[] = {
      {"left half: right of the line", Marker('A', 100, 600, true), MarkerLabelPlacement::RightOfLine, {100, 3}, 0,
       {100, 3, 178, 19}},
      {"right half: left of the line", Marker('B', 600, 100, true), MarkerLabelPlacement::LeftOfLine, {514, 3}, 1,
       {514, 3, 600, 19}},
      {"beyond the right edge", Marker('A', 900, 100, true), MarkerLabelPlacement::ArrowRight, {780, 3}, 0,
       {780, 3, 799, 19}},
      {"beyond the right edge while B is active", Marker('A', 900, 100, false), MarkerLabelPlacement::ArrowRight,
       {780, 18}, 1, {780, 3, 799, 19}},
      {"B beyond the right edge records no rectangle", Marker('B', 900, 100, true), MarkerLabelPlacement::ArrowRight,
       {780, 3}, -1, {}},
  };
  for (const Case& c : cases) {
    const MarkerLabelLayout out = LayoutMarkerLabel(c.in);
    EXPECT_EQ(out.placement, c.placement) << c.what;
    EXPECT_EQ(out.textAt, c.at) << c.what;
    EXPECT_EQ(out.labelSlot, c.slot) << c.what;
    if (c.slot >= 0) {
      EXPECT_EQ(out.labelRect, c.rect) << c.what;
    }
  }
  MarkerLabelInput scrolled = Marker('A', 100, 600, true);
  scrolled.originX = 200;
  const MarkerLabelLayout left = LayoutMarkerLabel(scrolled);
  EXPECT_EQ(left.placement, MarkerLabelPlacement::ArrowLeft);
  EXPECT_EQ(left.text, "A<-");
  EXPECT_EQ(left.textAt, (PixelPoint{200, 3})) << "at the window's left edge in canvas pixels";
}

TEST(MarkerLabels, TheInactiveLabelStepsDownNearTheOtherMarker) {
  struct Case {
    int index;
    int other;
    bool movedDown;
  } cases[] = {
      {380, 430, true},   // 50 apart on opposite halves
      {100, 200, false},  // 100 apart on one half
      {100, 180, true},   // 80 apart on one half
      {300, 470, true},   // 170 apart across the middle
  };
  for (const Case& c : cases) {
    const MarkerLabelLayout out = LayoutMarkerLabel(Marker('A', c.index, c.other, false));
    EXPECT_EQ(out.movedDown, c.movedDown) << c.index << " / " << c.other;
    EXPECT_EQ(out.lineTop, c.movedDown ? 35 : 20);
    EXPECT_EQ(out.textAt.y, c.movedDown ? 18 : 3);
  }
  EXPECT_FALSE(LayoutMarkerLabel(Marker('A', 380, 430, true)).movedDown) << "the active label never moves";
  EXPECT_EQ(LayoutMarkerLabel(Marker('A', 380, 430, true)).lineBottom, 500);
}

}  // namespace
