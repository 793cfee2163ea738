#include "traceview/scale_caption.h"

#include "platform/number_format.h"
#include "traceview/zoom_state.h"

namespace {

constexpr double kDbSpan = 60.0;
constexpr double kDivisions = 10.0;

double Quotient(double numerator, double denominator) {
  return denominator == 0.0 ? 0.0 : numerator / denominator;
}

}  // namespace

RenderScales ComputeRenderScales(const RenderScaleInputs& in, ZoomState& zoom) {
  RenderScales scales{Quotient(in.canvasWidth, in.pointCount), in.canvasHeight / kDbSpan};
  if (zoom.PixelsPerSample >= kNoZoomReference) zoom.PixelsPerDb = scales.pixelsPerDb;
  if (in.historyPopped == 0 && in.useZoomReference != 0 && in.traceCount != 1) {
    scales = {zoom.PixelsPerSample, zoom.PixelsPerDb};
  }
  return scales;
}

GridDivision ComputeGridDivision(int W, int H, int cx, int cy, double fibreLengthKm) {
  return {Quotient(W * fibreLengthKm, cx * kDivisions), Quotient(H * kDbSpan, cy * kDivisions)};
}

std::string FormatScaleCaption(std::string_view title, const GridDivision& division,
                               std::string_view unitName, double unitFactor) {
  const double km = division.kmPerDiv;
  const char* distanceFormat = km > 1.98     ? "%s %6.1f "
                               : km > 0.98   ? "%s %6.2f "
                               : km > 0.0005 ? "%s %6.3f "
                                             : "%s %7.3f ";
  std::string caption = lumivane::Format(distanceFormat, title, km * unitFactor);
  caption += unitName;
  caption += "/Div";
  const double db = division.dbPerDiv;
  // The finest dB format has no leading blank; the caption has always run the number on there.
  const char* levelFormat = db > 1.98 ? " %6.1f dB/Div" : db > 0.98 ? " %6.2f dB/Div" : "%6.3f dB/Div";
  caption += lumivane::Format(levelFormat, db);
  return caption;
}
