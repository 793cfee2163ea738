#pragma once
// The text lines of the three information panes (Parameters, Marker Information, Total Fiber
// Information): each line is a label at the left edge and a value at the pane's value column. The
// texts are computed without a window so printing and tests read exactly what a pane shows.
#include <string>
#include <vector>

#include "vocabulary/length_unit.h"

/// y (pixels from the top of the pane's client area) of the first line's top.
inline constexpr int kPaneFirstLineY = 5;

/// One line of an information pane.
struct PaneLine {
  std::string label;
  std::string value;
  int valueX = 0;        // pixels from the left edge
  bool failing = false;  // the value fails its pass/fail limit and is drawn in red
};

using PaneLines = std::vector<PaneLine>;

/// The display unit in force (g_LengthUnitName, g_LengthUnitFactor).
inline LengthUnit CurrentDisplayUnit() { return {g_LengthUnitName, g_LengthUnitFactor}; }
