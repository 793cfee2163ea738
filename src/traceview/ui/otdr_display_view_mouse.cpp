// The trace view's left mouse button: a press picks an event number, an aux marker, a marker or
// its arrow, or a curve of the overlay, and the drag that follows moves it; a press on nothing
// draws the rubber band of the zoom.
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "document/display_state.h"
#include "document/event_choice.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "platform/saturate.h"
#include "traceview/mouse_picks.h"
#include "traceview/overlay_placement.h"
#include "traceview/ui/otdr_display_view.h"

namespace {

PixelPoint PointOf(const QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  return {p.x(), p.y()};
}

}  // namespace

void COtdrDisplayView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_Doc.HasTrace()) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const PixelPoint p = PointOf(event);
  const int ox = lumivane::TruncToInt32(m_State.m_dOriginX);
  const int oy = lumivane::TruncToInt32(m_State.m_dOriginY);
  const int eventCount = std::clamp(m_Doc.m_nEventCount, 0, kMaxEventRows);
  const int icon = PickEventIcon(p, {ox, oy}, std::span<const EventRow>(m_Doc.m_EventRows.data(),
                                                                          static_cast<std::size_t>(eventCount)));
  // An event's number chooses its event as its row in the event table does, marker and all.
  if (icon >= 0) {
    ChooseEventRow(m_Doc, g_DisplayState, icon);
    ReseatAuxMarkersOnCurrentEvent();
    viewport()->update();
    setFocus();
    BroadcastFromView(kHintEventChosen);
  }

  m_State.m_bButtonDown = 1;
  m_State.m_ptPress = m_State.m_ptLast = p;
  m_State.m_nAuxDrag = -1;
  MarkerState& markers = m_Doc.m_MarkerState;
  const int n = m_Doc.m_nPointCount;
  const SampleAxis axis = AxisOf();
  const LevelAxis levels{static_cast<double>(m_State.m_sizeScrollTotal.height), m_State.m_dMaxDb,
                         m_State.m_dPixelsPerDb, m_State.m_dOriginY};
  m_State.m_nAuxDrag = PickAuxMarker(markers, p, axis, levels);

  // Marker A is tested first; a pick makes the marker active without moving it.
  auto pickMarker = [&](int set, double distanceKm, const PixelRect& label) {
    if (!PickMarker(DistanceToIndex(distanceKm, n, m_Doc.m_dFibreLengthKm), label, p, axis, oy)) return false;
    m_State.m_bMarkerDrag = 1;
    if (markers.ActiveMarker != set) {
      markers.ActiveMarker = set;
      UpdateLossAuxMarkers(set);
      UpdateReflectanceAuxMarkers(set);
    }
    viewport()->update();
    return true;
  };
  if (m_State.m_nAuxDrag == -1 && !pickMarker(0, g_DisplayState.MarkerADistance, m_Doc.m_rcMarkerALabel)) {
    pickMarker(1, g_DisplayState.MarkerBDistance, m_Doc.m_rcMarkerBLabel);
  }

  // An arrow click brings its marker to the clicked sample; with the lock the other marker follows
  // only while it stays on the trace, as a locked drag would.
  auto arrowHit = [&](std::uint8_t shown, PixelPoint arrow) {
    if (shown == 0) return false;
    const auto box = ArrowBox(arrow, m_State.m_rcGrid);
    return box && p.x >= box->left && p.x <= box->right && p.y >= box->top && p.y <= box->bottom;
  };
  auto arrowMove = [&](int& self, int& other, int active) {
    const int j = std::clamp(axis.SampleAt(p.x), 0, std::max(n - 1, 0));
    const int d = j - self;
    if (markers.LockAB != 0) {
      const long long moved = static_cast<long long>(other) + d;
      if (moved < 0 || moved > n - 1) return;
      other += d;
    }
    self = j;
    m_State.m_bMarkerDrag = 1;
    markers.ActiveMarker = active;
    m_Doc.SetMarkerWindows();
  };
  if (arrowHit(m_Doc.m_bMarkerAArrow, m_Doc.m_ptMarkerAArrow)) arrowMove(markers.MarkerA, markers.MarkerB, 0);
  if (arrowHit(m_Doc.m_bMarkerBArrow, m_Doc.m_ptMarkerBArrow)) arrowMove(markers.MarkerB, markers.MarkerA, 1);

  if (m_State.m_nAuxDrag == -1 && m_State.m_bMarkerDrag == 0) {
    std::vector<PickableCurve> curves;
    const TraceDistanceScale axis = DistanceScaleOf(m_Doc.m_SorRecord, m_Doc.m_dFibreLengthKm);
    const double pps = n > 0 ? static_cast<double>(m_State.m_sizeScrollTotal.width) / n : 0.0;
    for (const auto& record : m_TraceList) {
      const TraceDisplayModel& model = record->m_Model;
      const CurvePlacement place = PlaceOnAxis(pps, axis, DistanceScaleOf(model.m_SorRecord, model.m_dFibreLengthKm));
      curves.push_back({LeadingDbSamples(model.m_DbSamples, model.m_nPointCount), model.m_dDbCeiling, place.step,
                        place.originX});
    }
    const LevelAxis curveAxis{static_cast<double>(m_State.m_sizeScrollTotal.height), 0.0, m_State.m_dPixelsPerDb,
                              m_State.m_dOriginY};
    const int picked = PickCurve(curves, p, {ox, oy}, curveAxis, m_State.m_bZoomedHorizontally != 0);
    if (picked >= 0) {
      const TraceRecord& record = *m_TraceList[static_cast<std::size_t>(picked)];
      m_State.m_bOffsetDrag = 1;
      m_State.m_strDragTracePath = record.m_strPath;
      const TraceColour& colour = TraceColourAt(m_Doc.m_TraceColours, record.m_nColourIndex);
      m_State.m_crGuideLine = (unsigned(colour.Red) << 16) | (unsigned(colour.Green) << 8) | colour.Blue;
      m_State.m_dDragOffsetDb = record.m_dOffsetDb;
      m_nPressGuideY = p.y;
      viewport()->update();
    }
  }
  m_bCaptured = true;
  event->accept();
}

