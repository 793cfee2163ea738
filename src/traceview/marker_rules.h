#pragma once
// The rules of markers A and B and their aux markers: where the aux markers of the two analysis
// modes stand, how a set is ordered and fitted, how the keys step the active marker and how a drag
// moves it. They act on the document's MarkerState and plain inputs; the view writes the distances
// and stored cursors and repaints.
#include <array>
#include <span>

#include "trace/display_records.h"

/// The current trace as the marker rules read it.
struct MarkerTrace {
  int pointCount = 0;
  std::span<const double> samples;  // the document's dB samples, for the fitted lines and single levels
};

/// Client x of samples and the sample under a client x, at the last background render.
struct SampleAxis {
  double pixelsPerSample = 0.0;
  double originX = 0.0;  // horizontal scroll position
  int clientWidth = 0;
  /// trunc(i x pps - ox).
  int ClientX(int index) const;
  /// trunc((x + ox) / pps); 0 while the scale is unknown.
  int SampleAt(double x) const;
};

/// Level of sample `index` on the shown trace, or kMissingValue for an index the trace lacks.
double AuxLevelAt(const MarkerTrace& trace, int index);

/// Orders, holds within the trace and fits the insertion-loss aux markers of `set` (0 A, 1 B).
void UpdateLossAuxMarkers(MarkerState& markers, int set, const MarkerTrace& trace, double offsetDb);
/// The same for the reflectance aux markers of `set`.
void UpdateReflectanceAuxMarkers(MarkerState& markers, int set, const MarkerTrace& trace, double offsetDb);

/// Refits the values of set `set` without moving any index: pairs by their line, single points by
/// their level.
void RefitActiveAuxMarkers(MarkerState& markers, int set, const MarkerTrace& trace, double offsetDb);

/// Insertion-loss aux places of a marker at `marker` with the user's shifts on a trace of n samples.
std::array<int, 4> LossAuxPlaces(int marker, const std::array<int, 4>& shift, int pointCount);
/// Reflectance aux places of a marker at `marker` with the user's shifts.
std::array<int, 3> ReflectanceAuxPlaces(int marker, const std::array<int, 3>& shift, int pointCount);

/// Holds aux `k` of a set being dragged to `index`: between its neighbours, the marker and the
/// trace, and the last one inside the window. `indices` are the set's current indices; `mode` 1 or 2.
int HoldDraggedAux(int mode, int k, int index, std::span<const int> indices, int marker, int pointCount,
                   const SampleAxis& axis);

/// Places both sets of the mode's aux markers from the markers and shifts, holds the one being
/// dragged (`auxDrag`, -1 none) and fits the active set. Modes other than 1 and 2 change nothing.
void PlaceAuxMarkersForPaint(MarkerState& markers, const std::array<int, 4> (&lossShift)[2],
                             const std::array<int, 3> (&reflShift)[2], int auxDrag, const MarkerTrace& trace,
                             const SampleAxis& axis, double offsetDb);

/// Moves the active marker (both when locked) by `step` samples with its aux markers; false when a
/// marker would leave the trace, and then nothing moves.
bool StepActiveMarker(MarkerState& markers, int step, const MarkerTrace& trace, double offsetDb);

/// Analysis mode after the insertion-loss command: 1 becomes 0, anything else 1.
int ToggledInsertionLossMode(int mode);
/// Analysis mode after the reflectance command: 2 becomes 0, anything else 2.
int ToggledReflectanceMode(int mode);

/// Distance in km of a sample: index x fibre length / (n - 1); 0 for fewer than two samples.
double MarkerDistanceKm(int index, double fibreLengthKm, int pointCount);

/// What a drag step did to the markers.
enum class MarkerDragResult { Unchanged, SnappedToEdge, Moved };

/// Moves the active marker to the pointer at client x `x` (both markers when locked). `indexA` and
/// `indexB` are the markers' indices read back from their distances, for the locked range test.
MarkerDragResult DragActiveMarker(MarkerState& markers, int x, const SampleAxis& axis, int indexA, int indexB,
                                  const MarkerTrace& trace, double offsetDb);
