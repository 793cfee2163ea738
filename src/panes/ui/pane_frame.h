#pragma once
// Where a pane's frame goes: each pane's view restores its frame, greys its Close item and moves it
// into the pane's tile of the main window whenever the panes are laid out again.
#include <QSize>

#include "document/doc_view.h"
#include "panes/pane_tiling.h"

class QMdiArea;
class QMdiSubWindow;
class QWidget;

/// Greys the Close item (and its Ctrl+F4) of a pane's frame menu.
void GreyFrameClose(QMdiSubWindow& frame);

/// Restores the frame around `view` (when it sits in an MDI area), greys the frame's Close item and
/// moves the frame to the tile of `pane`, sized for what the information panes need to show.
void PlacePaneFrameInTile(QWidget& view, PaneKind pane);

/// Notes, in the MDI area around `view`, the size the lines of information pane `pane` take; the
/// next layout gives the pane a tile that shows them whole where the main window allows.
void SetPaneContentNeed(QWidget& view, PaneKind pane, QSize content);

/// The tiling's needs from the sizes noted in `area`, each framed by `frameDecoration` (what a
/// frame adds around its view).
PaneNeeds CurrentPaneNeeds(const QMdiArea& area, QSize frameDecoration);
