#include "traceview/zoom_commands.h"

#include <algorithm>
#include <cmath>

#include "platform/saturate.h"
#include "traceview/zoom_state.h"

using lumivane::TruncToInt32;

namespace {

// CanZoom refuses this close to the extent, so that a step that is still allowed stays below it.
constexpr int kCanZoomMargin = 30;
constexpr double kFinestKmPerDiv = 0.00005 * 1.05;
constexpr double kFinestDbPerDiv = 0.05 * 1.05;
constexpr double kFullViewDbPerDiv = 5.0;
constexpr double kDbSpan = 60.0;
constexpr std::size_t kHistoryEntry = 4;

// H x cy / H0 of the step commands: the other axis keeps its zoom when a scroll bar changes the client.
int KeepRatio(int clientNow, int canvas, int clientBefore) {
  if (clientBefore <= 0) return clientNow;
  return static_cast<int>(static_cast<long long>(clientNow) * canvas / clientBefore);
}

// A quotient of file-derived values; 0 instead of a non-finite value.
double SafeRatio(double numerator, double denominator) {
  if (denominator == 0.0) return 0.0;
  const double r = numerator / denominator;
  return std::isfinite(r) ? r : 0.0;
}

}  // namespace

int CanZoom(TraceViewState& state, const ZoomInputs& doc, PixelSize client, int request,
            const MaxViewExtent& extent) {
  if (!doc.traceLoaded) return 0;
  const int W = client.width;
  const int H = client.height;
  const int cx = state.m_sizeScrollTotal.width;
  const int cy = state.m_sizeScrollTotal.height;
  switch (request) {
    case kCanZoomInHorizontal: {
      if (cx >= extent.x - kCanZoomMargin || cx <= 0) return 0;
      if (kFinestKmPerDiv > CurrentKmPerDiv(cx, W, state.m_dRangeKm)) return 0;
      int limited = 0;
      PickZoomInStepHorizontal(cx, W, static_cast<float>(state.m_dRangeKm), limited, extent);
      if (limited == 0) return 1;
      state.ZoomCapability &= ~kZoomInHorizontal;
      return 0;
    }
    case kCanZoomInVertical:
      if (cy >= extent.y - kCanZoomMargin || cy <= 0) return 0;
      if (kFinestDbPerDiv > CurrentDbPerDiv(cy, H)) {
        state.ZoomCapability &= ~kZoomInVertical;
        return 0;
      }
      return 1;
    case kCanZoomOutHorizontal:
      if (cx > W) return 1;
      state.ZoomCapability &= ~kZoomOutHorizontal;
      return 0;
    case kCanZoomOutVertical:
      if (cy > H) return 1;
      state.ZoomCapability &= ~kZoomOutVertical;
      return 0;
    case kIsZoomed:
      return (cx > W || cy > H) ? 1 : 0;
    default:
      return 1;
  }
}

void SetScrollTotalSize(TraceViewState& state, ZoomHost& host, PixelSize canvas) {
  state.m_sizeScrollTotal = canvas;
  host.SetSizes(canvas);
}

void CentreHorizontally(const TraceViewState& state, ZoomHost& host, int m, int pointCount, int clientWidth) {
  if (pointCount <= 0) return;
  const double x = static_cast<double>(m) * state.m_sizeScrollTotal.width / pointCount;
  host.SetScrollPosition(ScrollAxis::Horizontal, TruncToInt32(x - clientWidth / 2));
}

void CentreVertically(const TraceViewState& state, ZoomHost& host, int m, std::span<const double> levels, int clientHeight) {
  const int count = static_cast<int>(levels.size());
  if (count <= 0) return;
  const int cy = state.m_sizeScrollTotal.height;
  const double p = cy / kDbSpan;
  const double level = levels[static_cast<std::size_t>(lumivane::ClampIndex(m, count))];
  const int y = cy - TruncToInt32((state.m_dMaxDb - level) * p);
  host.SetScrollPosition(ScrollAxis::Vertical, TruncToInt32(state.m_dDbOffset * p + y - clientHeight / 2));
}

