#include "panes/event_table_rules.h"

#include <algorithm>

#include "document/display_model_params.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "platform/saturate.h"
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

bool ApplyRowClick(COtdrDoc& doc, DisplayState& display, int r) {
  const bool onEvent = r >= 0 && r < std::clamp(doc.m_nEventCount, 0, kMaxEventRows);
  display.SelectedEventRow = r;
  // The row's number cell less one; a click beside the rows has no number and gives -1.
  doc.m_nTableClickedEvent = onEvent ? doc.m_EventRows[static_cast<std::size_t>(r)].Index : -1;
  if (!onEvent) return false;
  doc.m_nCurrentEvent = r;

  MarkerState& markers = doc.m_MarkerState;
  if (markers.ActiveMarker == 0 || markers.ActiveMarker == 1) {
    const int count = std::clamp(doc.m_nPointCount, 0, kSorMaxSamples);
    // A time of flight beyond the trace (a damaged file) would put the marker off the samples.
    const int index = lumivane::ClampIndex(TimeToIndex(KeyEventRow(doc.m_SorRecord.KeyEvents, r).TimeOfFlight, doc.m_SorRecord), count);
    const double distance = count > 1 ? index * doc.m_dFibreLengthKm / (count - 1) : 0.0;
    if (markers.ActiveMarker == 0) {
      markers.MarkerA = index;
      doc.m_SorRecord.UserName.StoredCursorA = index;
      markers.TableSnapMarker = 0;
      display.MarkerADistance = distance;
      if (distance == 0.0) display.MarkerAZeroFromTable = 1;
    } else {
      markers.MarkerB = index;
      doc.m_SorRecord.UserName.StoredCursorB = index;
      markers.TableSnapMarker = 1;
      display.MarkerBDistance = distance;
    }
  }
  display.MarkersFromTable = 1;
  return true;
}

bool IsDeletableEvent(const COtdrDoc& doc, int r) {
  if (r < 0 || r >= StoredKeyEventCount(doc.m_SorRecord.KeyEvents)) return false;
  // The first key event is the launch wherever the file's offsets put it: its time is 0 only when
  // the user's zero and the first sample coincide with it.
  if (r == 0) return false;
  const SorKeyEvent& event = doc.m_SorRecord.KeyEvents.Events[static_cast<std::size_t>(r)];
  return doc.m_EventRows[static_cast<std::size_t>(r)].Type != kEventLaunch && !IsEndEventCode(event);
}
