#pragma once
// Where the cells of a several-traces-per-page job go: the cell size and origins for 2, 4, 6 or 8
// cells to a page, the slots each page shows and the page count. Page units (0.01 inch, y up).
#include <span>
#include <vector>

#include "reports/report_graph_geometry.h"
#include "trace/display_records.h"

/// The top-left corner of a cell.
struct CellOrigin {
  int x = 0;
  int y = 0;
  bool operator==(const CellOrigin&) const = default;
};

/// The cells of one page layout: width of rules, texts and graph, graph height, font height.
struct CellLayout {
  int width = 0;
  int height = 0;
  int fontHeight = 0;
  std::vector<CellOrigin> origins;  // in page order
};

/// Cells to a page for a per-page choice 0..3; 0 for any other choice.
int CellsPerPage(int perPageIndex);

/// The layout for a per-page choice on a drawing rectangle whose right edge is `right`; no cells
/// for a choice outside 0..3.
CellLayout MultiTraceCellLayout(int perPageIndex, int right);

/// Pages for `cells` cells: 1 when they fit one page, else enough pages; a choice outside 0..3
/// keeps `preset`.
int MultiTracePageCount(int cells, int perPageIndex, int preset);

/// The slots page `page` (from 1) shows.
struct SlotRange {
  int first = 0;
  int end = 0;  // one past the last
};
SlotRange SlotsOfPage(int page, int perPageIndex, int slotCount);

/// Event-table cells a trace with `events` events needs below its trace cell: one per 20 rows,
/// at least one.
int EventCellsFor(int events);

/// Where a cell's marker goes: a line with its label, or an arrow at the edge it lies beyond.
struct CellMarkerPlace {
  enum class Kind { Line, BeforeLeft, BeyondRight };
  Kind kind = Kind::Line;
  int x = 0;       // the marker line's x
  int labelY = 0;  // top of the label
};
/// Places marker A (or B with `markerB`) of sample `index` in the cell at x0 of width `width` whose
/// graph has `height` and bottom edge `bottom`: every sample of the trace lies inside the graph; a
/// marker near the other one that is not active has its label lowered so both stay readable.
CellMarkerPlace PlaceCellMarker(bool markerB, int index, int otherIndex, bool otherActive, double unitsPerSample,
                                int x0, int width, int height, int bottom);

/// The pictogram of event row `e` in a cell: large losses before the end event of the trace's own
/// splitter-capable optical module (`module`, its leading number) are splitters.
ReportGlyph CellGlyphFor(std::span<const EventRow> rows, int e, long module);
