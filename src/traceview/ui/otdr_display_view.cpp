#include "traceview/ui/otdr_display_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <span>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "platform/saturate.h"
#include "trace/trace_conversions.h"
#include "traceview/overlay_placement.h"
#include "traceview/render_requests.h"
#include "traceview/scale_caption.h"
#include "traceview/trace_db.h"
#include "traceview/ui/marker_painter.h"
#include "traceview/ui/trace_painter.h"
#include "traceview/zoom_state.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

COtdrDisplayView* g_pDisplayView = nullptr;

namespace {

constexpr double kDbSpan = 60.0;

// The context menu's own command ids; lock and view preferences reach the same handlers as the
// main menu's commands.
constexpr int kMenuLockMarkerAB = 32832;
constexpr int kMenuViewFullTrace = 32833;
constexpr int kMenuViewPreference = 32887;

}  // namespace

COtdrDisplayView::COtdrDisplayView(COtdrDoc& doc, const TraceList& traceList, QWidget* parent)
    : QAbstractScrollArea(parent), m_Doc(doc), m_TraceList(traceList) {
  setFrameShape(QFrame::NoFrame);
  // Every paint covers the whole viewport from the back buffer, so nothing is erased first.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  g_ZoomState.RangeKm = 1.0;
  g_ZoomState.PixelsPerSample = 0.0;
  g_pDisplayView = this;
}

COtdrDisplayView::~COtdrDisplayView() {
  if (g_pDisplayView == this) g_pDisplayView = nullptr;
}

// --- Window glue of the zoom rules ------------------------------------------------------------

// The widget less its frame: the scroll area moves its contents margins to make room for the bars,
// so its contents rectangle already depends on the bars this size is meant to decide.
PixelSize COtdrDisplayView::AvailableSize() {
  const int frame = 2 * frameWidth();
  return {std::max(0, width() - frame), std::max(0, height() - frame)};
}

int COtdrDisplayView::ScrollBarExtent() const {
  int extent = verticalScrollBar()->sizeHint().width();
  if (style()->styleHint(QStyle::SH_ScrollView_FrameOnlyAroundContents, nullptr, this) != 0) {
    extent += style()->pixelMetric(QStyle::PM_ScrollView_ScrollBarSpacing, nullptr, this);
  }
  return extent;
}

PixelSize COtdrDisplayView::ClientSize() {
  return LayoutScrollBars(AvailableSize(), ScrollBarExtent(), m_HostCanvas).client;
}