void COtdrDisplayView::mouseMoveEvent(QMouseEvent* event) {
  if (!m_bCaptured || m_State.m_bButtonDown == 0) {
    QAbstractScrollArea::mouseMoveEvent(event);
    return;
  }
  const PixelPoint p = PointOf(event);
  const int w = viewport()->width();
  m_State.m_rcGrid = {0, 0, w, viewport()->height()};
  MarkerState& markers = m_Doc.m_MarkerState;
  const int s = markers.ActiveMarker == 0 ? 0 : 1;
  const int m = s == 0 ? markers.MarkerA : markers.MarkerB;
  const int n = m_Doc.m_nPointCount;
  const SampleAxis axis = AxisOf();
  const int k = m_State.m_nAuxDrag;
  if (k != -1) {
    const int mode = markers.AnalysisMode;
    const int j = axis.SampleAt(p.x);
    if (mode == 1 && k < 4) {
      auto& aux = markers.LossAuxMarkers[s];
      const std::array<int, 4> indices{aux[0].SampleIndex, aux[1].SampleIndex, aux[2].SampleIndex,
                                       aux[3].SampleIndex};
      const int held = HoldDraggedAux(1, k, j, indices, m, n, axis);
      m_State.m_LossAuxShift[s][static_cast<std::size_t>(k)] += held - aux[k].SampleIndex;
      aux[k].SampleIndex = held;
      UpdateLossAuxMarkers(s);
    } else if (mode == 2 && k < 3) {
      auto& aux = markers.ReflectanceAuxMarkers[s];
      const std::array<int, 3> indices{aux[0].SampleIndex, aux[1].SampleIndex, aux[2].SampleIndex};
      const int held = HoldDraggedAux(2, k, j, indices, m, n, axis);
      m_State.m_ReflAuxShift[s][static_cast<std::size_t>(k)] += held - aux[k].SampleIndex;
      aux[k].SampleIndex = held;
      UpdateReflectanceAuxMarkers(s);
    }
    viewport()->update();
    BroadcastFromView(kHintRefresh);
  } else if (m_State.m_bMarkerDrag != 0) {
    ApplyOffsetReset();
    const double length = m_Doc.m_dFibreLengthKm;
    const MarkerDragResult result =
        DragActiveMarker(markers, p.x, axis, DistanceToIndex(g_DisplayState.MarkerADistance, n, length),
                         DistanceToIndex(g_DisplayState.MarkerBDistance, n, length), MarkerTraceOf(),
                         m_State.m_dDbOffset);
    if (result == MarkerDragResult::Unchanged) return;
    m_State.m_nLastDragX = p.x;
    m_State.m_bBackgroundDirty = 0;
    if (result == MarkerDragResult::SnappedToEdge) {
      WriteDistance(s);
      viewport()->update();
      return;
    }
    WriteDistance(0);
    WriteDistance(1);
    WriteStoredCursors();
    g_DisplayState.MarkerMoved = 1;
    viewport()->update();
    BroadcastFromView(kHintRefresh);
  } else if (m_State.m_bOffsetDrag != 0) {
    m_nGuideY = p.y;
    viewport()->update();
  } else {
    const PixelPoint press = m_State.m_ptPress;
    m_RubberBand = PixelRect{press.x, press.y, p.x, p.y};
    viewport()->update();
  }
  m_State.m_ptLast = p;
  event->accept();
}

