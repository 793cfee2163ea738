#include "panes/pane_tiling.h"

#include <algorithm>

namespace {

// The Parameters pane is taller than a third by this much, at the Marker Information pane's cost.
constexpr int kParametersExtra = 30;

PixelRect At(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

// Heights for panes needing `needs` out of `total`: each its need and an even share of what is
// left; when they need more than there is, each a share in proportion to its need.
template <std::size_t N>
std::array<int, N> Share(const std::array<int, N>& needs, int total) {
  int sum = 0;
  for (const int need : needs) sum += std::max(need, 1);
  std::array<int, N> heights{};
  int used = 0;
  for (std::size_t i = 0; i + 1 < N; ++i) {
    const int need = std::max(needs[i], 1);
    heights[i] = sum <= total ? need + (total - sum) / static_cast<int>(N)
                              : static_cast<int>(static_cast<long long>(total) * need / sum);
    used += heights[i];
  }
  heights[N - 1] = total - used;
  return heights;
}

}  // namespace

PixelRect PaneTile(PaneKind pane, const PixelRect& mainClient, const PaneNeeds& needs) {
  const int w = mainClient.right - mainClient.left;
  const int h = mainClient.bottom - mainClient.top;
  const int rightWidth = std::clamp(needs.width, w - 3 * w / 4, std::max(w / 2, w - 3 * w / 4));
  const int left = w - rightWidth;
  const int top = 2 * h / 3;
  const std::array<int, 3> classic{h / 3 + kParametersExtra, top - (h / 3 + kParametersExtra), h - top};
  bool classicFits = true;
  for (std::size_t i = 0; i < classic.size(); ++i) classicFits = classicFits && classic[i] >= needs.heights[i];
  int sum = 0;
  for (const int need : needs.heights) sum += need;

  if (classicFits || sum <= h) {
    const std::array<int, 3> right = classicFits ? classic : Share(needs.heights, h);
    switch (pane) {
      case PaneKind::Trace: return At(0, 0, left, top);
      case PaneKind::EventTable: return At(0, top, left, h - top);
      case PaneKind::Parameters: return At(left, 0, rightWidth, right[0]);
      case PaneKind::MarkerInfo: return At(left, right[0], rightWidth, right[1]);
      case PaneKind::FiberInfo: return At(left, right[0] + right[1], rightWidth, right[2]);
    }
    return {};
  }
  // Parameters and Marker Information share the right column; Total Fiber Information takes the
  // right end of the bottom row, which grows to its height (up to half the area).
  const int bottom = std::clamp(needs.heights[2], h - top, std::max(h / 2, h - top));
  const int fibreWidth = std::min(rightWidth, left / 2);
  const std::array<int, 2> right = Share(std::array<int, 2>{needs.heights[0], needs.heights[1]}, h);
  switch (pane) {
    case PaneKind::Trace: return At(0, 0, left, h - bottom);
    case PaneKind::EventTable: return At(0, h - bottom, left - fibreWidth, bottom);
    case PaneKind::FiberInfo: return At(left - fibreWidth, h - bottom, fibreWidth, bottom);
    case PaneKind::Parameters: return At(left, 0, rightWidth, right[0]);
    case PaneKind::MarkerInfo: return At(left, right[0], rightWidth, right[1]);
  }
  return {};
}
