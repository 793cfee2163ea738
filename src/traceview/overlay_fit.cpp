#include "traceview/overlay_fit.h"

#include "platform/saturate.h"
#include "traceview/zoom_state.h"

namespace {

// The overlay's canvas may run 17 pixels past the client: the room a vertical bar took where the
// reference scales were first measured.
constexpr int kBarAllowance = 17;

using lumivane::TruncToInt32;

}  // namespace

int MapMarkerToTrace(int marker, const ZoomState& reference, double fibreLengthKm, int pointCount) {
  if (reference.PointCount <= 0 || !(fibreLengthKm > 0.0)) return marker;
  const double km = static_cast<double>(marker) / reference.PointCount * reference.RangeKm;
  return TruncToInt32(km / fibreLengthKm * pointCount);
}

void FitOverlay(TraceViewState& state, ZoomHost& host, ZoomState& reference, MarkerState& markers,
                const OverlayFitInputs& in) {
  if (state.m_nFitPass != 0) return;
  const int n = in.pointCount;
  const double length = in.fibreLengthKm;
  if (in.traceCount != 1) {
    markers.MarkerA = MapMarkerToTrace(markers.MarkerA, reference, length, n);
    markers.MarkerB = MapMarkerToTrace(markers.MarkerB, reference, length, n);
  }
  if (state.m_nZoomCount == 0 || n <= 0 || !(length > 0.0)) return;
  const int w = host.ClientSize().width;
  const PixelSize canvas = state.m_sizeScrollTotal;
  const double leftKm = canvas.width > 0 ? state.m_dOriginX / canvas.width * reference.RangeKm : 0.0;
  auto keepLeftEdge = [&](int width) {
    SetScrollTotalSize(state, host, {width, canvas.height});
    state.m_dOriginX = leftKm / length * width;
    host.SetScrollPosition(ScrollAxis::Horizontal, TruncToInt32(state.m_dOriginX));
  };
  if (in.fitRequest && in.traceCount != 1) {
    const double p = static_cast<double>(w + kBarAllowance) / n;
    if (reference.PixelsPerSample < p) {
      state.m_dPixelsPerSample = p;
      reference.PixelsPerSample = p;
      SetScrollTotalSize(state, host, {state.m_dOriginX > 0.0 ? w + kBarAllowance : w, canvas.height});
    } else {
      keepLeftEdge(TruncToInt32(n * state.m_dPixelsPerSample));
    }
  } else {
    const double p = static_cast<double>(w) / n;
    if (reference.PixelsPerSample < p) {
      state.m_dPixelsPerSample = p;
      reference.PixelsPerSample = p;
    }
    if (state.m_bJustSwitched != 0) {
      state.m_dPixelsPerSample = reference.PixelsPerSample;
      state.m_bJustSwitched = 0;
    }
    keepLeftEdge(TruncToInt32(state.m_dPixelsPerSample * n));
  }
  state.m_bBackgroundDirty = 1;  // the curves are drawn again at the new scale
  host.Invalidate();
  state.m_nFitPass = 0;
}
