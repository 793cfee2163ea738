#include "document/event_choice.h"

#include <algorithm>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "platform/saturate.h"
#include "trace/trace_conversions.h"

bool ChooseEventRow(COtdrDoc& doc, DisplayState& display, int r) {
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

void ForgetEventChoice(COtdrDoc& doc, DisplayState& display) {
  display.SelectedEventRow = -1;
  display.MarkersFromTable = 0;
  doc.m_nCurrentEvent = 0;
  doc.m_MarkerState.TableSnapMarker = kNoTableSnap;
}

void FollowEventRows(COtdrDoc& doc, DisplayState& display, int r, int by) {
  // A deleted row takes nothing with it: the row after it stands in its place.
  const auto follow = [r, by](int& row) {
    if (row > r || (by > 0 && row == r)) row += by;
  };
  follow(doc.m_nCurrentEvent);
  follow(display.SelectedEventRow);
}
