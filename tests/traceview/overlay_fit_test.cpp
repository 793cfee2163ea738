#include "traceview/overlay_fit.h"

#include <gtest/gtest.h>

#include "fake_zoom_host.h"
#include "traceview/zoom_state.h"

namespace {

TEST(OverlayFit, ASwitchKeepsPixelsPerSampleAndTheLeftEdgeInKm) {
  // A rubber band left the 16,000-sample reference at 0.5 pixels per sample, the window's left edge
  // at 2,000 of 8,000 canvas pixels (a quarter of its 40 km).
  FakeZoomHost host({800, 500});
  TraceViewState state;
  state.m_bBackgroundDirty = 0;
  state.m_nZoomCount = 1;
  state.m_bJustSwitched = 1;
  state.m_sizeScrollTotal = {8000, 483};
  state.m_dOriginX = 2000.0;
  host.SetSizes(state.m_sizeScrollTotal);
  ZoomState reference;
  reference.PixelsPerSample = 0.5;
  reference.PointCount = 16000;
  reference.RangeKm = 40.0;
  MarkerState markers{};
  markers.MarkerA = 8000;
  markers.MarkerB = 4000;
  FitOverlay(state, host, reference, markers, {2, false, 8000, 20.0});
  EXPECT_EQ(state.m_sizeScrollTotal.width, 4000);
  EXPECT_DOUBLE_EQ(state.m_dOriginX, 10.0 / 20.0 * 4000) << "10 km stays at the left edge";
  EXPECT_EQ(host.scrollX(), 2000);
  EXPECT_EQ(state.m_bJustSwitched, 0);
  EXPECT_EQ(state.m_bBackgroundDirty, 1);
  EXPECT_EQ(markers.MarkerA, 8000) << "20 km on the reference is sample 8,000 of a 20 km trace";
  EXPECT_EQ(markers.MarkerB, 4000);
}

TEST(OverlayFit, WithoutARubberBandOnlyTheMarkersFollow) {
  FakeZoomHost host({800, 500});
  TraceViewState state;
  state.m_sizeScrollTotal = {800, 500};
  ZoomState reference;
  reference.PointCount = 10000;
  reference.RangeKm = 30.0;
  MarkerState markers{};
  markers.MarkerA = 5000;  // 15 km
  FitOverlay(state, host, reference, markers, {2, false, 20000, 60.0});
  EXPECT_EQ(markers.MarkerA, 5000);
  EXPECT_EQ(state.m_sizeScrollTotal, (PixelSize{800, 500}));

  markers.MarkerA = 5000;
  FitOverlay(state, host, reference, markers, {1, false, 20000, 60.0});
  EXPECT_EQ(markers.MarkerA, 5000) << "one listed trace keeps its indices";
  markers.MarkerA = 5000;
  FitOverlay(state, host, reference, markers, {3, false, 20000, 15.0});
  EXPECT_EQ(markers.MarkerA, 20000) << "15 km at 15 km";
  ZoomState none;
  FitOverlay(state, host, none, markers, {3, false, 20000, 15.0});
  EXPECT_EQ(markers.MarkerA, 20000) << "no reference length: unchanged, no division by zero";
}

TEST(OverlayFit, DistancesKeepCountingFromEachTracesUsersZero) {
  // The reference's user's zero lies 0.5 km after its first sample, the new current trace's 0.1 km:
  // what stood 10 km from one zero stands 10 km from the other.
  FakeZoomHost host({800, 500});
  TraceViewState state;
  state.m_nZoomCount = 1;
  state.m_bJustSwitched = 1;
  state.m_sizeScrollTotal = {8000, 483};
  state.m_dOriginX = 2100.0;  // 10.5 km from the reference's first sample
  host.SetSizes(state.m_sizeScrollTotal);
  ZoomState reference;
  reference.PixelsPerSample = 0.5;
  reference.PointCount = 16000;
  reference.RangeKm = 40.0;
  reference.UserZeroKm = 0.5;
  MarkerState markers{};
  markers.MarkerA = 4200;  // 10.5 km from the first sample, 10 km from the user's zero
  FitOverlay(state, host, reference, markers, {2, false, 8000, 20.0, 0.1});
  EXPECT_EQ(markers.MarkerA, 4040) << "10.1 km from this trace's first sample";
  EXPECT_DOUBLE_EQ(state.m_dOriginX, 10.1 / 20.0 * 4000);
}

TEST(OverlayFit, AnAddedTraceNeverShowsLessThanTheFullView) {
  FakeZoomHost host({800, 500});
  TraceViewState state;
  state.m_nZoomCount = 1;
  state.m_sizeScrollTotal = {800, 500};
  ZoomState reference;
  reference.PixelsPerSample = 0.01;
  reference.PointCount = 10000;
  reference.RangeKm = 30.0;
  MarkerState markers{};
  FitOverlay(state, host, reference, markers, {2, true, 10000, 30.0});
  EXPECT_DOUBLE_EQ(reference.PixelsPerSample, 817.0 / 10000);
  EXPECT_EQ(state.m_sizeScrollTotal.width, 800) << "origin 0: the client width";
}

}  // namespace
