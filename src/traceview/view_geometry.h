#pragma once
// Sizes of the trace view in pixels and the rules that tie its canvas, its client area and its
// scroll bars together, apart from any window system so that the zoom rules run in tests.

#include "vocabulary/pixel_geometry.h"

/// Which scroll bars a canvas needs and the client area that is left beside them.
struct ScrollBarLayout {
  bool horizontal = false;
  bool vertical = false;
  PixelSize client;
};

/// The scroll bars shown "as needed" for a canvas in an area of `available` pixels (no bars), each
/// bar taking `barExtent` pixels; a bar that appears can make the other one necessary.
ScrollBarLayout LayoutScrollBars(PixelSize available, int barExtent, PixelSize canvas);

/// Line and page steps of one scroll direction.
struct ScrollSteps {
  int line = 0;
  int page = 0;
};

/// Line step 40 and page step 400 at most; a small canvas steps by a hundredth and a tenth of itself.
ScrollSteps ScrollStepsFor(int canvasExtent);

/// A scroll position held within 0 .. canvas - client.
int ClampScrollPosition(int position, int canvasExtent, int clientExtent);

/// The Trace pane's frame size in a main-frame client rectangle: three quarters of the width and two
/// thirds of the height (the panes fill the client area without a gap).
PixelSize ChildFrameSize(const PixelRect& mainClient);
