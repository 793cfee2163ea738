// The trace view's overlay: the trace buttons that make a listed trace current, their legend, the
// close command, and the fit of the scale to the new current trace.
#include <QMdiSubWindow>
#include <algorithm>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "platform/saturate.h"
#include "trace/trace_conversions.h"
#include "traceview/overlay_buttons.h"
#include "traceview/overlay_fit.h"
#include "traceview/ui/otdr_display_view.h"
#include "traceview/zoom_state.h"
#include "vocabulary/text_table.h"

void COtdrDisplayView::FitOverlay() {
  ::FitOverlay(m_State, *this, g_ZoomState, m_Doc.m_MarkerState,
               {g_DisplayState.TraceCount, g_DisplayState.FitOverlayRequest != 0, m_Doc.m_nPointCount,
                m_Doc.m_dFibreLengthKm, UserZeroDistanceKm(m_Doc.m_SorRecord)});
}

std::vector<std::string> COtdrDisplayView::ListedPaths() const {
  std::vector<std::string> paths;
  for (const auto& record : m_TraceList) paths.push_back(record->m_strPath);
  return paths;
}

int COtdrDisplayView::CurrentTraceButton() const {
  if (!m_Doc.HasTrace()) return 0;
  const ListOrder order{g_DisplayState.TraceOrderRestored != 0, g_DisplayState.SwappedTraceIndex,
                        g_DisplayState.SwappedWithIndex};
  return TraceButtonOf(ListedPaths(), order, m_Doc.m_strTracePath);
}

void COtdrDisplayView::RestoreListOrder() {
  if (m_Overlay.restoreOrder) m_Overlay.restoreOrder();
}

void COtdrDisplayView::OnSelectTrace(int k) {
  if (k < 1 || k > 4) return;
  if (g_DisplayState.SingleTraceMode != 0 || k == CurrentTraceButton()) return;
  const int count = static_cast<int>(m_TraceList.size());
  if (count > 1 && k <= count && !AskSaveFirst()) return;
  g_DisplayState.ZoomCaptureOnOpen = 0;
  m_State.m_bMarkersSeeded = 0;
  SwitchCurrentTrace(k - 1);
}

ViewCommandUi COtdrDisplayView::OnUpdateSelectTrace(int k) {
  if (g_DisplayState.SingleTraceMode != 0) return {false, false};
  if (!m_Doc.HasTrace() || g_DisplayState.TraceCount < k) return {false, false};
  DrawTraceLegend(k - 1);
  return {true, k == CurrentTraceButton()};
}

// The legend may be shorter than the list right after a trace was added, until the next render.
void COtdrDisplayView::DrawTraceLegend(int m) {
  if (!m_Overlay.legend) return;
  const int last = std::min(m, static_cast<int>(m_State.m_Legend.size()) - 1);
  for (int i = 0; i <= last; ++i) m_Overlay.legend(i + 1, m_State.m_Legend[static_cast<std::size_t>(i)].Colour);
  m_State.m_bCloseGuard = 0;
}

void COtdrDisplayView::ShowLegendColours() {
  if (!m_Overlay.legend) return;
  const int shown = g_DisplayState.SingleTraceMode != 0
                        ? 0
                        : std::min(g_DisplayState.TraceCount, static_cast<int>(m_State.m_Legend.size()));
  for (int k = 1; k <= 4; ++k) {
    m_Overlay.legend(k, k <= shown ? m_State.m_Legend[static_cast<std::size_t>(k - 1)].Colour : kNoLegend);
  }
}

