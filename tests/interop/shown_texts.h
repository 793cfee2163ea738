#pragma once
// What the event table and the Total Fiber Information pane show of the current trace, as text, to
// compare what a file shows before and after the user's work.
#include <string>
#include <vector>

#include "document/otdr_doc.h"
#include "panes/event_table_cells.h"
#include "panes/fiber_info_text.h"
#include "vocabulary/length_unit.h"

namespace lumivane::test {

/// Each event table row as its cells joined, then each Total Fiber Information line.
inline std::vector<std::string> TableAndTotalsShown(COtdrDoc& doc) {
  std::vector<std::string> texts;
  for (const EventTableRowView& row : ComputeEventTable(doc, 1.0).rows) {
    std::string line;
    for (const std::string& cell : row.texts) line += cell + " | ";
    texts.push_back(line);
  }
  for (const PaneLine& line : FiberInfoLines(doc, kLengthUnits[0])) texts.push_back(line.label + line.value);
  return texts;
}

}  // namespace lumivane::test
