#pragma once
// Sizes, points and rectangles in pixels: the vocabulary the trace view, the document's remembered
// marker areas and the pane layout share, apart from any window system.

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
