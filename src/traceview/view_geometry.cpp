#include "traceview/view_geometry.h"

#include <algorithm>

namespace {

constexpr int kMaxLineStep = 40;
constexpr int kMaxPageStep = 400;

}  // namespace

ScrollBarLayout LayoutScrollBars(PixelSize available, int barExtent, PixelSize canvas) {
  ScrollBarLayout layout;
  layout.horizontal = canvas.width > available.width;
  layout.vertical = canvas.height > available.height;
  if (layout.horizontal && !layout.vertical) layout.vertical = canvas.height > available.height - barExtent;
  if (layout.vertical && !layout.horizontal) layout.horizontal = canvas.width > available.width - barExtent;
  layout.client.width = std::max(0, available.width - (layout.vertical ? barExtent : 0));
  layout.client.height = std::max(0, available.height - (layout.horizontal ? barExtent : 0));
  return layout;
}

ScrollSteps ScrollStepsFor(int canvasExtent) {
  const int page = std::max(1, canvasExtent / 10);
  const int line = std::max(1, page / 10);
  return {std::min(line, kMaxLineStep), std::min(page, kMaxPageStep)};
}

int ClampScrollPosition(int position, int canvasExtent, int clientExtent) {
  return std::clamp(position, 0, std::max(0, canvasExtent - clientExtent));
}

PixelSize ChildFrameSize(const PixelRect& mainClient) {
  return {(mainClient.right - mainClient.left) * 3 / 4, (mainClient.bottom - mainClient.top) * 2 / 3};
}