// The bars are shown or hidden here, from the same rule ClientSize uses, rather than by the scroll
// area's own layout, so that the client size the zoom rules read right after is already the one the
// window will have.
void COtdrDisplayView::SetSizes(PixelSize canvas) {
  m_HostCanvas = canvas;
  const ScrollBarLayout layout = LayoutScrollBars(AvailableSize(), ScrollBarExtent(), canvas);
  m_bApplyingLayout = true;
  setHorizontalScrollBarPolicy(layout.horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(layout.vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  m_bApplyingLayout = false;
  const ScrollSteps xSteps = ScrollStepsFor(canvas.width);
  const ScrollSteps ySteps = ScrollStepsFor(canvas.height);
  horizontalScrollBar()->setRange(0, std::max(0, canvas.width - layout.client.width));
  horizontalScrollBar()->setSingleStep(xSteps.line);
  horizontalScrollBar()->setPageStep(xSteps.page);
  verticalScrollBar()->setRange(0, std::max(0, canvas.height - layout.client.height));
  verticalScrollBar()->setSingleStep(ySteps.line);
  verticalScrollBar()->setPageStep(ySteps.page);
}

void COtdrDisplayView::SetScrollPosition(ScrollAxis axis, int position) {
  QScrollBar* bar = axis == ScrollAxis::Horizontal ? horizontalScrollBar() : verticalScrollBar();
  bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
}

void COtdrDisplayView::Invalidate() { viewport()->update(); }

void COtdrDisplayView::SetScrollTotalSize(PixelSize canvas) { ::SetScrollTotalSize(m_State, *this, canvas); }

ZoomInputs COtdrDisplayView::Inputs() const {
  const MarkerState& markers = m_Doc.m_MarkerState;
  return {m_Doc.HasTrace(), m_Doc.m_nPointCount, m_Doc.m_dFibreLengthKm,
          markers.ActiveMarker == 0 ? markers.MarkerA : markers.MarkerB,
          LeadingDbSamples(m_Doc.m_DbSamples, m_Doc.m_nPointCount)};
}

bool COtdrDisplayView::TraceShown() const { return m_Doc.HasTrace() && !m_TraceList.empty(); }

PixelRect COtdrDisplayView::LogicalClientRect() {
  const int ox = horizontalScrollBar()->value();
  const int oy = verticalScrollBar()->value();
  return {ox, oy, ox + viewport()->width(), oy + viewport()->height()};
}

// --- Zoom commands --------------------------------------------------------------------------

int COtdrDisplayView::CanZoom(int request) { return ::CanZoom(m_State, Inputs(), ClientSize(), request); }

void COtdrDisplayView::OnZoomInHorizontally() { ::ZoomInHorizontally(m_State, *this, Inputs()); }
void COtdrDisplayView::OnZoomOutHorizontally() { ::ZoomOutHorizontally(m_State, *this, Inputs()); }
void COtdrDisplayView::OnZoomInVertically() { ::ZoomInVertically(m_State, *this, Inputs()); }
void COtdrDisplayView::OnZoomOutVertically() { ::ZoomOutVertically(m_State, *this, Inputs()); }
void COtdrDisplayView::OnZoomOut() { ::ZoomOut(m_State, *this, Inputs(), g_ZoomState); }
void COtdrDisplayView::OnViewFullTrace() { ::ViewFullTrace(m_State, *this); }
void COtdrDisplayView::ResetZoom() { ::ResetZoom(m_State, *this); }
void COtdrDisplayView::RescaleToClient() { ::RescaleToClient(m_State, *this); }

bool COtdrDisplayView::OnUpdateZoomInHorizontally() {
  return m_Doc.HasTrace() && CanZoom(kCanZoomInHorizontal) == 1;
}

bool COtdrDisplayView::OnUpdateZoomOutHorizontally() {
  const bool possible = CanZoom(kCanZoomOutHorizontal) == 1;
  if (!possible) m_State.m_bZoomedHorizontally = 0;
  return m_Doc.HasTrace() && possible;
}

bool COtdrDisplayView::OnUpdateZoomInVertically() {
  return m_Doc.HasTrace() && CanZoom(kCanZoomInVertical) == 1;
}
bool COtdrDisplayView::OnUpdateZoomOutVertically() {
  return m_Doc.HasTrace() && CanZoom(kCanZoomOutVertical) == 1;
}
bool COtdrDisplayView::OnUpdateZoomOut() const { return !m_State.ZoomHistory.empty(); }
bool COtdrDisplayView::OnUpdateViewFullTrace() const { return m_Doc.HasTrace(); }

void COtdrDisplayView::RubberBandZoom(PixelPoint press, PixelPoint release) {
  const SorFxdParams& fxd = m_Doc.m_SorRecord.FxdParams;
  const ZoomCaptureSource capture{m_Doc.m_dFibreLengthKm,
                                  static_cast<double>(fxd.AcquisitionRange),
                                  static_cast<double>(fxd.GroupIndex),
                                  m_Doc.m_nPointCount,
                                  fxd.DataSpacing[0],
                                  m_Doc.m_strTracePath,
                                  UserZeroDistanceKm(m_Doc.m_SorRecord)};
  ::RubberBandZoom(m_State, *this, Inputs(), g_ZoomState, capture, press, release);
}

void COtdrDisplayView::BindCommands(
    const std::function<void(int, std::function<void()>, std::function<ViewCommandUi()>)>& bind) {
  auto enabledIf = [](std::function<bool()> rule) {
    return [rule = std::move(rule)] { return ViewCommandUi{rule(), std::nullopt}; };
  };
  bind(CmdZoomInHorizontally, [this] { OnZoomInHorizontally(); }, enabledIf([this] { return OnUpdateZoomInHorizontally(); }));
  bind(CmdZoomOutHorizontally, [this] { OnZoomOutHorizontally(); },
       enabledIf([this] { return OnUpdateZoomOutHorizontally(); }));
  bind(CmdZoomInVertically, [this] { OnZoomInVertically(); }, enabledIf([this] { return OnUpdateZoomInVertically(); }));
  bind(CmdZoomOutVertically, [this] { OnZoomOutVertically(); },
       enabledIf([this] { return OnUpdateZoomOutVertically(); }));
  bind(CmdZoomOut, [this] { OnZoomOut(); }, enabledIf([this] { return OnUpdateZoomOut(); }));
  bind(CmdViewFullTrace, [this] { OnViewFullTrace(); }, enabledIf([this] { return OnUpdateViewFullTrace(); }));
  bind(CmdLockMarkerAB, [this] { OnLockMarkerAB(); }, [this] { return OnUpdateLockMarkerAB(); });
  bind(CmdAnalyzeInsertionLoss, [this] { OnAnalyzeInsertionLoss(); }, [this] { return OnUpdateAnalyzeInsertionLoss(); });
  bind(CmdAnalyzeReflectance, [this] { OnAnalyzeReflectance(); }, [this] { return OnUpdateAnalyzeReflectance(); });
  bind(CmdLengthUnits, [this] { OnLengthUnits(); }, enabledIf([this] { return OnUpdateLengthUnits(); }));
  bind(CmdViewPreferences, [this] { OnViewPreferences(); }, enabledIf([] { return true; }));
  bind(CmdLinkMap, [this] { OnToggleLinkMap(); }, enabledIf([this] { return OnUpdateToggleLinkMap(); }));
  const int traceButtons[] = {CmdTrace1, CmdTrace2, CmdTrace3, CmdTrace4};
  for (int k = 1; k <= 4; ++k) {
    bind(traceButtons[k - 1], [this, k] { OnSelectTrace(k); }, [this, k] { return OnUpdateSelectTrace(k); });
  }
  bind(CmdCloseCurrentTraceButton, [this] { OnCloseCurrentTrace(); },
       enabledIf([this] { return OnUpdateCloseCurrentTrace(); }));
  bind(CmdCloseCurrentTrace, [this] { OnCloseCurrentTrace(); }, enabledIf([this] { return OnUpdateCloseCurrentTrace(); }));
}

std::unique_ptr<QMenu> COtdrDisplayView::BuildContextMenu() {
  if (!m_Doc.HasTrace()) return nullptr;
  auto menu = std::make_unique<QMenu>(this);
  QAction* title = menu->addAction(QString::fromStdString(g_CurrentStrings[TextRow::TracePane]));
  title->setEnabled(false);
  menu->setDefaultAction(title);  // shown in bold
  menu->addSeparator();
  auto add = [&menu](const char* text, int id) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    action->setData(id);
    return action;
  };
  QAction* lock = add("Lock Marker A B", kMenuLockMarkerAB);
  lock->setCheckable(true);
  lock->setChecked(m_Doc.m_MarkerState.LockAB != 0);
  add("Zoom out", CmdZoomOut)->setEnabled(!m_State.ZoomHistory.empty());
  add("View Full Trace", kMenuViewFullTrace);
  add("View Preference...", kMenuViewPreference);
  add("Length Units...", CmdLengthUnits);
  return menu;
}

void COtdrDisplayView::RunContextCommand(int id) {
  switch (id) {
    case CmdZoomOut:
      OnZoomOut();
      return;
    case kMenuViewFullTrace:
      OnViewFullTrace();
      return;
    case kMenuLockMarkerAB:
      if (m_RunCommand) m_RunCommand(CmdLockMarkerAB);
      return;
    case kMenuViewPreference:
      if (m_RunCommand) m_RunCommand(CmdViewPreferences);
      return;
    case CmdLengthUnits:
      if (m_RunCommand) m_RunCommand(CmdLengthUnits);
      return;
    default:
      return;
  }
}

void COtdrDisplayView::contextMenuEvent(QContextMenuEvent* event) {
  const std::unique_ptr<QMenu> menu = BuildContextMenu();
  if (!menu) return;
  // The menu opens to the left of the click, its right edge at the pointer.
  const QPoint at = event->globalPos() - QPoint(menu->sizeHint().width(), 0);
  if (const QAction* chosen = menu->exec(at); chosen != nullptr) RunContextCommand(chosen->data().toInt());
}

// A zoomed plot scrolls with the wheel: up and down while it is taller than the pane, else (and
// with Shift) along the fibre.
void COtdrDisplayView::wheelEvent(QWheelEvent* event) {
  const QPoint delta = event->angleDelta();
  const bool alongFibre = verticalScrollBar()->maximum() == 0 || (event->modifiers() & Qt::ShiftModifier) != 0 ||
                          (delta.y() == 0 && delta.x() != 0);
  QScrollBar* bar = alongFibre ? horizontalScrollBar() : verticalScrollBar();
  const int notches = delta.y() != 0 ? delta.y() : delta.x();
  if (bar->maximum() == 0 || notches == 0) {
    event->ignore();
    return;
  }
  bar->setValue(bar->value() - notches * QApplication::wheelScrollLines() * bar->singleStep() / 120);
  event->accept();
}

void COtdrDisplayView::dragEnterEvent(QDragEnterEvent* event) {
  if (m_OpenFile && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void COtdrDisplayView::dropEvent(QDropEvent* event) {
  if (!m_OpenFile) return;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) m_OpenFile(url.toLocalFile().toStdString());
  }
  event->acceptProposedAction();
}

// --- Document updates -----------------------------------------------------------------------

void COtdrDisplayView::OnInitialUpdate() {
  OnUpdate(nullptr, kHintRefresh);
  m_State.m_bBackgroundDirty = 1;
  PlaceChildFrame();
  if (CanZoom(kIsZoomed) == 0) {
    SetScrollTotalSize(ClientSize());
  } else {
    SetScrollPosition(ScrollAxis::Vertical, lumivane::TruncToInt32(m_State.m_dOriginY));
  }
  UpdateFrameTitle();
}

void COtdrDisplayView::OnUpdate(DocView* sender, int /*hint*/) {
  if (g_DisplayState.SingleTraceMode != 0 && g_DisplayState.ResetZoomRequest != 0) {
    ResetZoom();
    g_DisplayState.ResetZoomRequest = 0;
    m_State.m_bCloseGuard = 0;
  }
  ApplyOffsetReset();
  if (!m_Doc.HasTrace()) {
    UpdateFrameTitle();
    return;
  }
  const int n = m_Doc.m_nPointCount;
  MarkerState& markers = m_Doc.m_MarkerState;
  if (sender == nullptr) {
    const TraceDbRange range =
        DbRangeOf(LeadingDbSamples(m_Doc.m_DbSamples, n), m_Doc.m_SorRecord.FxdParams.NoiseFloorLevel);
    m_State.m_dRangeKm = m_Doc.m_dFibreLengthKm;
    m_State.m_dMinDb = range.minDb;
    m_State.m_dMaxDb = range.maxDb;
    m_State.m_dSpanDb = range.spanDb;
    RefitActiveAuxMarkers(markers, markers.ActiveMarker, MarkerTraceOf(), m_State.m_dDbOffset);
  } else {
    const int m = markers.ActiveMarker == 0 ? markers.MarkerA : markers.MarkerB;
    if (const auto position =
            CentredScrollForMarker(m, n, m_State.m_sizeScrollTotal.width, ClientSize().width)) {
      SetScrollPosition(ScrollAxis::Horizontal, *position);
    }
    ReseatAuxMarkersOnCurrentEvent();
  }
  viewport()->update();
}

QMdiSubWindow* COtdrDisplayView::ChildFrame() const {
  for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(w)) return frame;
  }
  return nullptr;
}

