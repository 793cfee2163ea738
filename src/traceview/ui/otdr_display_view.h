#pragma once
// The Trace pane: the current trace, or the overlay of every loaded trace, with its grid, scale
// caption and event strip, zoomed and scrolled. The view keeps its state in a TraceViewState and
// leaves the rules to the plain functions of the trace view core; what stays here is the window:
// scroll bars, the cached background and the double-buffered paint.
#include <QAbstractScrollArea>
#include <QImage>
#include <QRegion>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/doc_view.h"
#include "traceview/marker_rules.h"
#include "traceview/trace_view_state.h"
#include "traceview/zoom_commands.h"

class COtdrDoc;
class QDialog;
class QMdiSubWindow;
class QMenu;
class QPainter;
struct TraceRecord;

/// The loaded-trace list the view draws, in list order.
using TraceList = std::vector<std::unique_ptr<TraceRecord>>;

/// The state a command of the view shows: enabled, and a check mark when set.
struct ViewCommandUi {
  bool enabled = true;
  std::optional<bool> checked;
};

/// What the overlay's trace buttons and close command need of the application.
/// The legend colour of a trace button that stands for no listed trace.
inline constexpr unsigned int kNoLegend = 0xFFFFFFFFu;

struct OverlayHost {
  std::function<void(const std::string&)> open;  // reads a listed trace into the document again
  std::function<void(int, int)> swap;             // exchanges two list entries (out of order)
  std::function<void()> restoreOrder;             // undoes the last exchange, when the list is out of order
  std::function<void(int)> remove;                // deletes the list entry at a position
  std::function<void(int, unsigned int)> legend;  // shows trace button k's legend colour (0xRRGGBB, or kNoLegend)
  std::function<bool()> saveFirst;                // "save first?"; false: the user cancelled
};

class COtdrDisplayView final : public QAbstractScrollArea, public DocView, private ZoomHost {
  Q_OBJECT

 public:
  /// A view of `doc` drawing the traces of `traceList`; both outlive the view.
  COtdrDisplayView(COtdrDoc& doc, const TraceList& traceList, QWidget* parent = nullptr);
  ~COtdrDisplayView() override;

  COtdrDoc& GetDocument() const { return m_Doc; }
  TraceViewState& State() { return m_State; }
  const TraceViewState& State() const { return m_State; }

  PixelSize GetScrollTotalSize() const { return m_State.m_sizeScrollTotal; }
  /// Sets the canvas and the scroll bars that go with it.
  void SetScrollTotalSize(PixelSize canvas);

  // DocView
  void OnInitialUpdate() override;
  void OnUpdate(DocView* sender, int hint) override;

  /// Puts the Trace pane's frame at the top-left corner of the main frame's client area.
  void PlaceChildFrame();

  // Zoom commands and their enable rules.
  void OnZoomInHorizontally();
  void OnZoomOutHorizontally();
  void OnZoomInVertically();
  void OnZoomOutVertically();
  void OnZoomOut();
  void OnViewFullTrace();
  void ResetZoom();
  void RescaleToClient();
  bool OnUpdateZoomInHorizontally();
  bool OnUpdateZoomOutHorizontally();
  bool OnUpdateZoomInVertically();
  bool OnUpdateZoomOutVertically();
  bool OnUpdateZoomOut() const;
  bool OnUpdateViewFullTrace() const;
  /// 1 when the zoom of `request` (1, 2, 4, 8, or 16: zoomed at all) is possible.
  int CanZoom(int request);

  /// Zooms to the rectangle a drag from `press` to `release` drew (client pixels).
  void RubberBandZoom(PixelPoint press, PixelPoint release);

  /// Binds every command of the view: `bind(id, handler, state)`.
  void BindCommands(const std::function<void(int, std::function<void()>, std::function<ViewCommandUi()>)>& bind);

  // Markers and their analysis modes.
  void OnLockMarkerAB();
  ViewCommandUi OnUpdateLockMarkerAB() const;
  void OnAnalyzeInsertionLoss();
  ViewCommandUi OnUpdateAnalyzeInsertionLoss() const;
  void OnAnalyzeReflectance();
  ViewCommandUi OnUpdateAnalyzeReflectance() const;
  /// Moves the active marker (both when locked) by `step` samples and tells the other panes.
  void StepActiveMarker(int step);
  /// Orders, holds and fits the insertion-loss aux markers of `set` (0 A, 1 B).
  void UpdateLossAuxMarkers(int set);
  /// The same for the reflectance aux markers.
  void UpdateReflectanceAuxMarkers(int set);

  // Length unit, view options, link map and picture export.
  void OnLengthUnits();
  bool OnUpdateLengthUnits() const;
  void OnViewPreferences();
  void OnToggleLinkMap();
  bool OnUpdateToggleLinkMap() const;
  /// Writes the last painted picture as a BMP file, ".BMP" added to a path without that ending;
  /// a failure is reported to the user. Returns whether the file was written.
  bool SaveViewAsBmp(std::string path);
  /// Runs the view's modal dialogs; tests replace it so that nothing blocks.
  void SetDialogRunner(std::function<int(QDialog&)> run) { m_RunDialog = std::move(run); }

