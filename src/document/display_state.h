#pragma once
// What the trace view shows and what the panes ask of each other. A request crosses panes as an int
// flag: the writer sets it and then broadcasts to the document's views or invalidates a window; the
// reader acts on it at its next update or paint and clears it. Only the user-interface thread
// touches the record, so plain members suffice.

/// Shared view state; one global instance, g_DisplayState.
struct DisplayState {
  int LinkMapRedraw = 0;         // request: render the trace view's background again (unit change in link-map mode)
  int UnitChanged = 0;           // request: the event table rebuilds its column headings
  int TraceSwapped = 0;          // the trace list is out of its own order, or the link map is shown
  int SwappedTraceIndex = 0;     // list position of the trace swapped to the end
  int SwappedWithIndex = 0;      // list position it was swapped with (count - 1)
  int MarkersFromTable = 0;      // request: the event table moved a marker; no seeding from stored cursors while set
  double MarkerADistance = 0.0;  // marker A in km; 0.0 without MarkerAZeroFromTable means not placed yet
  double MarkerBDistance = 0.0;  // marker B in km
  int TableRedrawRequest = 0;    // request: event rows changed; render the background (event icons) again
  int MarkerAZeroFromTable = 0;  // the table put marker A on an event at 0 km; sticky for the run
  int SingleTraceMode = 0;       // 1 after File Open, 0 after Add trace
  int MarkerMoved = 0;           // a marker was dragged since the last open or close; keeps Save enabled
  int LinkOrlDirty = 0;          // request: compute the link's optical return loss again before its next use
  int SwitchingTrace = 0;        // the trace view is re-opening a listed trace to make it current
  int TraceCount = 0;            // number of traces in the loaded-trace list, 0 to 4
  int FitOverlayRequest = 0;     // request: fit the view's scales to the listed traces at the next paint
  int ResetZoomRequest = 0;      // request: reset the zoom at the next update (served in single-trace mode)
  int LinkMapMode = 0;           // 1 = the trace pane shows the link map instead of the curves
  int SelectedEventRow = 0;      // the event-table row chosen last
  int TraceOrderRestored = 1;    // 1 = the list is in its own order; 0 after a swap
  int ZoomCaptureOnOpen = 1;     // 1 = the next open captures g_ZoomState; 0 = it writes g_ZoomState back
};

/// The program's one display state.
extern DisplayState g_DisplayState;

/// Puts g_DisplayState back to its start values.
void ResetDisplayState();
