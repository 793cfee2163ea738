#include "panes/ui/pane_frame.h"

#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "panes/pane_tiling.h"

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
  const PixelRect tile = PaneTile(pane, {0, 0, area->width(), area->height()});
  frame->setGeometry(tile.left, tile.top, tile.Width(), tile.Height());
}
