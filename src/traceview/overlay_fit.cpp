#include "traceview/overlay_fit.h"

#include <algorithm>

#include "platform/saturate.h"
#include "traceview/zoom_state.h"

namespace {

// The overlay's canvas may run 17 pixels past the client: the room a vertical bar took where the
// reference scales were first measured.
constexpr int kBarAllowance = 17;

using lumivane::TruncToInt32;

}  // namespace

int MapMarkerToTrace(int marker, const ZoomState& reference, double fibreLengthKm, int pointCount, double userZeroKm) {
  if (reference.PointCount <= 0 || !(fibreLengthKm > 0.0)) return marker;
  const double km = static_cast<double>(marker) / reference.PointCount * reference.RangeKm - reference.UserZeroKm;
  return TruncToInt32((km + userZeroKm) / fibreLengthKm * pointCount);
}

void FitOverlay(TraceViewState& state, ZoomHost& host, ZoomState& reference, MarkerState& markers,
                const OverlayFitInputs& in) {
  if (state.m_nFitPass != 0) return;
  const int n = in.pointCount;
  const double length = in.fibreLengthKm;
  if (in.traceCount != 1) {
    markers.MarkerA = MapMarkerToTrace(markers.MarkerA, reference, length, n, in.userZeroKm);
    markers.MarkerB = MapMarkerToTrace(markers.MarkerB, reference, length, n, in.userZeroKm);
  }
  if (state.m_nZoomCount == 0 || n <= 0 || !(length > 0.0)) return;
  const int w = host.ClientSize().width;
  const PixelSize canvas = state.m_sizeScrollTotal;
  // The left edge's distance from the reference's user's zero, kept from the current trace's.
  const double leftKm =
      canvas.width > 0 ? state.m_dOriginX / canvas.width * reference.RangeKm - reference.UserZeroKm : 0.0;
  auto keepLeftEdge = [&](int width) {
    SetScrollTotalSize(state, host, {width, canvas.height});
    state.m_dOriginX = std::max(0.0, (leftKm + in.userZeroKm) / length * width);
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
