#pragma once
// The four trace buttons of the overlay: which one shows pressed, and which listed trace the close
// command removes and which neighbour becomes current after it.
#include <array>
#include <optional>
#include <span>
#include <string>

/// Per trace button 1 to 4 (index 0 to 3): the button shows pressed.
using TraceButtonFlags = std::array<int, 4>;

/// The update rule of trace button k (1 to 4): whether it shows pressed, and the flags after it.
/// Right after an open that listed a new trace, the button of the last trace is the pressed one.
bool UpdateTraceButton(TraceButtonFlags& flags, int k, int traceCount, bool captureOnOpen);

/// List position the close command removes: the last one, or the button shown pressed (the last of
/// several wins). With one trace left the buttons 2 to 4 are released first.
int CloseTargetPosition(TraceButtonFlags& flags, int traceCount);

/// Path that becomes current once position `removed` leaves `paths`: the entry before it, or the
/// new first entry when the first one left; none when nothing remains.
std::optional<std::string> NeighbourAfterClose(std::span<const std::string> paths, int removed);
