#include "traceview/overlay_buttons.h"

bool UpdateTraceButton(TraceButtonFlags& flags, int k, int traceCount, bool captureOnOpen) {
  if (k < 1 || k > 4) return false;
  const std::size_t own = static_cast<std::size_t>(k - 1);
  const bool pressed = captureOnOpen ? traceCount == k : flags[own] != 0;
  if (pressed) {
    flags.fill(0);
    flags[own] = 1;
  } else {
    flags[own] = 0;
  }
  return pressed;
}

int CloseTargetPosition(TraceButtonFlags& flags, int traceCount) {
  int k = traceCount - 1;
  if (traceCount == 1) flags[1] = flags[2] = flags[3] = 0;
  for (int button = 0; button < 4; ++button) {
    if (flags[static_cast<std::size_t>(button)] != 0) k = button;
  }
  return k;
}

std::optional<std::string> NeighbourAfterClose(std::span<const std::string> paths, int removed) {
  const int count = static_cast<int>(paths.size());
  if (removed < 0 || removed >= count || count <= 1) return std::nullopt;
  if (removed > 0) return paths[static_cast<std::size_t>(removed - 1)];
  return paths[1];
}