void ZoomInHorizontally(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc,
                        const MaxViewExtent& extent) {
  state.ZoomCapability |= kZoomOutHorizontal;
  state.m_bBackgroundDirty = 1;
  state.m_bZoomedHorizontally = 1;
  state.m_bUseZoomReference = 1;
  const PixelSize client = host.ClientSize();
  const PixelSize canvas = state.m_sizeScrollTotal;
  const bool firstHorizontal = canvas.width <= client.width;
  int limited = 0;
  const float f = PickZoomInStepHorizontal(canvas.width, client.width, static_cast<float>(state.m_dRangeKm),
                                           limited, extent);
  const int width =
      TruncToInt32(RoundToDecimals(static_cast<float>(client.width * (state.m_dRangeKm / 10.0) / f), 0));
  SetScrollTotalSize(state, host, {width, canvas.height});
  if (firstHorizontal) {
    const PixelSize now = host.ClientSize();
    SetScrollTotalSize(state, host, {width, KeepRatio(now.height, canvas.height, client.height)});
    if (CanZoom(state, doc, now, kCanZoomOutVertical, extent)) {
      CentreVertically(state, host, doc.activeMarker, doc.levels, now.height);
    }
  }
  const PixelSize now = host.ClientSize();
  CentreHorizontally(state, host, doc.activeMarker, doc.pointCount, now.width);
  host.Invalidate();
}

void ZoomOutHorizontally(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc,
                         const MaxViewExtent& extent) {
  state.ZoomCapability |= kZoomInHorizontal;
  state.m_bBackgroundDirty = 1;
  const PixelSize client = host.ClientSize();
  const PixelSize canvas = state.m_sizeScrollTotal;
  const bool fullHeight = canvas.height == client.height;
  const float g = PickZoomOutStepHorizontal(canvas.width, client.width, static_cast<float>(state.m_dRangeKm));
  const int width = TruncToInt32(client.width * (state.m_dRangeKm / 10.0) / g);
  SetScrollTotalSize(state, host, {width, canvas.height});
  const PixelSize now = host.ClientSize();
  if (fullHeight) {
    SetScrollTotalSize(state, host, {width, now.height});
  } else {
    SetScrollTotalSize(state, host, {width, KeepRatio(now.height, canvas.height, client.height)});
    CentreVertically(state, host, doc.activeMarker, doc.levels, host.ClientSize().height);
  }
  const PixelSize after = host.ClientSize();
  if (CanZoom(state, doc, after, kCanZoomOutHorizontal, extent)) {
    CentreHorizontally(state, host, doc.activeMarker, doc.pointCount, after.width);
  }
  host.Invalidate();
}

void ZoomInVertically(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc,
                      const MaxViewExtent& extent) {
  state.ZoomCapability |= kZoomOutVertical;
  state.m_bBackgroundDirty = 1;
  const PixelSize client = host.ClientSize();
  const PixelSize canvas = state.m_sizeScrollTotal;
  const bool firstVertical = client.height >= canvas.height;
  const float f = PickZoomInStepVertical(canvas.height, client.height, extent);
  const int height = TruncToInt32(client.height * 6.0 / f);
  SetScrollTotalSize(state, host, {canvas.width, height});
  if (firstVertical) {
    const PixelSize now = host.ClientSize();
    SetScrollTotalSize(state, host, {KeepRatio(now.width, canvas.width, client.width), height});
    CentreHorizontally(state, host, doc.activeMarker, doc.pointCount, client.width);
  }
  CentreVertically(state, host, doc.activeMarker, doc.levels, host.ClientSize().height);
  host.Invalidate();
}