  /// Keeps the markers' distances and fits the horizontal scale after the current trace changed.
  void FitOverlay();
  void SetOverlayHost(OverlayHost host) { m_Overlay = std::move(host); }
  /// Trace button k (1 to 4): makes the trace listed at that place current.
  void OnSelectTrace(int k);
  ViewCommandUi OnUpdateSelectTrace(int k);
  /// Shows the legend colours under trace buttons 1 to m + 1.
  void DrawTraceLegend(int m);
  /// Shows each trace button's legend as the curves were last drawn; buttons without a listed
  /// trace show none.
  void ShowLegendColours();
  /// Makes the trace at list position k current: it moves to the end of the list and is read again.
  void SwitchCurrentTrace(int k);
  /// Removes the current trace from the list; a neighbour becomes current, or the view empties.
  void OnCloseCurrentTrace();
  bool OnUpdateCloseCurrentTrace() const;
  /// Asks "save first?" before a switch or close changes anything; false when the user cancelled.
  bool AskSaveFirst();

  /// Runs commands the view does not serve itself (marker lock, view preferences, length units).
  void SetCommandRunner(std::function<void(int)> run) { m_RunCommand = std::move(run); }
  /// Opens a file dropped on the pane.
  void SetFileOpener(std::function<void(const std::string&)> open) { m_OpenFile = std::move(open); }

  /// The pane's context menu with its states for the current trace; null while no trace is loaded.
  std::unique_ptr<QMenu> BuildContextMenu();
  /// Runs a command of the context menu (the action's data).
  void RunContextCommand(int id);

  /// The rendered background (grid, curves, event strip) at the last render.
  const QImage& CachedBackground() const { return m_Cache; }
  /// The last finished picture, in the screen's pixels (its device pixel ratio set).
  const QImage& BackBuffer() const { return m_BackBuffer; }
  /// The last finished picture in layout pixels, for the picture export and the printed link map.
  QImage LogicalPicture() const;
  /// Background renders since the view was made.
  int RenderCount() const { return m_nRenderCount; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // ZoomHost
  PixelSize ClientSize() override;
  PixelSize AvailableSize() override;
  void SetSizes(PixelSize canvas) override;
  void SetScrollPosition(ScrollAxis axis, int position) override;
  void Invalidate() override;

  /// Room a scroll bar takes from the client area.
  int ScrollBarExtent() const;
  /// Paints the exposed part of the pane.
  void OnDraw(const QRegion& exposed);
  /// Whether the cached background has the viewport's size and pixel ratio.
  bool CacheFitsViewport() const;
  void RenderBackground();
  void DrawGridAndScale(QPainter& painter);
  void DrawOverlayTraces(QPainter& painter);
  void DrawEventIcons(QPainter& painter);
  void DrawLinkMap(QPainter& painter);
  void DrawMarkers(QPainter& painter);
  void DrawAuxMarkers(QPainter& painter);
  void DrawTransientLines(QPainter& painter) const;
  void WriteDistance(int set);
  void WriteStoredCursors();
  void OffsetTraceByDrag();
  void ReseatAuxMarkersOnCurrentEvent();
  void ApplyOffsetReset();
  void SetAnalysisMode(int mode);
  ViewCommandUi AnalysisModeUi(int mode) const;
  void BroadcastFromView(int hint);
  MarkerTrace MarkerTraceOf() const;
  SampleAxis AxisOf() const;
  void UpdateFrameTitle();
  QMdiSubWindow* ChildFrame() const;
  PixelRect LogicalClientRect();
  ZoomInputs Inputs() const;
  bool TraceShown() const;
  /// The listed paths as the list stands.
  std::vector<std::string> ListedPaths() const;
  /// The trace button of the trace the document holds; 0 when it is not listed.
  int CurrentTraceButton() const;
  void RestoreListOrder();

  COtdrDoc& m_Doc;
  const TraceList& m_TraceList;
  TraceViewState m_State;
  PixelSize m_HostCanvas;  // the scroll extent the bars show
  bool m_bApplyingLayout = false;
  QImage m_Cache;       // the rendered background
  QImage m_BackBuffer;  // the last finished picture
  int m_nRenderCount = 0;
  std::function<void(int)> m_RunCommand;
  std::function<void(const std::string&)> m_OpenFile;
  std::function<int(QDialog&)> m_RunDialog;
  OverlayHost m_Overlay;
  bool m_bCaptured = false;            // the view holds the mouse since the last press
  std::optional<PixelRect> m_RubberBand;  // client pixels, drawn inverted over the picture
  std::optional<int> m_nGuideY;           // client y of an offset drag's guide line
  std::optional<int> m_nPressGuideY;      // where the picked trace was pressed
};

/// The trace view, while one exists.
extern COtdrDisplayView* g_pDisplayView;
