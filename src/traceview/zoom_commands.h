#pragma once
// The zoom and scroll rules of the trace view: step commands along the scale tables, the rubber
// band with its history, the full view, the reset and the rescale after a resize. They act on a
// TraceViewState and reach the window only through ZoomHost, so the sequences run without one.
#include <span>
#include <string>

#include "traceview/trace_view_state.h"
#include "traceview/view_geometry.h"
#include "traceview/zoom_steps.h"

struct ZoomState;

/// Scroll directions.
enum class ScrollAxis { Horizontal, Vertical };

/// What the zoom rules need of the scrolling window.
class ZoomHost {
 public:
  virtual ~ZoomHost() = default;
  /// The client size now, after the scroll bars that the last SetSizes showed or hid.
  virtual PixelSize ClientSize() = 0;
  /// Makes `canvas` the scroll extent; the scroll bars appear or vanish as it needs.
  virtual void SetSizes(PixelSize canvas) = 0;
  /// Moves a scroll bar; the position is held within its range.
  virtual void SetScrollPosition(ScrollAxis axis, int position) = 0;
  /// The client size with no scroll bar shown: what the window leaves for the client and the bars.
  virtual PixelSize AvailableSize() = 0;
  /// Asks for a repaint of the whole client area.
  virtual void Invalidate() = 0;
};

/// What the zoom rules read of the document.
struct ZoomInputs {
  bool traceLoaded = false;  // path neither empty nor "space"
  int pointCount = 0;
  double fibreLengthKm = 0.0;
  int activeMarker = 0;  // sample index of the active marker
  std::span<const double> levels;  // the trace in dB, pointCount values at most
};

/// What CaptureZoomState copies from the document.
struct ZoomCaptureSource {
  double fibreLengthKm = 0.0;
  double acquisitionRange = 0.0;
  double groupIndex = 0.0;
  int pointCount = 0;
  int dataSpacing = 0;
  std::string path;
  double userZeroKm = 0.0;
};

/// CanZoom requests.
enum ZoomRequest : int {
  kCanZoomInHorizontal = 1,
  kCanZoomInVertical = 2,
  kCanZoomOutHorizontal = 4,
  kCanZoomOutVertical = 8,
  kIsZoomed = 16,
};

/// 1 when the requested zoom is possible (16: the view is zoomed at all); clears capability bits
/// at the limits and never sets one.
int CanZoom(TraceViewState& state, const ZoomInputs& doc, PixelSize client, int request,
            const MaxViewExtent& extent = g_MaxViewExtent);

/// Sets the canvas in the state and in the window.
void SetScrollTotalSize(TraceViewState& state, ZoomHost& host, PixelSize canvas);

/// Scrolls so that sample m sits in the middle of the window horizontally.
void CentreHorizontally(const TraceViewState& state, ZoomHost& host, int m, int pointCount, int clientWidth);

/// Scrolls so that the level of sample m sits in the middle of the window vertically.
void CentreVertically(const TraceViewState& state, ZoomHost& host, int m, std::span<const double> levels, int clientHeight);

/// One step finer in km per division, centred on the active marker.
void ZoomInHorizontally(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc,
                        const MaxViewExtent& extent = g_MaxViewExtent);
/// One step coarser in km per division.
void ZoomOutHorizontally(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc,
                         const MaxViewExtent& extent = g_MaxViewExtent);
/// One step finer in dB per division.
void ZoomInVertically(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc,
                      const MaxViewExtent& extent = g_MaxViewExtent);
/// One step coarser in dB per division, back to the full height from 5 dB.
void ZoomOutVertically(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc,
                       const MaxViewExtent& extent = g_MaxViewExtent);

/// The canvas equal to the client area, history and zoom flags cleared.
void ViewFullTrace(TraceViewState& state, ZoomHost& host);

/// The canvas and capability of the full view; history, flags and press points stay.
void ResetZoom(TraceViewState& state, ZoomHost& host);

/// Keeps the canvas's excess over the client area after the window changed size.
void RescaleToClient(TraceViewState& state, ZoomHost& host);

/// Walks one rubber band back, or shows the full trace when none is recorded.
void ZoomOut(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc, ZoomState& zoom);

/// Copies the document's scale reference into `zoom` at the current canvas.
void CaptureZoomState(ZoomState& zoom, const ZoomCaptureSource& doc, PixelSize canvas);

/// Zooms to the rectangle from `press` to `release` (client pixels); a drag up or left zooms out.
void RubberBandZoom(TraceViewState& state, ZoomHost& host, const ZoomInputs& doc, ZoomState& zoom,
                    const ZoomCaptureSource& capture, PixelPoint press, PixelPoint release,
                    const MaxViewExtent& extent = g_MaxViewExtent);

/// Sample index of a distance: trunc((n - 1) x distance / fibre length); 0 for a zero length.
int DistanceToIndex(double distanceKm, int pointCount, double fibreLengthKm);
