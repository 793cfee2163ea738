#include "traceview/render_requests.h"

#include "document/display_state.h"
#include "platform/saturate.h"
#include "traceview/trace_view_state.h"

bool NeedsBackgroundRender(const TraceViewState& view, const DisplayState& display) {
  return view.m_bBackgroundDirty != 0 || display.TableRedrawRequest != 0 || display.MarkersFromTable != 0 ||
         display.LinkMapRedraw != 0;
}

void ConsumeRenderRequests(DisplayState& display) {
  display.TableRedrawRequest = 0;
  if (display.LinkMapMode == 1 && display.MarkersFromTable == 1) display.MarkersFromTable = 0;
  display.LinkMapRedraw = 0;
}

std::optional<int> CentredScrollForMarker(int m, int pointCount, int canvasWidth, int clientWidth) {
  if (pointCount <= 0) return std::nullopt;
  const double p = static_cast<double>(canvasWidth) / pointCount;
  if (!(clientWidth < 2.0 * p * (pointCount - m))) return std::nullopt;
  return lumivane::TruncToInt32(m * p - clientWidth / 2);
}
