#pragma once
// The four trace buttons of the overlay and the close command, read from one state: the trace the
// document holds is the current trace, its button is the one shown pressed and the close command
// removes it. Nothing else remembers which trace is current.
#include <optional>
#include <span>
#include <string>
#include <string_view>

/// How the loaded-trace list stands against its own order: the last switch may have exchanged the
/// trace it made current with the last entry, so that it is drawn last.
struct ListOrder {
  bool inOrder = true;
  int swappedIndex = 0;  // the position the current trace came from
  int swappedWith = 0;   // the position it went to (the last one)
};

/// The trace button (1 to 4) of the listed trace `current`: its position in the list's own order,
/// counted from 1; 0 when `current` is not listed. `paths` are the list's entries as they stand.
int TraceButtonOf(std::span<const std::string> paths, const ListOrder& order, std::string_view current);

/// What closing the current trace does to a list in its own order.
struct ClosePlan {
  int removeIndex = -1;               ///< the entry of the current trace; -1 when it is not listed
  std::optional<std::string> next;    ///< the trace that becomes current; none: nothing remains
};

/// The current trace leaves the list; the entry before it becomes current, or the new first entry
/// when it was the first. A current trace that is not listed (its neighbour could not be read when
/// another trace was closed) leaves the last listed trace current.
ClosePlan PlanCloseCurrentTrace(std::span<const std::string> paths, std::string_view current);
