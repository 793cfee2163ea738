// The small pure rules of the trace view: scroll bars, steps, frame size, centring, render requests.
#include <gtest/gtest.h>

#include "document/display_state.h"
#include "traceview/render_requests.h"
#include "traceview/trace_view_state.h"
#include "traceview/view_geometry.h"

namespace {

TEST(LayoutScrollBars, ABarThatAppearsCanCallForTheOther) {
  struct Case {
    PixelSize canvas;
    bool horizontal;
    bool vertical;
    PixelSize client;
  };
  const Case cases[] = {
      {{800, 500}, false, false, {800, 500}},
      {{1200, 500}, true, true, {783, 483}},  // the horizontal bar makes 500 too tall
      {{1200, 483}, true, false, {800, 483}},
      {{783, 600}, false, true, {783, 500}},
      {{790, 600}, true, true, {783, 483}},
      {{0, 0}, false, false, {800, 500}},
  };
  for (const Case& c : cases) {
    const ScrollBarLayout layout = LayoutScrollBars({800, 500}, 17, c.canvas);
    EXPECT_EQ(layout.horizontal, c.horizontal) << c.canvas.width << "x" << c.canvas.height;
    EXPECT_EQ(layout.vertical, c.vertical) << c.canvas.width << "x" << c.canvas.height;
    EXPECT_EQ(layout.client, c.client) << c.canvas.width << "x" << c.canvas.height;
  }
}

TEST(ScrollSteps, CappedAtFortyAndFourHundred) {
  EXPECT_EQ(ScrollStepsFor(72767).line, 40);
  EXPECT_EQ(ScrollStepsFor(72767).page, 400);
  EXPECT_EQ(ScrollStepsFor(800).line, 8);
  EXPECT_EQ(ScrollStepsFor(800).page, 80);
  EXPECT_EQ(ScrollStepsFor(0).line, 1);
  EXPECT_EQ(ClampScrollPosition(-300, 10000, 800), 0);
  EXPECT_EQ(ClampScrollPosition(9999, 10000, 800), 9200);
  EXPECT_EQ(ClampScrollPosition(5, 500, 800), 0);
}

TEST(ChildFrameSize, ThreeQuartersByTwoThirdsOfTheMainClient) {
  EXPECT_EQ(ChildFrameSize({0, 0, 1024, 768}), (PixelSize{768, 512}));
  EXPECT_EQ(ChildFrameSize({0, 0, 0, 0}), (PixelSize{0, 0}));
}

TEST(CentredScrollForMarker, CentresUnlessNearTheEnd) {
  EXPECT_EQ(CentredScrollForMarker(100, 10000, 10000, 800), -300);
  EXPECT_EQ(CentredScrollForMarker(9700, 10000, 10000, 800), std::nullopt);
  EXPECT_EQ(CentredScrollForMarker(5000, 10000, 20000, 801), 10000 - 400);
  EXPECT_EQ(CentredScrollForMarker(0, 0, 800, 800), std::nullopt);
}

TEST(RenderRequests, AnyRequestRendersAndTheRenderConsumesItsOwn) {
  TraceViewState view;
  view.m_bBackgroundDirty = 0;
  DisplayState display;
  EXPECT_FALSE(NeedsBackgroundRender(view, display));
  for (int DisplayState::*flag :
       {&DisplayState::TableRedrawRequest, &DisplayState::MarkersFromTable, &DisplayState::LinkMapRedraw}) {
    DisplayState d;
    d.*flag = 1;
    EXPECT_TRUE(NeedsBackgroundRender(view, d));
  }
  view.m_bBackgroundDirty = 1;
  EXPECT_TRUE(NeedsBackgroundRender(view, display));

  display.TableRedrawRequest = 1;
  display.LinkMapRedraw = 1;
  display.MarkersFromTable = 1;
  ConsumeRenderRequests(display);
  EXPECT_EQ(display.TableRedrawRequest, 0);
  EXPECT_EQ(display.LinkMapRedraw, 0);
  EXPECT_EQ(display.MarkersFromTable, 1) << "left for the markers drawn after the render";
  display.LinkMapMode = 1;
  ConsumeRenderRequests(display);
  EXPECT_EQ(display.MarkersFromTable, 0) << "no markers are drawn over the link map";
}

}  // namespace
