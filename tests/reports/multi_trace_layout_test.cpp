#include "reports/multi_trace_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kRight = 797;

struct LayoutCase {
  int perPageIndex;
  int width;
  int height;
  int font;
  std::vector<CellOrigin> origins;
};

TEST(MultiTraceLayout, CellSizesAndOriginsForEachChoice) {
  const std::vector<LayoutCase> cases{
      {0, 697, 350, 8, {{40, -83}, {40, -583}}},
      {1, 348, 350, 7, {{40, -83}, {399, -83}, {40, -583}, {399, -583}}},
      {2, 348, 175, 7, {{40, -83}, {399, -83}, {40, -413}, {399, -413}, {40, -763}, {399, -763}}},
      {3, 348, 129, 7,
       {{40, -83}, {399, -83}, {40, -333}, {399, -333}, {40, -583}, {399, -583}, {40, -833}, {399, -833}}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.perPageIndex);
    const CellLayout layout = MultiTraceCellLayout(c.perPageIndex, kRight);
    EXPECT_EQ(layout.width, c.width);
    EXPECT_EQ(layout.height, c.height);
    EXPECT_EQ(layout.fontHeight, c.font);
    EXPECT_EQ(layout.origins, c.origins);
    EXPECT_EQ(CellsPerPage(c.perPageIndex), static_cast<int>(c.origins.size()));
  }
}

TEST(MultiTraceLayout, ChoiceOutsideTheFourHasNoCellsAndKeepsThePresetPageCount) {
  for (int index : {-1, 4}) {
    SCOPED_TRACE(index);
    EXPECT_TRUE(MultiTraceCellLayout(index, kRight).origins.empty());
    EXPECT_EQ(MultiTracePageCount(3, index, 1), 1);  // no division by a zero cell count
    const SlotRange none = SlotsOfPage(1, index, 3);
    EXPECT_EQ(none.end - none.first, 0);
  }
}

TEST(MultiTraceLayout, PageCountAndTheTracesOfEachPage) {
  struct Case {
    int traces, perPageIndex, pages;
    std::vector<std::pair<int, int>> slotsByPage;
  };
  const std::vector<Case> cases{
      {0, 0, 1, {{0, 0}}},
      {1, 0, 1, {{0, 1}}},
      {2, 0, 1, {{0, 2}}},
      {3, 0, 2, {{0, 2}, {2, 3}}},
      {4, 0, 2, {{0, 2}, {2, 4}}},
      {3, 1, 1, {{0, 3}}},
      {4, 1, 1, {{0, 4}}},
      {4, 2, 1, {{0, 4}}},
      {4, 3, 1, {{0, 4}}},
      {9, 3, 2, {{0, 8}, {8, 9}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.traces << " traces, choice " << c.perPageIndex);
    EXPECT_EQ(MultiTracePageCount(c.traces, c.perPageIndex, 1), c.pages);
    for (std::size_t p = 0; p < c.slotsByPage.size(); ++p) {
      const SlotRange r = SlotsOfPage(static_cast<int>(p) + 1, c.perPageIndex, c.traces);
      EXPECT_EQ(r.first, c.slotsByPage[p].first);
      EXPECT_EQ(r.end, c.slotsByPage[p].second);
    }
  }
}

TEST(MultiTraceLayout, EveryTraceGetsAtLeastOneEventCell) {
  const std::vector<std::pair<int, int>> cases{{0, 1}, {1, 1}, {20, 1}, {21, 2}, {25, 2}, {45, 3}};
  for (const auto& [events, cells] : cases) EXPECT_EQ(EventCellsFor(events), cells) << events;
}

TEST(MultiTraceLayout, MarkersOnTheCellEdgesAndCloseTogether) {
  // Cell at x 40, 348 wide, graph 175 high with its bottom at -300; one unit per sample.
  using Kind = CellMarkerPlace::Kind;
  struct Case {
    const char* what;
    bool markerB;
    int index, other;
    bool otherActive;
    Kind kind;
    int x, labelY;
  };
  const std::vector<Case> cases{
      {"A on the left edge", false, 0, 200, false, Kind::Line, 40, -300 + 167 + 5},
      {"B on the left edge", true, 0, 200, false, Kind::Line, 40, -300 + 167 + 5},
      {"B on A at the left edge", true, 0, 0, false, Kind::Line, 40, -300 + 167 + 5},
      {"A before the left edge", false, -1, 200, false, Kind::BeforeLeft, 39, -300 + 167 + 5},
      {"B before the left edge", true, -1, 200, false, Kind::BeforeLeft, 39, -300 + 167 + 5},
      {"A on the last sample", false, 347, 100, false, Kind::Line, 387, -300 + 167 + 5},
      {"B on the last sample", true, 347, 100, false, Kind::Line, 387, -300 + 167 + 5},
      {"A beyond the right edge", false, 348, 100, false, Kind::BeyondRight, 388, -300 + 167 + 5},
      {"B beyond the right edge", true, 348, 100, false, Kind::BeyondRight, 388, -300 + 167 + 5},
      {"inactive A near the active B", false, 100, 130, true, Kind::Line, 140, -300 + 152 + 5},
      {"active B near the inactive A", true, 130, 100, false, Kind::Line, 170, -300 + 167 + 5},
      {"inactive A 60 units from B", false, 100, 160, true, Kind::Line, 140, -300 + 167 + 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CellMarkerPlace place = PlaceCellMarker(c.markerB, c.index, c.other, c.otherActive, 1.0, 40, 348, 175, -300);
    EXPECT_EQ(place.kind, c.kind);
    EXPECT_EQ(place.x, c.x);
    EXPECT_EQ(place.labelY, c.labelY);
  }
}

TEST(MultiTraceLayout, SplitterPictogramFollowsTheCellsOwnRowsAndModule) {
  const auto row = [](std::int32_t type, float loss) {
    EventRow r{};
    r.Type = type;
    r.SpliceLoss = loss;
    return r;
  };
  const std::vector<EventRow> rows{row(kEventLaunch, 0.0f), row(kEventReflective, 6.0f), row(kEventNonReflective, 5.0f),
                                   row(kEventNonReflective, 5.5f), row(kEventEnd, 5.8f), row(kEventReflective, 9.0f),
                                   row(kEventOutOfRange, 9.0f)};
  struct Case {
    int e;
    long module;
    ReportGlyph glyph;
  };
  const std::vector<Case> cases{
      {0, 3061, ReportGlyph::Start},         {1, 3061, ReportGlyph::Splitter},
      {1, 3110, ReportGlyph::Splitter},      {1, 3058, ReportGlyph::Reflective},
      {2, 3061, ReportGlyph::NonReflective},  // 5.0 dB is not above the threshold
      {3, 3061, ReportGlyph::NonReflective},  // not above the end event's loss
      {4, 3061, ReportGlyph::End},           {5, 3061, ReportGlyph::Reflective},  // after the end event
      {6, 3061, ReportGlyph::NonReflective},
  };
  for (const Case& c : cases) EXPECT_EQ(CellGlyphFor(rows, c.e, c.module), c.glyph) << c.e << " " << c.module;

  const std::vector<EventRow> noEnd{row(kEventLaunch, 0.0f), row(kEventNonReflective, 7.0f)};
  EXPECT_EQ(CellGlyphFor(noEnd, 1, 3056), ReportGlyph::Splitter);
}

}  // namespace
