#include "traceview/zoom_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "fake_zoom_host.h"
#include "traceview/zoom_state.h"

namespace {

// A view in its full view on a trace of 10,000 samples and 30 km, marker A at sample 5,000.
class ZoomCommandsTest : public ::testing::Test {
 protected:
  void StartAt(PixelSize available) {
    host = std::make_unique<FakeZoomHost>(available);
    state = TraceViewState{};
    state.m_dRangeKm = doc.fibreLengthKm;
    state.m_rcLastClient = {0, 0, available.width, available.height};
    SetScrollTotalSize(state, *host, available);
  }

  // Runs a step command and records the canvas it leaves.
  std::vector<int> Repeat(int times, const std::function<void()>& step, bool width) {
    std::vector<int> sizes;
    for (int i = 0; i < times; ++i) {
      step();
      EXPECT_EQ(host->canvas(), state.m_sizeScrollTotal);
      sizes.push_back(width ? state.m_sizeScrollTotal.width : state.m_sizeScrollTotal.height);
    }
    return sizes;
  }

  int Can(int request) { return CanZoom(state, doc, host->ClientSize(), request); }

  ZoomInputs doc{true, 10000, 30.0, 5000, {}};
  ZoomState zoom;
  TraceViewState state;
  std::unique_ptr<FakeZoomHost> host;
};

TEST_F(ZoomCommandsTest, VerticalStepsWalkTheDbTableAndBack) {
  StartAt({800, 500});
  EXPECT_EQ(Can(kCanZoomOutVertical), 0);
  const auto in = Repeat(
      8, [&] { ZoomInVertically(state, *host, doc); }, false);
  EXPECT_EQ(in, (std::vector<int>{600, 750, 1500, 3000, 6000, 14999, 29999, 59999}));
  EXPECT_EQ(state.m_sizeScrollTotal.width, 800 - FakeZoomHost::kBarExtent) << "width follows the new client";
  EXPECT_EQ(Can(kCanZoomInVertical), 0) << "0.05 dB per division is the finest";
  EXPECT_EQ(state.ZoomCapability & kZoomInVertical, 0);
  EXPECT_NE(state.ZoomCapability & kZoomOutVertical, 0);

  // From 4 dB the next step is 5 dB, close enough to the full view's 6 to snap to it.
  const auto out = Repeat(
      7, [&] { ZoomOutVertically(state, *host, doc); }, false);
  EXPECT_EQ(out, (std::vector<int>{29999, 14999, 6000, 3000, 1500, 750, 500}));
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{800, 500}));
  EXPECT_EQ(Can(kCanZoomOutVertical), 0);
  EXPECT_EQ(Can(kIsZoomed), 0);
}

TEST_F(ZoomCommandsTest, HorizontalStepsWalkTheKmTableToTheExtentAndBack) {
  StartAt({800, 500});
  const auto in = Repeat(
      6, [&] { ZoomInHorizontally(state, *host, doc); }, true);
  EXPECT_EQ(in, (std::vector<int>{1200, 2400, 4800, 12000, 24000, 48000}));
  EXPECT_EQ(state.m_sizeScrollTotal.height, 500 - FakeZoomHost::kBarExtent)
      << "height follows the new client";
  EXPECT_EQ(state.m_bZoomedHorizontally, 1);
  EXPECT_EQ(state.m_bUseZoomReference, 1);
  // The next table step would pass the extent: the command is refused and its bit cleared ...
  EXPECT_EQ(Can(kCanZoomInHorizontal), 0);
  EXPECT_EQ(state.ZoomCapability & kZoomInHorizontal, 0);
  // ... and the handler itself stops 20 pixels below the extent.
  ZoomInHorizontally(state, *host, doc);
  EXPECT_EQ(state.m_sizeScrollTotal.width, 72747);

  const auto out = Repeat(
      7, [&] { ZoomOutHorizontally(state, *host, doc); }, true);
  EXPECT_EQ(out, (std::vector<int>{47999, 23999, 11999, 4800, 2400, 1200, 800}));
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{800, 500}));
  EXPECT_EQ(Can(kCanZoomOutHorizontal), 0);
}

TEST_F(ZoomCommandsTest, VerticalStepStopsBelowTheExtent) {
  StartAt({800, 800});
  const auto in = Repeat(
      8, [&] { ZoomInVertically(state, *host, doc); }, false);
  EXPECT_EQ(in[6], 47999);
  EXPECT_EQ(in[7], 72746);
}

TEST_F(ZoomCommandsTest, StepsCentreTheActiveMarker) {
  StartAt({800, 500});
  ZoomInHorizontally(state, *host, doc);
  ZoomInHorizontally(state, *host, doc);
  // 2,400 pixels for 10,000 samples: marker 5,000 at x 1,200, centred in 800 pixels.
  EXPECT_EQ(host->scrollX(), 1200 - 400);

  doc.activeMarker = 9999;
  ZoomInHorizontally(state, *host, doc);
  EXPECT_EQ(host->scrollX(), 4800 - 800) << "held at the end of the range";
}

