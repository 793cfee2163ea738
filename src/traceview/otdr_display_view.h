#pragma once
// The Trace pane: the current trace, or the overlay of every loaded trace, with its grid, scale
// caption and event strip, zoomed and scrolled. The view keeps its state in a TraceViewState and
// leaves the rules to the plain functions of the trace view core; what stays here is the window:
// scroll bars, the cached background and the double-buffered paint.
#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/doc_view.h"
#include "traceview/trace_view_state.h"
#include "traceview/zoom_commands.h"

class COtdrDoc;
class QMdiSubWindow;
class QMenu;
class QPainter;
struct TraceRecord;

/// The loaded-trace list the view draws, in list order.
using TraceList = std::vector<std::unique_ptr<TraceRecord>>;

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

  /// Binds every command of the view: `bind(id, handler, enabled)`.
  void BindCommands(const std::function<void(int, std::function<void()>, std::function<bool()>)>& bind);

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
  /// The last finished picture, for the picture export and the printed link map.
  const QImage& BackBuffer() const { return m_BackBuffer; }
  /// Background renders since the view was made.
  int RenderCount() const { return m_nRenderCount; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
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
  void OnDraw();
  void RenderBackground();
  void DrawGridAndScale(QPainter& painter);
  void DrawOverlayTraces(QPainter& painter);
  void DrawEventIcons(QPainter& painter);
  void UpdateFrameTitle();
  QMdiSubWindow* ChildFrame() const;
  PixelRect LogicalClientRect();
  ZoomInputs Inputs() const;
  bool TraceShown() const;

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
};

/// The trace view, while one exists.
extern COtdrDisplayView* g_pDisplayView;