void ZoomOutVertically(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc,
                       const MaxViewExtent& extent) {
  state.ZoomCapability |= kZoomInVertical;
  state.m_bBackgroundDirty = 1;
  const PixelSize client = host.ClientSize();
  const PixelSize canvas = state.m_sizeScrollTotal;
  const bool fullWidth = client.width >= canvas.width;
  const float f = PickZoomOutStepVertical(canvas.height, client.height);
  // The full view shows 6 dB per division, which is not a table step; 5 dB is close enough to it.
  const int height = std::fabs(f - kFullViewDbPerDiv) < kFullViewDbPerDiv / 20.0
                         ? client.height
                         : TruncToInt32(client.height * 6.0 / f);
  SetScrollTotalSize(state, host, {canvas.width, height});
  const PixelSize now = host.ClientSize();
  const int width = fullWidth ? now.width : KeepRatio(now.width, canvas.width, client.width);
  SetScrollTotalSize(state, host, {width, height});
  const PixelSize after = host.ClientSize();
  if (CanZoom(state, doc, after, kCanZoomOutVertical, extent)) {
    CentreVertically(state, host, doc.activeMarker, doc.levels, after.height);
  }
  host.Invalidate();
}

namespace {

// The part of the full view that ResetZoom shares: canvas equal to the client and all bits back.
void RestoreFullCanvas(TraceViewState& state, ZoomHost& host) {
  host.SetSizes(host.ClientSize());
  SetScrollTotalSize(state, host, host.ClientSize());
  state.ZoomCapability = kZoomInHorizontal | kZoomInVertical;
  state.m_dPixelsPerSample = 1.0;
  state.m_dPixelsPerDb = 1.0;
}

}  // namespace

void ViewFullTrace(TraceViewState& state, ZoomHost& host) {
  state.ZoomHistory.clear();
  state.m_bZoomedHorizontally = 0;
  state.m_bUseZoomReference = 0;
  state.m_bBackgroundDirty = 1;
  RestoreFullCanvas(state, host);
  RescaleToClient(state, host);
  state.m_nZoomCount = 0;
  state.m_ptPress = {};
  state.m_ptLast = {};
  host.Invalidate();
}

void ResetZoom(TraceViewState& state, ZoomHost& host) {
  RestoreFullCanvas(state, host);
  state.m_nZoomCount = 0;
  host.Invalidate();
}

void RescaleToClient(TraceViewState& state, ZoomHost& host) {
  const PixelSize area = host.AvailableSize();
  const PixelRect now{0, 0, area.width, area.height};
  PixelSize canvas = state.m_sizeScrollTotal;
  if (now.Width() == 0 && now.Height() == 0) {
    canvas = {0, 0};
  } else {
    canvas.width += now.Width() - state.m_rcLastClient.Width();
    canvas.height += now.Height() - state.m_rcLastClient.Height();
  }
  state.m_rcLastClient = now;
  SetScrollTotalSize(state, host, canvas);
  host.Invalidate();
}

void ZoomOut(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc, ZoomState& zoom) {
  state.m_bBackgroundDirty = 1;
  const PixelSize before = state.m_sizeScrollTotal;
  const PixelSize client = host.ClientSize();
  const std::size_t k = state.ZoomHistory.size();
  if (k < kHistoryEntry) {
    ViewFullTrace(state, host);
    return;
  }
  const double* entry = &state.ZoomHistory[k - kHistoryEntry];
  zoom.PixelsPerSample = entry[0];
  zoom.PixelsPerDb = entry[1];
  zoom.RangeKm = doc.fibreLengthKm;
  state.m_bHistoryPopped = 1;
  if (k == kHistoryEntry) {
    state.ZoomHistory.clear();
    ViewFullTrace(state, host);
    return;
  }
  state.m_dPixelsPerSample = entry[0];
  state.m_dPixelsPerDb = entry[1];
  const double fy = entry[3];
  state.ZoomHistory.resize(k - kHistoryEntry);
  const PixelSize canvas{TruncToInt32(doc.pointCount * state.m_dPixelsPerSample),
                         TruncToInt32(SafeRatio(before.height, fy))};
  SetScrollTotalSize(state, host, canvas);
  const double rangeRatio = doc.fibreLengthKm == 0.0 ? 1.0 : SafeRatio(zoom.RangeKm, doc.fibreLengthKm);
  state.m_dOriginX = TruncToInt32(SafeRatio(state.m_dOriginX, before.width) * rangeRatio * canvas.width);
  host.SetScrollPosition(ScrollAxis::Horizontal, TruncToInt32(state.m_dOriginX) - client.width / 2);
  state.m_dOriginY = TruncToInt32(SafeRatio(canvas.height, before.height) * state.m_dOriginY);
  host.SetScrollPosition(ScrollAxis::Vertical, TruncToInt32(state.m_dOriginY) - client.height / 2);
  host.Invalidate();
}