void COtdrDisplayView::PlaceChildFrame() {
  if (QMdiSubWindow* frame = ChildFrame()) {
    frame->showNormal();
    const QWidget* area = frame->mdiArea() != nullptr ? frame->mdiArea()->viewport() : frame->parentWidget();
    if (area != nullptr) {
      const PixelSize size = ChildFrameSize({0, 0, area->width(), area->height()});
      frame->setGeometry(0, 0, size.width, size.height);
    }
  }
  if (g_DisplayState.TraceCount == 0) OnViewFullTrace();
}

void COtdrDisplayView::UpdateFrameTitle() {
  QMdiSubWindow* frame = ChildFrame();
  if (frame == nullptr) return;
  // Until the first render after an open has written the caption, the pane keeps its plain name.
  const bool captioned = m_Doc.HasTrace() && !m_Doc.m_strViewCaption.empty();
  const std::string& title = captioned ? m_Doc.m_strViewCaption : g_CurrentStrings[TextRow::TracePane];
  frame->setWindowTitle(QString::fromStdString(title));
}

// --- Window events ----------------------------------------------------------------------------

void COtdrDisplayView::resizeEvent(QResizeEvent* event) {
  // Showing or hiding a bar lays the scroll area out again and can deliver a resize to the view
  // from inside SetSizes; the zoom rules already account for the bars there.
  if (!m_bApplyingLayout && event->size() != event->oldSize()) {
    m_State.m_bBackgroundDirty = 1;
    RescaleToClient();
  }
  QAbstractScrollArea::resizeEvent(event);
}

