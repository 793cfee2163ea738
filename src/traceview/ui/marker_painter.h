#pragma once
// Drawing of markers A and B with their labels, and of the aux markers of the analysis modes, over
// the cached background in canvas pixels.
#include <QPainter>
#include <span>

#include "traceview/marker_labels.h"
#include "traceview/ui/trace_painter.h"

/// Background of the active marker's label; the inactive one is white.
inline constexpr QRgb kActiveLabelColour = qRgb(0, 64, 128);

/// Draws one marker's line and its label box from its layout.
void DrawMarkerLabel(QPainter& painter, const MarkerLabelLayout& layout, bool active);

/// One aux marker to draw.
struct AuxPoint {
  int index = 0;
  double value = 0.0;  // dB; a missing value is not drawn
};

/// Draws a ring of radius 4 at each aux marker and a line between the centres of each pair
/// (0-1 and, with four points, 2-3); `maxDb` is the level on the canvas's bottom edge.
void DrawAuxMarkerSet(QPainter& painter, const PaintParams& params, double maxDb, std::span<const AuxPoint> points);