void CaptureZoomState(ZoomState& zoom, const ZoomCaptureSource& doc, PixelSize canvas) {
  zoom.RangeKm = doc.fibreLengthKm;
  zoom.AcquisitionRange = doc.acquisitionRange;
  zoom.GroupIndex = doc.groupIndex;
  zoom.PixelsPerSample = SafeRatio(canvas.width, doc.pointCount);
  zoom.PixelsPerDb = canvas.height / kDbSpan;
  zoom.PointCount = doc.pointCount;
  zoom.DataSpacing = doc.dataSpacing;
  zoom.TracePath = doc.path;
  zoom.UserZeroKm = doc.userZeroKm;
}

void RubberBandZoom(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc, ZoomState& zoom,
                    const ZoomCaptureSource& capture, PixelPoint press, PixelPoint release,
                    const MaxViewExtent& extent) {
  release.x = std::max(release.x, 0);
  release.y = std::max(release.y, 0);
  const int dx = std::abs(press.x - release.x);
  const int dy = std::abs(press.y - release.y);
  const PixelSize client = host.ClientSize();
  const PixelSize canvas = state.m_sizeScrollTotal;
  if (press.x >= release.x || press.y >= release.y) {
    if (canvas.width > client.width && canvas.height > client.height) {
      ZoomOut(state, host, doc, zoom);
    } else {
      ViewFullTrace(state, host);
    }
    return;
  }
  if (dx <= 2 || dy <= 2) return;
  if (CanZoom(state, doc, client, kCanZoomInHorizontal, extent) != 1 &&
      CanZoom(state, doc, client, kCanZoomInVertical, extent) != 1) {
    return;
  }
  double fx = std::fabs(static_cast<double>(client.width) / dx);
  double fy = std::fabs(static_cast<double>(client.height) / dy);
  state.ZoomCapability |= kZoomOutHorizontal | kZoomOutVertical;
  const bool xBeyond = extent.x < canvas.width * fx;
  const bool yBeyond = extent.y < canvas.height * fy;
  if (xBeyond) state.ZoomCapability &= ~kZoomInHorizontal;
  if (yBeyond) state.ZoomCapability &= ~kZoomInVertical;
  if (xBeyond && yBeyond) return;
  if (xBeyond) fx = SafeRatio(extent.x, canvas.width);
  if (yBeyond) fy = SafeRatio(extent.y, canvas.height);
  state.m_bBackgroundDirty = 1;
  const PixelSize zoomed{TruncToInt32(canvas.width * fx), TruncToInt32(canvas.height * fy)};
  SetScrollTotalSize(state, host, zoomed);
  if (fx > 1) host.SetScrollPosition(ScrollAxis::Horizontal, TruncToInt32((press.x + state.m_dOriginX) * fx));
  if (fy > 1) host.SetScrollPosition(ScrollAxis::Vertical, TruncToInt32((press.y + state.m_dOriginY) * fy));
  state.m_bZoomedHorizontally = 1;
  state.m_bUseZoomReference = 1;
  CaptureZoomState(zoom, capture, zoomed);
  ++state.m_nZoomCount;
  state.ZoomHistory.insert(state.ZoomHistory.end(), {state.m_dPixelsPerSample, state.m_dPixelsPerDb, fx, fy});
}

int DistanceToIndex(double distanceKm, int pointCount, double fibreLengthKm) {
  return TruncToInt32(SafeRatio((pointCount - 1) * distanceKm, fibreLengthKm));
}
