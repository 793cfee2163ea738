#pragma once
// Sizes of the trace view in pixels and the rules that tie its canvas, its client area and its
// scroll bars together, apart from any window system so that the zoom rules run in tests.

/// A width and height in pixels.
struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

/// A point in pixels.
struct PixelPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

/// A rectangle in pixels; right and bottom are exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

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

/// The Trace pane's frame size in a main-frame client rectangle: three quarters of the width less 3
/// and two thirds of the height less 45.
PixelSize ChildFrameSize(const PixelRect& mainClient);
