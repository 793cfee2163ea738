// The trace view's markers: the marker commands and keys, the aux-marker updates, and the drawing
// of markers and aux markers over the cached background.
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include "analysis/event_measurements.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "platform/number_format.h"
#include "platform/saturate.h"
#include "trace/trace_conversions.h"
#include "traceview/marker_labels.h"
#include "traceview/ui/marker_painter.h"
#include "traceview/ui/otdr_display_view.h"
#include "vocabulary/length_unit.h"

namespace {

std::string MarkerLabelText(char name, double distanceKm) {
  return lumivane::Format("%c %7.5f ", name, distanceKm * g_LengthUnitFactor) + g_LengthUnitName;
}

}  // namespace

MarkerTrace COtdrDisplayView::MarkerTraceOf() const {
  return {m_Doc.m_nPointCount, m_Doc.m_DbSamples.Values};
}

SampleAxis COtdrDisplayView::AxisOf() const {
  return {m_State.m_dPixelsPerSample, m_State.m_dOriginX, viewport()->width()};
}

void COtdrDisplayView::BroadcastFromView(int hint) { m_Doc.UpdateAllViews(this, hint); }

void COtdrDisplayView::WriteDistance(int set) {
  const MarkerState& markers = m_Doc.m_MarkerState;
  const int n = m_Doc.m_nPointCount;
  const double length = m_Doc.m_dFibreLengthKm;
  if (set == 0) {
    g_DisplayState.MarkerADistance = MarkerDistanceKm(markers.MarkerA, length, n);
  } else {
    g_DisplayState.MarkerBDistance = MarkerDistanceKm(markers.MarkerB, length, n);
  }
}

void COtdrDisplayView::WriteStoredCursors() {
  m_Doc.m_SorRecord.UserName.StoredCursorA = m_Doc.m_MarkerState.MarkerA;
  m_Doc.m_SorRecord.UserName.StoredCursorB = m_Doc.m_MarkerState.MarkerB;
}

// An open asks for the offset of the trace it replaced to be dropped before the next fit.
void COtdrDisplayView::ApplyOffsetReset() {
  if (m_Doc.m_bOffsetReset == 0) return;
  m_State.m_dDbOffset = 0.0;
  m_Doc.m_bOffsetReset = 0;
}

void COtdrDisplayView::UpdateLossAuxMarkers(int set) {
  ApplyOffsetReset();
  ::UpdateLossAuxMarkers(m_Doc.m_MarkerState, set, MarkerTraceOf(), m_State.m_dDbOffset);
}

void COtdrDisplayView::UpdateReflectanceAuxMarkers(int set) {
  ApplyOffsetReset();
  ::UpdateReflectanceAuxMarkers(m_Doc.m_MarkerState, set, MarkerTraceOf(), m_State.m_dDbOffset);
}

// --- Commands ------------------------------------------------------------------------------------

void COtdrDisplayView::OnLockMarkerAB() { m_Doc.m_MarkerState.LockAB = m_Doc.m_MarkerState.LockAB != 0 ? 0 : 1; }

ViewCommandUi COtdrDisplayView::OnUpdateLockMarkerAB() const {
  return {m_Doc.HasTrace(), m_Doc.m_MarkerState.LockAB != 0};
}

void COtdrDisplayView::SetAnalysisMode(int mode) {
  m_Doc.m_MarkerState.AnalysisMode = mode;
  viewport()->update();
  BroadcastFromView(kHintRefresh);
}

ViewCommandUi COtdrDisplayView::AnalysisModeUi(int mode) const {
  if (!m_Doc.HasTrace()) return {false, false};
  return {true, m_Doc.m_MarkerState.AnalysisMode == mode};
}

