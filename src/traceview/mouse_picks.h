#pragma once
// What a press in the trace view lands on: an event number, an aux marker, a marker's line or
// label, a marker's off-screen arrow, or a curve of the overlay. Plain tests on positions the last
// paint recorded, so the mouse handlers only decide what to do with the answer.
#include <optional>
#include <span>

#include "trace/display_records.h"
#include "traceview/marker_rules.h"
#include "traceview/view_geometry.h"

/// Client y of levels of the current trace at the last background render.
struct LevelAxis {
  double canvasHeight = 0.0;
  double maxDb = 0.0;         // level on the canvas's bottom edge
  double pixelsPerDb = 0.0;
  double originY = 0.0;       // vertical scroll position
  /// trunc(cy - (max - v) x ppdb - oy).
  int ClientY(double value) const;
};

/// The event whose number box holds the client point, testing icons up to the first end-of-fibre
/// row (none without one); -1 when none. The boxes were recorded in canvas pixels, so the point is
/// moved by the scroll position first.
int PickEventIcon(PixelPoint client, PixelPoint origin, std::span<const EventRow> rows);

/// The aux marker of the active set within 5 pixels of the point in both directions, or -1; only
/// in modes 1 and 2. In mode 1 aux 2 is passed over when it and aux 3 both sit on the marker.
int PickAuxMarker(const MarkerState& markers, PixelPoint client, const SampleAxis& x, const LevelAxis& y);

/// Whether the point is within 10 pixels of a marker's line, or strictly inside its label (recorded
/// in canvas pixels).
bool PickMarker(int markerIndex, const PixelRect& label, PixelPoint client, const SampleAxis& x, int originY);

/// The box of an off-screen arrow drawn at `arrow` (canvas pixels), in client pixels with both
/// bounds inside; none when the arrow stands at neither edge of `grid`.
std::optional<PixelRect> ArrowBox(PixelPoint arrow, const PixelRect& grid);

/// One curve of the overlay as the trace pick reads it.
struct PickableCurve {
  std::span<const double> db;
  double ceilingDb = 0.0;
  double step = 0.0;     // canvas pixels per sample of this curve
  double originX = 0.0;  // canvas x of its sample 0
};

/// The first curve whose level under the point lies within the tolerance (0.1 dB after a horizontal
/// zoom-in, else 0.3 dB); -1 when none.
int PickCurve(std::span<const PickableCurve> curves, PixelPoint client, PixelPoint origin, const LevelAxis& y,
              bool zoomedHorizontally);

/// dB an offset drag from `pressY` to `lastY` adds, the release held within the client's rows.
double OffsetDragDb(int pressY, int lastY, int clientTop, int clientBottom, double pixelsPerDb);
