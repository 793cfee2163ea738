#include "document/display_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(DisplayStateTest, ResetRestoresTheStartValues) {
  struct IntMember {
    const char* name;
    int DisplayState::*member;
    int start;
  };
  const std::vector<IntMember> members = {
      {"LinkMapRedraw", &DisplayState::LinkMapRedraw, 0},
      {"UnitChanged", &DisplayState::UnitChanged, 0},
      {"TraceSwapped", &DisplayState::TraceSwapped, 0},
      {"SwappedTraceIndex", &DisplayState::SwappedTraceIndex, 0},
      {"SwappedWithIndex", &DisplayState::SwappedWithIndex, 0},
      {"MarkersFromTable", &DisplayState::MarkersFromTable, 0},
      {"TableRedrawRequest", &DisplayState::TableRedrawRequest, 0},
      {"MarkerAZeroFromTable", &DisplayState::MarkerAZeroFromTable, 0},
      {"SingleTraceMode", &DisplayState::SingleTraceMode, 0},
      {"MarkerMoved", &DisplayState::MarkerMoved, 0},
      {"LinkOrlDirty", &DisplayState::LinkOrlDirty, 0},
      {"SwitchingTrace", &DisplayState::SwitchingTrace, 0},
      {"TraceCount", &DisplayState::TraceCount, 0},
      {"FitOverlayRequest", &DisplayState::FitOverlayRequest, 0},
      {"ResetZoomRequest", &DisplayState::ResetZoomRequest, 0},
      {"LinkMapMode", &DisplayState::LinkMapMode, 0},
      {"SelectedEventRow", &DisplayState::SelectedEventRow, 0},
      {"TraceOrderRestored", &DisplayState::TraceOrderRestored, 1},
      {"ZoomCaptureOnOpen", &DisplayState::ZoomCaptureOnOpen, 1},
  };
  for (const IntMember& m : members) {
    g_DisplayState.*m.member = 7;
  }
  g_DisplayState.MarkerADistance = 1.5;
  g_DisplayState.MarkerBDistance = 2.5;

  ResetDisplayState();

  for (const IntMember& m : members) {
    EXPECT_EQ(g_DisplayState.*m.member, m.start) << m.name;
  }
  EXPECT_EQ(g_DisplayState.MarkerADistance, 0.0);
  EXPECT_EQ(g_DisplayState.MarkerBDistance, 0.0);
}

}  // namespace
