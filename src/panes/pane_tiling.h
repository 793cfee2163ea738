#pragma once
// The tiling of the five panes in the main window. Every pane's view places its own frame in its
// tile whenever the panes are laid out again (each open, Cascade, each resize).
#include <array>

#include "document/doc_view.h"
#include "vocabulary/pixel_geometry.h"

/// What the three information panes need to show every line, as whole frames in pixels.
struct PaneNeeds {
  int width = 0;                   // the widest of the three
  std::array<int, 3> heights{};    // Parameters, Marker Information, Total Fiber Information
};

/// The tile of `pane` in a main-window client area, which the tiles fill without a gap. On a large
/// client the area is split into a left three-quarter column (Trace over Event Table) and a right
/// quarter column (Parameters, Marker Information, Total Fiber Information). Where an information
/// pane would cut its lines (`needs`), the right column widens (up to half the area) and its panes
/// take the heights their lines need; where the three do not fit above one another, Total Fiber
/// Information moves beside the Event Table.
PixelRect PaneTile(PaneKind pane, const PixelRect& mainClient, const PaneNeeds& needs = {});