// A scroll renders the background for the new window rather than moving the old pixels.
void COtdrDisplayView::scrollContentsBy(int /*dx*/, int /*dy*/) {
  m_State.m_bBackgroundDirty = 1;
  viewport()->update();
}

void COtdrDisplayView::mouseDoubleClickEvent(QMouseEvent* event) {
  OnViewFullTrace();
  QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void COtdrDisplayView::paintEvent(QPaintEvent* event) { OnDraw(event->region()); }

// --- Painting -----------------------------------------------------------------------------------

void COtdrDisplayView::OnDraw(const QRegion& exposed) {
  const PixelRect client = LogicalClientRect();
  if (m_State.m_sizeScrollTotal == PixelSize{client.Width(), client.Height()}) m_State.ZoomHistory.clear();
  if (g_DisplayState.FitOverlayRequest != 0) {
    FitOverlay();
    g_DisplayState.FitOverlayRequest = 0;
    m_State.m_bMarkersSeeded = 0;
  }
  bool whole = false;
  if (NeedsBackgroundRender(m_State, g_DisplayState) || !CacheFitsViewport()) {
    RenderBackground();
    ConsumeRenderRequests(g_DisplayState);
    whole = true;
  }
  // The back buffer keeps the last finished picture: only the exposed part is composed again (the
  // rest is what the screen shows already), unless the background changed or the buffer is new.
  if (m_BackBuffer.size() != m_Cache.size() || m_BackBuffer.format() != m_Cache.format() ||
      m_BackBuffer.devicePixelRatio() != m_Cache.devicePixelRatio() || !m_BackBuffer.isDetached()) {
    m_BackBuffer = QImage(m_Cache.size(), m_Cache.format());
    m_BackBuffer.setDevicePixelRatio(m_Cache.devicePixelRatio());
    whole = true;
  }
  const QRegion composed = whole ? QRegion(m_BackBuffer.rect()) : exposed;
  {
    QPainter painter(&m_BackBuffer);
    painter.setClipRegion(composed);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_Cache);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The markers go over the background in the back buffer, never into the cache.
    if (m_Doc.HasTrace() && !m_TraceList.empty() && g_DisplayState.LinkMapMode == 0) {
      painter.translate(-client.left, -client.top);
      DrawMarkers(painter);
      DrawAuxMarkers(painter);
      g_DisplayState.MarkersFromTable = 0;
    }
  }
  m_State.m_rcRender = client;
  QPainter screen(viewport());
  // The buffer holds the screen's pixels: an exposed rectangle is that many times larger in it.
  const qreal ratio = m_BackBuffer.devicePixelRatio();
  for (const QRect& rect : exposed) {
    screen.drawImage(QRectF(rect), m_BackBuffer,
                     QRectF(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio, rect.height() * ratio));
  }
  DrawTransientLines(screen);
}

