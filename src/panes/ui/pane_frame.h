#pragma once
// Where a pane's frame goes: each pane's view restores its frame, greys its Close item and moves it
// into the pane's tile of the main window whenever the panes are laid out again.
#include "document/doc_view.h"

class QMdiSubWindow;
class QWidget;

/// Greys the Close item (and its Ctrl+F4) of a pane's frame menu.
void GreyFrameClose(QMdiSubWindow& frame);

/// Restores the frame around `view` (when it sits in an MDI area), greys the frame's Close item and
/// moves the frame to the tile of `pane`.
void PlacePaneFrameInTile(QWidget& view, PaneKind pane);
