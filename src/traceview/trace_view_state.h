#pragma once
// Everything the trace view remembers between paints, as a plain value with the start values of a
// new view. The widget holds one; the zoom rules, the drawing and printing read and write it.
#include <array>
#include <string>
#include <vector>

#include "traceview/view_geometry.h"

/// Colour and path of one drawn trace, as the overlay's legend shows it.
struct viewInfo {
  unsigned int Colour = 0;  // 0xRRGGBB
  std::string Path;
};

/// The view's state; members that later features fill keep their start values until then.
struct TraceViewState {
  PixelRect m_rcGrid;    // visible part of the plot in canvas pixels
  int m_nLastDragX = 1;  // markers are seeded from the stored cursors only while above 0
  int m_nFitPass = 0;    // overlay fitting pass
  int m_nZoomCount = 0;  // rubber-band zooms since the last full view or reset
  double m_dDbOffset = 0.0;       // vertical offset of the current trace, dB
  double m_dDragOffsetDb = 0.0;   // offset of a trace being dragged, dB
  int m_bHistoryPopped = 0;       // a zoom-out restored an older scale; cleared by the next render
  int m_bUseZoomReference = 0;    // take the overlay's scale reference while several traces show
  int m_bZoomedHorizontally = 0;  // a horizontal zoom-in happened since the last full view
  int m_bOffsetDrag = 0;
  int m_bCloseGuard = 0;
  int m_bJustSwitched = 0;
  int m_bBackgroundDirty = 1;  // render the cached background at the next paint
  int m_bMarkersSeeded = 0;
  std::vector<double> ZoomHistory;  // four doubles per rubber band: pps, ppdb, fx, fy
  PixelRect m_rcLastClient;         // client rectangle seen by the last rescale
  int m_nAuxDrag = -1;              // aux marker being dragged, -1 none
  int m_bMarkerDrag = 0;
  std::string m_strDragTracePath;   // trace picked for an offset drag
  unsigned int m_crGuideLine = 0;   // its colour, 0xRRGGBB
  int ZoomCapability = 3;   // ZoomCapabilityBit set
  double m_dRangeKm = 0.0;  // fibre length of the shown trace, km
  double m_dMinDb = 0.0;
  double m_dMaxDb = 0.0;  // top of the plot, raised to the noise floor
  double m_dSpanDb = 0.0;
  double m_dPixelsPerSample = 0.0;
  double m_dPixelsPerDb = 0.0;
  double m_dOriginX = 0.0;  // scroll position at the last background render
  double m_dOriginY = 0.0;
  double m_dDistancePerDiv = 0.0;  // km per grid division of the visible part
  double m_dDbPerDiv = 0.0;
  int m_bButtonDown = 0;
  PixelSize m_sizeScrollTotal;  // the canvas: the scroll extent of the zoomed plot
  PixelPoint m_ptPress;
  PixelPoint m_ptLast;
  PixelPoint m_ptDraw;
  PixelRect m_rcRender;  // client rectangle of the last background or back-buffer copy
  std::vector<viewInfo> m_Legend;
  int m_bShowGrid = 1;
  int m_bDottedTrace = 0;
  int m_bShowEventBar = 1;
  std::array<int, 4> m_LossAuxShift[2] = {};
  std::array<int, 3> m_ReflAuxShift[2] = {};
};