bool COtdrDisplayView::CacheFitsViewport() const {
  const qreal ratio = viewport()->devicePixelRatioF();
  return m_Cache.devicePixelRatio() == ratio && m_Cache.size() == (QSizeF(viewport()->size()) * ratio).toSize();
}

QImage COtdrDisplayView::LogicalPicture() const {
  if (m_BackBuffer.devicePixelRatio() == 1.0) return m_BackBuffer;
  QImage picture = m_BackBuffer.scaled(m_BackBuffer.deviceIndependentSize().toSize(), Qt::IgnoreAspectRatio,
                                       Qt::SmoothTransformation);
  picture.setDevicePixelRatio(1.0);
  return picture;
}

void COtdrDisplayView::RenderBackground() {
  const PixelRect client = LogicalClientRect();
  m_State.m_rcRender = client;
  ++m_nRenderCount;
  // The picture has the screen's pixels, not the layout's: drawn at the device pixel ratio, the
  // curves stay sharp on a scaled screen.
  const qreal ratio = viewport()->devicePixelRatioF();
  const QSize size = (QSizeF(std::max(client.Width(), 1), std::max(client.Height(), 1)) * ratio).toSize();
  // The old picture's memory is reused unless the back buffer still holds it.
  if (m_Cache.size() != size || !m_Cache.isDetached()) m_Cache = QImage(size, QImage::Format_RGB32);
  m_Cache.setDevicePixelRatio(ratio);
  m_Cache.fill(Qt::white);
  if (!TraceShown()) return;
  QPainter painter(&m_Cache);
  painter.translate(-client.left, -client.top);
  DrawGridAndScale(painter);
  DrawOverlayTraces(painter);
  if (g_DisplayState.LinkMapMode == 0) {
    DrawEventIcons(painter);
  } else {
    DrawLinkMap(painter);
  }
  m_State.m_bBackgroundDirty = 0;
  m_State.m_bHistoryPopped = 0;
}

