#pragma once
// Fitting the view to the current trace after the overlay's current trace changed: the markers keep
// their distances read on the scale reference, and after a rubber-band zoom the canvas keeps its
// pixels per sample (or the reference's, right after a switch) and the window its left edge in km.
// Distances count from each trace's own user's zero, as the overlay places the curves.
#include "trace/display_records.h"
#include "traceview/zoom_commands.h"

/// What the fit reads of the document and the display state.
struct OverlayFitInputs {
  int traceCount = 0;
  bool fitRequest = false;  // a trace was just added to the overlay
  int pointCount = 0;
  double fibreLengthKm = 0.0;
  double userZeroKm = 0.0;  // the current trace's first sample to its user's zero (UserZeroDistanceKm)
};

/// A marker index of the reference trace mapped to the current trace by its distance from the
/// user's zero; unchanged when the reference or the trace has no length.
int MapMarkerToTrace(int marker, const ZoomState& reference, double fibreLengthKm, int pointCount, double userZeroKm);

/// Maps the markers and, after a rubber-band zoom, sets the canvas and the scroll position.
void FitOverlay(TraceViewState& state, ZoomHost& host, ZoomState& reference, MarkerState& markers,
                const OverlayFitInputs& in);
