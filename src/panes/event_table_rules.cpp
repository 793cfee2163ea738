#include "panes/event_table_rules.h"

#include <algorithm>

#include "document/display_model_params.h"
#include "document/otdr_doc.h"
#include "trace/trace_conversions.h"

std::optional<int> FindMarkerEventNumber(std::span<const EventRow> rows, double traceEndKm, double distanceKm) {
  std::optional<int> found;
  const int count = static_cast<int>(rows.size());
  for (int q = 0; q < count; ++q) {
    const double x = rows[static_cast<std::size_t>(q)].Distance;
    const double before = q == 0 ? 0.0 : (x - rows[static_cast<std::size_t>(q - 1)].Distance) / 2;
    const double after = q == count - 1 ? traceEndKm - x : (rows[static_cast<std::size_t>(q + 1)].Distance - x) / 2;
    if (x - before < distanceKm && distanceKm < x + after) found = q + 1;
  }
  return found;
}

int StepKeyRow(int keyRow, EventTableKey key, int rowCount) {
  if (key == EventTableKey::Next && keyRow < rowCount - 1) return keyRow + 1;
  if (key == EventTableKey::Previous && keyRow > 0) return keyRow - 1;
  return keyRow;
}

bool IsDeletableEvent(const COtdrDoc& doc, int r) {
  if (r < 0 || r >= StoredKeyEventCount(doc.m_SorRecord.KeyEvents)) return false;
  // The first key event is the launch wherever the file's offsets put it: its time is 0 only when
  // the user's zero and the first sample coincide with it.
  if (r == 0) return false;
  const SorKeyEvent& event = doc.m_SorRecord.KeyEvents.Events[static_cast<std::size_t>(r)];
  return doc.m_EventRows[static_cast<std::size_t>(r)].Type != kEventLaunch && !IsEndEventCode(event);
}