void COtdrDisplayView::DrawGridAndScale(QPainter& painter) {
  m_State.m_dOriginX = horizontalScrollBar()->value();
  m_State.m_dOriginY = verticalScrollBar()->value();
  m_State.m_rcGrid = LogicalClientRect();
  const PixelSize canvas = m_State.m_sizeScrollTotal;
  if (m_State.m_bShowGrid != 0) {
    DrawGrid(painter, {m_State.m_rcGrid, canvas, m_State.m_dPixelsPerSample, m_State.m_dPixelsPerDb});
  }
  if (!m_Doc.HasTrace()) return;
  const RenderScales scales =
      ComputeRenderScales({canvas.width, canvas.height, m_Doc.m_nPointCount, m_State.m_bHistoryPopped,
                           m_State.m_bUseZoomReference, g_DisplayState.TraceCount},
                          g_ZoomState);
  m_State.m_dPixelsPerSample = scales.pixelsPerSample;
  m_State.m_dPixelsPerDb = scales.pixelsPerDb;
  const GridDivision division = ComputeGridDivision(m_State.m_rcGrid.Width(), m_State.m_rcGrid.Height(),
                                                    canvas.width, canvas.height, m_Doc.m_dFibreLengthKm);
  m_State.m_dDistancePerDiv = division.kmPerDiv;
  m_State.m_dDbPerDiv = division.dbPerDiv;
  m_Doc.m_strViewCaption = FormatScaleCaption(g_CurrentStrings[TextRow::TracePane], division,
                                              g_LengthUnitName, g_LengthUnitFactor);
  UpdateFrameTitle();
}