TEST_F(ZoomCommandsTest, ViewFullTraceAndResetRestoreTheCanvas) {
  StartAt({800, 500});
  ZoomInHorizontally(state, *host, doc);
  ZoomInVertically(state, *host, doc);
  state.ZoomHistory = {1, 2, 3, 4};
  state.m_nZoomCount = 1;
  state.m_ptPress = {5, 6};

  ResetZoom(state, *host);
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{800, 500}));
  EXPECT_EQ(state.ZoomCapability, 3);
  EXPECT_EQ(state.ZoomHistory.size(), 4u) << "the reset keeps the history";
  EXPECT_EQ(state.m_bZoomedHorizontally, 1);
  EXPECT_EQ(state.m_ptPress, (PixelPoint{5, 6}));

  ZoomInHorizontally(state, *host, doc);
  state.m_bBackgroundDirty = 0;
  ViewFullTrace(state, *host);
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{800, 500}));
  EXPECT_TRUE(state.ZoomHistory.empty());
  EXPECT_EQ(state.m_bZoomedHorizontally, 0);
  EXPECT_EQ(state.m_bUseZoomReference, 0);
  EXPECT_EQ(state.m_bBackgroundDirty, 1);
  EXPECT_EQ(state.m_nZoomCount, 0);
  EXPECT_EQ(state.m_ptPress, (PixelPoint{}));
  EXPECT_EQ(state.m_dPixelsPerSample, 1.0);
}

TEST_F(ZoomCommandsTest, RescaleKeepsTheExcessOverTheClient) {
  StartAt({800, 500});
  ZoomInHorizontally(state, *host, doc);
  ZoomInVertically(state, *host, doc);
  const PixelSize zoomed = state.m_sizeScrollTotal;
  host->Resize({900, 550});
  RescaleToClient(state, *host);
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{zoomed.width + 100, zoomed.height + 50}));

  host->Resize({0, 0});
  RescaleToClient(state, *host);
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{0, 0}));
}

TEST_F(ZoomCommandsTest, RubberBandZoomsRecordsAndWalksBack) {
  StartAt({800, 500});
  ZoomCaptureSource capture{30.0, 123.0, 146800.0, 10000, 40000, "/t/a.sor"};
  state.m_dPixelsPerSample = 0.08;  // as the last render left them
  state.m_dPixelsPerDb = 500 / 60.0;

  RubberBandZoom(state, *host, doc, zoom, capture, {100, 100}, {102, 300});
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{800, 500})) << "a band 2 pixels wide does nothing";

  state.m_bBackgroundDirty = 0;
  RubberBandZoom(state, *host, doc, zoom, capture, {100, 100}, {300, 350});
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{3200, 1000}));
  EXPECT_EQ(state.m_bBackgroundDirty, 1) << "the new scale is rendered even where no scroll position changes";
  EXPECT_EQ(host->scrollX(), 400);
  EXPECT_EQ(host->scrollY(), 200);
  EXPECT_EQ(state.ZoomHistory, (std::vector<double>{0.08, 500 / 60.0, 4.0, 2.0}));
  EXPECT_EQ(state.m_nZoomCount, 1);
  EXPECT_EQ(state.ZoomCapability & (kZoomOutHorizontal | kZoomOutVertical),
            kZoomOutHorizontal | kZoomOutVertical);
  EXPECT_DOUBLE_EQ(zoom.PixelsPerSample, 0.32);
  EXPECT_EQ(zoom.TracePath, "/t/a.sor");
  EXPECT_EQ(zoom.DataSpacing, 40000);

  // The render after the first band.
  state.m_dPixelsPerSample = 0.32;
  state.m_dPixelsPerDb = 1000 / 60.0;
  state.m_dOriginX = 400;
  state.m_dOriginY = 200;
  ASSERT_EQ(host->ClientSize(), (PixelSize{783, 483}));
  RubberBandZoom(state, *host, doc, zoom, capture, {0, 0}, {261, 161});
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{9600, 3000}));
  EXPECT_EQ(state.ZoomHistory.size(), 8u);

  ZoomOut(state, *host, doc, zoom);
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{3200, 1000}))
      << "n x the pps stored with band two, cy / its fy";
  EXPECT_EQ(state.ZoomHistory.size(), 4u);
  EXPECT_EQ(state.m_bHistoryPopped, 1);
  EXPECT_DOUBLE_EQ(zoom.PixelsPerSample, 0.32);
  EXPECT_DOUBLE_EQ(zoom.RangeKm, 30.0);

  ZoomOut(state, *host, doc, zoom);
  EXPECT_TRUE(state.ZoomHistory.empty());
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{800, 500}));
  EXPECT_DOUBLE_EQ(zoom.PixelsPerSample, 0.08);
}

TEST_F(ZoomCommandsTest, DragTowardsTheUpperLeftZoomsOut) {
  StartAt({800, 500});
  ZoomCaptureSource capture{30.0, 0, 0, 10000, 0, "a"};
  ZoomInHorizontally(state, *host, doc);
  RubberBandZoom(state, *host, doc, zoom, capture, {300, 300}, {100, 100});
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{800, 500})) << "zoomed one way only: full view";

  RubberBandZoom(state, *host, doc, zoom, capture, {100, 100}, {300, 350});
  RubberBandZoom(state, *host, doc, zoom, capture, {100, 100}, {300, 350});
  ASSERT_EQ(state.ZoomHistory.size(), 8u);
  RubberBandZoom(state, *host, doc, zoom, capture, {300, 300}, {-5, -5});
  EXPECT_EQ(state.ZoomHistory.size(), 4u) << "zoomed both ways: one history step back";
}

TEST_F(ZoomCommandsTest, NothingZoomsWithoutATrace) {
  StartAt({800, 500});
  doc.traceLoaded = false;
  for (int request : {1, 2, 4, 8, 16, 32}) EXPECT_EQ(Can(request), 0) << request;
}

TEST(DistanceToIndex, ScalesAndGuardsAZeroLength) {
  EXPECT_EQ(DistanceToIndex(15.0, 10001, 30.0), 5000);
  EXPECT_EQ(DistanceToIndex(15.0, 10001, 0.0), 0);
}

}  // namespace