void COtdrDisplayView::OnAnalyzeInsertionLoss() {
  SetAnalysisMode(ToggledInsertionLossMode(m_Doc.m_MarkerState.AnalysisMode));
}
ViewCommandUi COtdrDisplayView::OnUpdateAnalyzeInsertionLoss() const { return AnalysisModeUi(1); }
void COtdrDisplayView::OnAnalyzeReflectance() { SetAnalysisMode(ToggledReflectanceMode(m_Doc.m_MarkerState.AnalysisMode)); }
ViewCommandUi COtdrDisplayView::OnUpdateAnalyzeReflectance() const { return AnalysisModeUi(2); }

void COtdrDisplayView::StepActiveMarker(int step) {
  m_State.m_rcGrid = {0, 0, viewport()->width(), viewport()->height()};
  ApplyOffsetReset();
  if (!::StepActiveMarker(m_Doc.m_MarkerState, step, MarkerTraceOf(), m_State.m_dDbOffset)) return;
  WriteDistance(0);
  WriteDistance(1);
  WriteStoredCursors();
  viewport()->update();
  BroadcastFromView(kHintRefresh);
}

// Ctrl does not change the scroll keys: the toggle-state test it could stand for has no meaning here.
void COtdrDisplayView::keyPressEvent(QKeyEvent* event) {
  if (!m_Doc.HasTrace()) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Left:
      StepActiveMarker(-1);
      break;
    case Qt::Key_Right:
      StepActiveMarker(1);
      break;
    case Qt::Key_Up:
      verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
      break;
    case Qt::Key_Down:
      verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      break;
    case Qt::Key_F:
      // A plain F is the vertical zoom-out shortcut; only F with Shift or Ctrl reaches the view.
      if ((event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) != 0) {
        m_Doc.m_MarkerState.ActiveMarker = m_Doc.m_MarkerState.ActiveMarker == 0 ? 1 : 0;
        BroadcastFromView(kHintRefresh);
      }
      break;
    default:
      break;
  }
  // Only what a key changed is announced, once: a marker step tells the other panes itself, and a
  // key changes no event, so the event table keeps its rows.
  event->accept();
  viewport()->update();
}

// --- Drawing ---------------------------------------------------------------------------------

void COtdrDisplayView::DrawMarkers(QPainter& painter) {
  MarkerState& markers = m_Doc.m_MarkerState;
  const int n = m_Doc.m_nPointCount;
  const double length = m_Doc.m_dFibreLengthKm;
  const SorUserName& user = m_Doc.m_SorRecord.UserName;
  auto seed = [&] {
    markers.MarkerA = user.StoredCursorA;
    markers.MarkerB = user.StoredCursorB;
    WriteDistance(0);
    WriteDistance(1);
  };
  if (g_DisplayState.MarkerADistance == 0.0 && m_State.m_nLastDragX > 0 && g_DisplayState.MarkersFromTable == 0 &&
      g_DisplayState.MarkerAZeroFromTable == 0) {
    seed();
  }
  if (g_DisplayState.TraceCount != 1 && m_State.m_bMarkersSeeded == 0) {
    seed();
    m_State.m_bMarkersSeeded = 1;
  }
  const bool aActive = markers.ActiveMarker == 0;
  auto labelText = [&](char name, int index, int snapSet) {
    const int row = m_Doc.m_nCurrentEvent;
    if (markers.TableSnapMarker == snapSet && row >= 0 && row < kMaxEventRows) {
      markers.TableSnapMarker = kNoTableSnap;
      return MarkerLabelText(name, m_Doc.m_EventRows[static_cast<std::size_t>(row)].Distance);
    }
    return MarkerLabelText(name, GetDistance_Position(index, kSorFileKind, m_Doc.m_SorRecord, length));
  };
  MarkerLabelInput input;
  input.pixelsPerSample = m_State.m_dPixelsPerSample;
  input.originX = m_State.m_dOriginX;
  input.originY = m_State.m_dOriginY;
  input.clientWidth = viewport()->width();
  input.clientHeight = viewport()->height();

  input.name = 'A';
  input.index = markers.MarkerA;
  input.otherIndex = markers.MarkerB;
  input.active = aActive;
  input.text = labelText('A', markers.MarkerA, 0);
  const MarkerLabelLayout a = LayoutMarkerLabel(input);
  DrawMarkerLabel(painter, a, aActive);
  if (a.recordsArrow) m_Doc.m_ptMarkerAArrow = a.textAt;
  if (a.labelSlot == 0) m_Doc.m_rcMarkerALabel = a.labelRect;
  if (a.labelSlot == 1) m_Doc.m_rcMarkerBLabel = a.labelRect;

  markers.MarkerB = std::clamp(markers.MarkerB, 0, std::max(n - 1, 0));
  input.name = 'B';
  input.index = markers.MarkerB;
  input.otherIndex = markers.MarkerA;
  input.active = !aActive;
  input.text = labelText('B', markers.MarkerB, 1);
  const MarkerLabelLayout b = LayoutMarkerLabel(input);
  DrawMarkerLabel(painter, b, !aActive);
  if (b.recordsArrow) m_Doc.m_ptMarkerBArrow = b.textAt;
  if (b.labelSlot == 1) m_Doc.m_rcMarkerBLabel = b.labelRect;
}

