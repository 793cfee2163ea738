#pragma once
// Where a marker's line and label go in the trace view: the label sits beside the line, moves down
// when the other marker's label would overlap it, and becomes an arrow at the window's edge when the
// marker lies outside the visible part. Every label extent counts 6.5 pixels per character, so the
// drawn box and the box the mouse tests are the same.
#include <string>

#include "traceview/view_geometry.h"

/// One marker as the label layout reads it.
struct MarkerLabelInput {
  char name = 'A';             // 'A' or 'B'
  int index = 0;               // the marker's sample index
  int otherIndex = 0;          // the other marker's sample index
  bool active = false;         // this marker is the active one
  std::string text;            // the label, "A 1.23456 km"
  double pixelsPerSample = 0.0;
  double originX = 0.0;
  double originY = 0.0;
  int clientWidth = 0;
  int clientHeight = 0;
};

/// Where the label went.
enum class MarkerLabelPlacement { ArrowRight, ArrowLeft, LeftOfLine, RightOfLine };

/// The line, the text and the boxes of one marker, in canvas (logical) pixels.
struct MarkerLabelLayout {
  int lineX = 0;
  int lineTop = 0;
  int lineBottom = 0;
  bool movedDown = false;  // the label sits 15 pixels lower to clear the other label
  MarkerLabelPlacement placement = MarkerLabelPlacement::RightOfLine;
  std::string text;        // the label, or the arrow text "->A" / "A<-"
  PixelPoint textAt;       // top-left corner of the drawn text box
  PixelRect box;           // the filled box the text is drawn in
  bool recordsArrow = false;  // textAt is the marker's arrow point
  int labelSlot = -1;         // label rectangle written: 0 the first, 1 the second, -1 none
  PixelRect labelRect;        // that rectangle
};

/// Width in pixels the layout counts for a text of `length` characters.
double MarkerLabelExtent(int length);

/// The layout of one marker's line and label.
MarkerLabelLayout LayoutMarkerLabel(const MarkerLabelInput& input);
