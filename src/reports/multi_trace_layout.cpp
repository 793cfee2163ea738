#include "reports/multi_trace_layout.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/saturate.h"
#include "reports/page_slot.h"

namespace {

constexpr int kLeftColumn = 40;
constexpr int kRightColumn = 399;
constexpr int kFirstRowY = -83;
constexpr float kCellSplitterLossDb = 5.0f;
constexpr std::array<long, 7> kCellSplitterModules{3056, 3057, 3059, 3061, 3062, 3063, 3110};

}  // namespace

int CellsPerPage(int perPageIndex) { return perPageIndex >= 0 && perPageIndex <= 3 ? 2 * perPageIndex + 2 : 0; }

CellLayout MultiTraceCellLayout(int perPageIndex, int right) {
  CellLayout layout;
  const int k = CellsPerPage(perPageIndex);
  if (k == 0) return layout;
  if (k == 2) {
    layout.width = right - 100;
    layout.height = 350;
    layout.fontHeight = 8;
    layout.origins = {{kLeftColumn, kFirstRowY}, {kLeftColumn, -583}};
    return layout;
  }
  layout.width = (right - 100) / 2;
  layout.fontHeight = 7;
  std::vector<int> rows;
  if (k == 4) {
    // Two rows of cells half a page apart: a graph as high as the two-to-a-page one fills each
    // half instead of leaving the lower part of every half empty.
    layout.height = 350;
    rows = {kFirstRowY, -583};
  } else if (k == 6) {
    layout.height = 175;
    rows = {kFirstRowY, -413, -763};
  } else {
    layout.height = 129;
    rows = {kFirstRowY, -333, -583, -833};
  }
  for (int y : rows) {
    layout.origins.push_back({kLeftColumn, y});
    layout.origins.push_back({kRightColumn, y});
  }
  return layout;
}

int MultiTracePageCount(int cells, int perPageIndex, int preset) {
  const int k = CellsPerPage(perPageIndex);
  // A choice the dialog never stores still must not divide by zero.
  if (k == 0) return preset;
  return cells <= k ? 1 : (cells + k - 1) / k;
}

SlotRange SlotsOfPage(int page, int perPageIndex, int slotCount) {
  const int k = CellsPerPage(perPageIndex);
  if (k == 0 || page < 1) return {};
  const int first = std::min(k * (page - 1), std::max(slotCount, 0));
  return {first, std::clamp(k * page, first, std::max(slotCount, first))};
}

int EventCellsFor(int events) { return std::max(1, (std::max(events, 0) + kSlotEventRows - 1) / kSlotEventRows); }

CellMarkerPlace PlaceCellMarker(bool markerB, int index, int otherIndex, bool otherActive, double unitsPerSample,
                                int x0, int width, int height, int bottom) {
  const bool near = std::abs(static_cast<double>(index) - otherIndex) * unitsPerSample < 60;
  const int h = near && otherActive ? height - 23 : height - 8;
  CellMarkerPlace place;
  place.x = x0 + lumivane::TruncToInt32(index * unitsPerSample);
  place.labelY = bottom + h + 5;
  // Both markers by one rule: a marker on the trace's first sample stands on the left edge, inside
  // the graph, as the screen draws it, whichever marker it is.
  const bool before = place.x < x0;
  const bool beyond = place.x >= x0 + width;
  place.kind = before ? CellMarkerPlace::Kind::BeforeLeft
                      : beyond ? CellMarkerPlace::Kind::BeyondRight : CellMarkerPlace::Kind::Line;
  return place;
}

ReportGlyph CellGlyphFor(std::span<const EventRow> rows, int e, long module) {
  const EventRow& row = rows[static_cast<std::size_t>(e)];
  if (row.Type == kEventLaunch) return ReportGlyph::Start;
  if (row.Type == kEventEnd) return ReportGlyph::End;
  if (row.Type != kEventReflective && row.Type != kEventNonReflective) return ReportGlyph::NonReflective;
  const auto end = std::find_if(rows.begin(), rows.end(), [](const EventRow& r) { return r.Type == kEventEnd; });
  // Without an end event every large loss of such a module qualifies.
  const bool beforeEnd = end == rows.end() || (e < end - rows.begin() && row.SpliceLoss > end->SpliceLoss);
  const bool splitter =
      row.SpliceLoss > kCellSplitterLossDb && beforeEnd &&
      std::find(kCellSplitterModules.begin(), kCellSplitterModules.end(), module) != kCellSplitterModules.end();
  if (splitter) return ReportGlyph::Splitter;
  return row.Type == kEventReflective ? ReportGlyph::Reflective : ReportGlyph::NonReflective;
}
