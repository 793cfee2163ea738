#pragma once
// The scales of a background render and the caption that names them in the Trace pane's title.
#include <string>
#include <string_view>

struct ZoomState;

/// Horizontal and vertical scale of the plot.
struct RenderScales {
  double pixelsPerSample = 0.0;
  double pixelsPerDb = 0.0;
};

/// What decides the scales of a render besides the canvas.
struct RenderScaleInputs {
  int canvasWidth = 0;
  int canvasHeight = 0;
  int pointCount = 0;
  int historyPopped = 0;     // a zoom-out restored an older scale
  int useZoomReference = 0;  // a horizontal zoom-in happened since the last full view
  int traceCount = 0;
};

/// The canvas's own scales, or the overlay reference's while several traces are zoomed together;
/// keeps the reference's dB scale in step with the canvas while a reference exists.
RenderScales ComputeRenderScales(const RenderScaleInputs& in, ZoomState& zoom);

/// Distance and level per grid division of the visible part.
struct GridDivision {
  double kmPerDiv = 0.0;
  double dbPerDiv = 0.0;
};

/// km and dB per division when a client W x H shows part of a canvas cx x cy of a fibre of L km.
GridDivision ComputeGridDivision(int W, int H, int cx, int cy, double fibreLengthKm);

/// The caption, e.g. "Trace    2.0 km/Div    5.0 dB/Div"; the precision follows the value in km,
/// the printed number is in the display unit.
std::string FormatScaleCaption(std::string_view title, const GridDivision& division,
                               std::string_view unitName, double unitFactor);
