#include "traceview/overlay_buttons.h"

#include <algorithm>

int TraceButtonOf(std::span<const std::string> paths, const ListOrder& order, std::string_view current) {
  const int count = static_cast<int>(paths.size());
  const int at = static_cast<int>(std::find(paths.begin(), paths.end(), current) - paths.begin());
  if (at >= count) return 0;
  const bool exchanged = !order.inOrder && order.swappedIndex >= 0 && order.swappedWith >= 0 &&
                         order.swappedIndex < count && order.swappedWith < count;
  int own = at;
  if (exchanged && at == order.swappedIndex) own = order.swappedWith;
  else if (exchanged && at == order.swappedWith) own = order.swappedIndex;
  return own + 1;
}

ClosePlan PlanCloseCurrentTrace(std::span<const std::string> paths, std::string_view current) {
  const int count = static_cast<int>(paths.size());
  const int at = static_cast<int>(std::find(paths.begin(), paths.end(), current) - paths.begin());
  if (at >= count) {
    if (count == 0) return {};
    return {-1, paths.back()};
  }
  if (count == 1) return {at, std::nullopt};
  return {at, paths[static_cast<std::size_t>(at > 0 ? at - 1 : 1)]};
}
