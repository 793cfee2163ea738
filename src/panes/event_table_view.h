#pragma once
// The texts of an event table as the Event Table pane shows them, row by row. Every view that
// shows event cells (pane, report pages, multi-trace cells, text export) prints these texts.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kEventColumnCount = 11;

/// One row of the table as shown.
struct EventTableRowView {
  std::array<std::string, kEventColumnCount> texts;
  int typeIcon = 0;                 // an EventTableIcon
  std::uint32_t failedColumns = 0;  // bit c set: column c fails its limit

  bool Failed(int column) const { return (failedColumns >> column & 1u) != 0; }
};

/// Every row of an event table and whether any cell failed.
struct EventTableView {
  std::vector<EventTableRowView> rows;
  bool anyFailed = false;
};