void COtdrDisplayView::DrawAuxMarkers(QPainter& painter) {
  MarkerState& markers = m_Doc.m_MarkerState;
  const int mode = markers.AnalysisMode;
  if (mode != 1 && mode != 2) return;
  PlaceAuxMarkersForPaint(markers, m_State.m_LossAuxShift, m_State.m_ReflAuxShift, m_State.m_nAuxDrag,
                          MarkerTraceOf(), AxisOf(), m_State.m_dDbOffset);
  const int set = markers.ActiveMarker == 0 ? 0 : 1;
  std::vector<AuxPoint> points;
  if (mode == 1) {
    for (const AuxMarker& aux : markers.LossAuxMarkers[set]) points.push_back({aux.SampleIndex, aux.Value});
  } else {
    for (const AuxMarker& aux : markers.ReflectanceAuxMarkers[set]) points.push_back({aux.SampleIndex, aux.Value});
  }
  const PaintParams params{m_State.m_rcGrid, m_State.m_sizeScrollTotal, m_State.m_dPixelsPerSample,
                           m_State.m_dPixelsPerDb};
  DrawAuxMarkerSet(painter, params, m_State.m_dMaxDb, points);
}

// The current event's stored least-squares windows become the active set's aux markers; an event
// stored without windows gets them as a marker moved there by hand does (its locations, all 0, would
// put every aux marker on the user's zero). An event number the key-event table does not hold
// leaves them where they are.
void COtdrDisplayView::ReseatAuxMarkersOnCurrentEvent() {
  const SorKeyEvents& events = m_Doc.m_SorRecord.KeyEvents;
  const int row = m_Doc.m_nCurrentEvent;
  if (row < 0 || row >= StoredKeyEventCount(events)) return;
  const SorKeyEvent& event = events.Events[static_cast<std::size_t>(row)];
  MarkerState& markers = m_Doc.m_MarkerState;
  const int s = markers.ActiveMarker == 0 ? 0 : 1;
  if (!StoresLossWindows(event)) {
    m_Doc.SetMarkerWindows();
    UpdateLossAuxMarkers(s);
    UpdateReflectanceAuxMarkers(s);
    return;
  }
  auto index = [&](int k) {
    return m_Doc.GetPosition_Distance(TimeToDistance(event.MarkerLocations[k], m_Doc.m_SorRecord));
  };
  for (int k = 0; k < 4; ++k) markers.LossAuxMarkers[s][k].SampleIndex = index(k);
  UpdateLossAuxMarkers(s);
  markers.ReflectanceAuxMarkers[s][0].SampleIndex = index(0);
  markers.ReflectanceAuxMarkers[s][1].SampleIndex = index(1);
  markers.ReflectanceAuxMarkers[s][2].SampleIndex = event.EventCode[0] == u'0' ? index(2) : index(4);
  UpdateReflectanceAuxMarkers(s);
}