void COtdrDisplayView::DrawOverlayTraces(QPainter& painter) {
  const bool keepLegend = g_DisplayState.TraceSwapped != 0;
  auto colourOf = [this](const TraceRecord& record) {
    return ToRgb(TraceColourAt(m_Doc.m_TraceColours, record.m_nColourIndex));
  };
  auto legendOf = [&colourOf](const TraceRecord& record) {
    return viewInfo{colourOf(record) & RGB_MASK, record.m_strPath};
  };
  // The link map shows the first trace only; its legend is built afresh like the curves' legend so
  // that it does not grow by one entry at every render.
  if (!keepLegend) m_State.m_Legend.clear();
  if (g_DisplayState.LinkMapMode != 0) {
    if (!keepLegend && !m_TraceList.empty()) m_State.m_Legend.push_back(legendOf(*m_TraceList.front()));
    return;
  }
  const PixelSize canvas = m_State.m_sizeScrollTotal;
  const int n = m_Doc.m_nPointCount;
  const double fullViewScale = n > 0 ? static_cast<double>(m_State.m_rcGrid.Width()) / n : 0.0;
  if (g_ZoomState.PixelsPerSample < fullViewScale) {
    m_State.m_dPixelsPerSample = fullViewScale;
    g_ZoomState.PixelsPerSample = fullViewScale;
    g_ZoomState.PixelsPerDb = canvas.height / kDbSpan;
  }
  std::vector<OverlayCurve> curves;
  curves.reserve(m_TraceList.size());
  const TraceDistanceScale axis = DistanceScaleOf(m_Doc.m_SorRecord, m_Doc.m_dFibreLengthKm);
  for (const auto& record : m_TraceList) {
    const TraceDisplayModel& model = record->m_Model;
    m_State.m_dPixelsPerSample = n > 0 ? static_cast<double>(canvas.width) / n : 0.0;
    const CurvePlacement place =
        PlaceOnAxis(m_State.m_dPixelsPerSample, axis, DistanceScaleOf(model.m_SorRecord, model.m_dFibreLengthKm));
    curves.push_back({LeadingDbSamples(model.m_DbSamples, model.m_nPointCount), model.m_dDbCeiling, place.step,
                      colourOf(*record), record->m_strPath == m_Doc.m_strTracePath, place.originX});
    if (!keepLegend) m_State.m_Legend.push_back(legendOf(*record));
  }
  if (!keepLegend) ShowLegendColours();
  ::DrawOverlayTraces(painter, {m_State.m_rcGrid, canvas, m_State.m_dPixelsPerSample, m_State.m_dPixelsPerDb},
                      curves, {g_DisplayState.SingleTraceMode != 0, m_State.m_bDottedTrace != 0});
}

void COtdrDisplayView::DrawEventIcons(QPainter& painter) {
  const PaintParams params{m_State.m_rcGrid, m_State.m_sizeScrollTotal, m_State.m_dPixelsPerSample,
                           m_State.m_dPixelsPerDb};
  if (m_State.m_bShowEventBar != 0) {
    const SorRecord& record = m_Doc.m_SorRecord;
    const int count =
        std::clamp(std::min<int>(m_Doc.m_nEventCount, StoredKeyEventCount(record.KeyEvents)), 0, kMaxEventIcons);
    std::vector<EventMark> events;
    events.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const EventRow& row = m_Doc.m_EventRows[static_cast<std::size_t>(i)];
      const int k =
          m_Doc.GetPosition_Distance(TimeToDistance(record.KeyEvents.Events[i].TimeOfFlight, record));
      events.push_back({row.Type, row.SpliceLoss, k});
    }
    ::DrawEventIcons(painter, params, events);
  }
  const int n = m_Doc.m_nPointCount;
  const double L = m_Doc.m_dFibreLengthKm;
  const int width = m_State.m_rcGrid.Width();
  auto offScreen = [&](double distanceKm) {
    const int k = DistanceToIndex(distanceKm, n, L);
    const int x = lumivane::TruncToInt32(k * m_State.m_dPixelsPerSample - m_State.m_dOriginX);
    return static_cast<std::uint8_t>(x < 0 || x > width ? 1 : 0);
  };
  m_Doc.m_bMarkerAArrow = offScreen(g_DisplayState.MarkerADistance);
  m_Doc.m_bMarkerBArrow = offScreen(g_DisplayState.MarkerBDistance);
}
