#include "panes/pane_tiling.h"

namespace {

// What the main window's borders, toolbar and status bar took from its client area.
constexpr int kRightMargin = 3;
constexpr int kBottomMargin = 45;
// The Parameters pane is taller than a third by this much, at the Marker Information pane's cost.
constexpr int kParametersExtra = 30;

PixelRect At(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

}  // namespace

PixelRect PaneTile(PaneKind pane, const PixelRect& mainClient) {
  const int w = (mainClient.right - kRightMargin) - mainClient.left;
  const int h = (mainClient.bottom - kBottomMargin) - mainClient.top;
  const int left = 3 * w / 4;
  switch (pane) {
    case PaneKind::Trace: return At(0, 0, left, 2 * h / 3);
    case PaneKind::EventTable: return At(0, 2 * h / 3, left, h / 3);
    case PaneKind::Parameters: return At(left, 0, w / 4, h / 3 + kParametersExtra);
    case PaneKind::MarkerInfo: return At(left, h / 3 + kParametersExtra, w / 4, h / 3 - kParametersExtra);
    case PaneKind::FiberInfo: return At(left, 2 * h / 3, w / 4, h / 3);
  }
  return {};
}