void COtdrDisplayView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    return;
  }
  m_State.m_bBackgroundDirty = 1;
  if (!m_bCaptured) return;
  const PixelPoint p = PointOf(event);
  m_State.m_ptLast = p;
  if (p == m_State.m_ptPress) {
    if (m_State.m_bMarkerDrag != 0) BroadcastFromView(kHintRefresh);
  } else if (m_State.m_bButtonDown != 0) {
    MarkerState& markers = m_Doc.m_MarkerState;
    if (m_State.m_nAuxDrag != -1) {
      m_State.m_nAuxDrag = -1;
    } else if (m_State.m_bMarkerDrag != 0) {
      WriteDistance(markers.ActiveMarker == 0 ? 0 : 1);
      BroadcastFromView(kHintRefresh);
    } else if (m_State.m_bOffsetDrag != 0) {
      OffsetTraceByDrag();
      if (markers.AnalysisMode == 1) UpdateLossAuxMarkers(markers.ActiveMarker);
      if (markers.AnalysisMode == 2) UpdateReflectanceAuxMarkers(markers.ActiveMarker);
    } else {
      RubberBandZoom(m_State.m_ptPress, p);
    }
  }
  m_bCaptured = false;
  m_RubberBand.reset();
  m_nGuideY.reset();
  m_nPressGuideY.reset();
  m_State.m_bOffsetDrag = 0;
  m_State.m_bButtonDown = 0;
  m_State.m_bMarkerDrag = 0;
  viewport()->update();
  event->accept();
}

void COtdrDisplayView::OffsetTraceByDrag() {
  ApplyOffsetReset();
  const double delta = OffsetDragDb(m_State.m_ptPress.y, m_State.m_ptLast.y, 0, viewport()->height(),
                                    m_State.m_dPixelsPerDb);
  for (const auto& record : m_TraceList) {
    if (record->m_strPath != m_State.m_strDragTracePath) continue;
    m_State.m_dDragOffsetDb += delta;
    record->m_dOffsetDb = m_State.m_dDragOffsetDb;
    if (record->m_strPath == m_Doc.m_strTracePath) {
      m_State.m_dDbOffset = m_State.m_dDragOffsetDb;
      m_Doc.m_dCurrentOffsetDb = m_State.m_dDragOffsetDb;
    }
    TraceDisplayModel& model = record->m_Model;
    for (double& value : model.m_DbSamples.Values) value += delta;
    return;
  }
}

// The rubber band and the offset drag's guide line go over the finished picture with inverting
// raster operations, so drawing them twice at one place restores the pixels.
void COtdrDisplayView::DrawTransientLines(QPainter& painter) const {
  if (!m_RubberBand && !m_nGuideY && !m_nPressGuideY) return;
  if (m_RubberBand) {
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    const PixelRect& r = *m_RubberBand;
    painter.drawRect(QRect(QPoint(std::min(r.left, r.right), std::min(r.top, r.bottom)),
                           QPoint(std::max(r.left, r.right), std::max(r.top, r.bottom))));
  }
  const QColor guide = QColor::fromRgb(m_State.m_crGuideLine);
  const int cx = m_State.m_sizeScrollTotal.width;
  if (m_nPressGuideY) {
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(guide, 1));
    painter.drawLine(0, *m_nPressGuideY + 2, cx, *m_nPressGuideY + 2);
    painter.drawLine(0, *m_nPressGuideY, cx, *m_nPressGuideY);
  }
  if (m_nGuideY) {
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.setPen(QPen(guide, 1));
    painter.drawLine(0, *m_nGuideY, cx, *m_nGuideY);
  }
}