void COtdrDisplayView::SwitchCurrentTrace(int k) {
  const int count = static_cast<int>(m_TraceList.size());
  if (count == 1 || k < 0 || k >= count) return;
  const SorFxdParams& fxd = m_Doc.m_SorRecord.FxdParams;
  CaptureZoomState(g_ZoomState,
                   {m_Doc.m_dFibreLengthKm, static_cast<double>(fxd.AcquisitionRange),
                    static_cast<double>(fxd.GroupIndex), m_Doc.m_nPointCount, fxd.DataSpacing[0], m_Doc.m_strTracePath,
                    UserZeroDistanceKm(m_Doc.m_SorRecord)},
                   m_State.m_sizeScrollTotal);
  RestoreListOrder();
  const TraceRecord& record = *m_TraceList[static_cast<std::size_t>(k)];
  const std::string path = record.m_strPath;
  m_State.m_dDbOffset = record.m_dOffsetDb;
  m_State.m_dDragOffsetDb = record.m_dOffsetDb;
  m_Doc.m_dCurrentOffsetDb = record.m_dOffsetDb;
  if (k != count - 1) {
    g_DisplayState.SwappedTraceIndex = k;
    g_DisplayState.SwappedWithIndex = count - 1;
    if (m_Overlay.swap) m_Overlay.swap(k, count - 1);
  }
  g_DisplayState.SwitchingTrace = 1;
  if (m_Overlay.open) m_Overlay.open(path);
  g_DisplayState.SwitchingTrace = 0;
  // The event last clicked belonged to the trace just left; the link map frames the first again.
  m_Doc.m_nTableClickedEvent = 0;
  m_State.m_bJustSwitched = 1;
  FitOverlay();
}

bool COtdrDisplayView::AskSaveFirst() { return !m_Overlay.saveFirst || m_Overlay.saveFirst(); }

void COtdrDisplayView::OnCloseCurrentTrace() {
  // The question comes before anything changes: a cancel leaves the list, its order, the offsets
  // and the document as they were.
  if (m_State.m_bCloseGuard == 0 && !m_TraceList.empty() && !AskSaveFirst()) return;
  m_Doc.m_bAnalysedOnce = 0;
  if (m_State.m_bCloseGuard != 0) return;
  m_State.m_bCloseGuard = 1;
  RestoreListOrder();
  if (g_DisplayState.TraceCount == 1) m_State.m_bMarkersSeeded = 0;
  const auto [removed, next] = PlanCloseCurrentTrace(ListedPaths(), m_Doc.m_strTracePath);
  if (removed >= 0 && m_Overlay.remove) m_Overlay.remove(removed);
  g_DisplayState.TraceCount = static_cast<int>(m_TraceList.size());
  if (next) {
    if (m_TraceList.size() == 1) {
      g_DisplayState.TraceSwapped = 0;
      g_DisplayState.TraceOrderRestored = 1;
      // The trace left alone shows as opening it would: its markers start where its file put them,
      // and the readings no longer measure the closed trace's marker distances.
      g_DisplayState.MarkerADistance = 0.0;
      g_DisplayState.MarkerBDistance = 0.0;
    }
    if (m_Overlay.open) m_Overlay.open(*next);
    m_Doc.UpdateAllViews(nullptr, kHintRefresh);
    FitOverlay();
  } else {
    g_DisplayState.TraceSwapped = 0;
    g_DisplayState.TraceOrderRestored = 1;
    m_Doc.m_strTracePath = "space";
    if (m_Overlay.open) m_Overlay.open("space");
    if (QMdiSubWindow* frame = ChildFrame()) {
      frame->setWindowTitle(QString::fromStdString(g_CurrentStrings[TextRow::TracePane]));
    }
    m_Doc.UpdateAllViews(nullptr, kHintRefresh);
    g_ZoomState.PixelsPerSample = 0.0;
    g_ZoomState.PixelsPerDb = 0.0;
    g_ZoomState.RangeKm = 1.0;
    m_State.ZoomHistory.clear();
    m_State.m_dOriginX = 0.0;
    m_State.m_nLastDragX = 1;
    g_DisplayState.MarkerMoved = 0;
    m_Doc.m_EventRows = {};
    ClearSorRecord(m_Doc.m_SorRecord);
  }
  m_State.m_dDragOffsetDb = 0.0;
  m_Doc.m_dCurrentOffsetDb = 0.0;
}

bool COtdrDisplayView::OnUpdateCloseCurrentTrace() const { return m_Doc.HasTrace(); }
