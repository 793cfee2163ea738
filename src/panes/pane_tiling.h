#pragma once
// The fixed tiling of the five panes in the main window. Every pane's view places its own frame in
// its tile whenever the panes are laid out again (each open, Cascade, each resize).
#include "document/doc_view.h"
#include "vocabulary/pixel_geometry.h"

/// The tile of `pane` in a main-window client area: the area less 3 pixels at the right and 45 at
/// the bottom is split into a left three-quarter column (Trace over Event Table) and a right quarter
/// column (Parameters, Marker Information, Total Fiber Information).
PixelRect PaneTile(PaneKind pane, const PixelRect& mainClient);
