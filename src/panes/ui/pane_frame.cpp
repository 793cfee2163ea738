#include "panes/ui/pane_frame.h"

#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>
#include <algorithm>
#include <iterator>

#include "panes/pane_tiling.h"

namespace {

// The main window's MDI area keeps what its information panes need, one property per pane.
const char* NeedProperty(PaneKind pane) {
  switch (pane) {
    case PaneKind::Parameters: return "lumivaneParametersNeed";
    case PaneKind::MarkerInfo: return "lumivaneMarkerInfoNeed";
    case PaneKind::FiberInfo: return "lumivaneFiberInfoNeed";
    default: return nullptr;
  }
}

QMdiArea* AreaOf(const QWidget& view) {
  const auto* frame = qobject_cast<const QMdiSubWindow*>(view.parentWidget());
  return frame != nullptr ? frame->mdiArea() : nullptr;
}

}  // namespace

void SetPaneContentNeed(QWidget& view, PaneKind pane, QSize content) {
  QMdiArea* area = AreaOf(view);
  if (const char* name = NeedProperty(pane); area != nullptr && name != nullptr) area->setProperty(name, content);
}

PaneNeeds CurrentPaneNeeds(const QMdiArea& area, QSize frameDecoration) {
  PaneNeeds needs;
  const PaneKind panes[] = {PaneKind::Parameters, PaneKind::MarkerInfo, PaneKind::FiberInfo};
  for (std::size_t i = 0; i < std::size(panes); ++i) {
    const QSize content = area.property(NeedProperty(panes[i])).toSize();
    if (content.isEmpty()) continue;
    // Room for a vertical scroll bar too: where the height runs short, the values stay whole.
    const int bar = area.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    needs.width = std::max(needs.width, content.width() + frameDecoration.width() + bar);
    needs.heights[i] = content.height() + frameDecoration.height();
  }
  return needs;
}

void GreyFrameClose(QMdiSubWindow& frame) {
  for (QAction* item : frame.systemMenu()->actions()) {
    if (item->shortcut() == QKeySequence(QKeySequence::Close)) item->setEnabled(false);
  }
}

void PlacePaneFrameInTile(QWidget& view, PaneKind pane) {
  auto* frame = qobject_cast<QMdiSubWindow*>(view.parentWidget());
  if (frame == nullptr || frame->mdiArea() == nullptr) return;
  // The panes are meant to stay for the whole run.
  GreyFrameClose(*frame);
  frame->showNormal();
  const QWidget* area = frame->mdiArea()->viewport();
  const PixelRect tile = PaneTile(pane, {0, 0, area->width(), area->height()}, CurrentPaneNeeds(*frame->mdiArea(), frame->size() - view.size()));
  frame->setGeometry(tile.left, tile.top, tile.Width(), tile.Height());
}
