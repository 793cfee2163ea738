#pragma once
// What the two markers of the current trace measure, as the Marker Information pane shows it: the
// distance between them, the 2-point and least-squares loss and attenuation, the insertion loss and
// reflectance at the active marker (or of the event just chosen) and the cumulative loss from the
// trace start. Distances are km, losses dB, attenuations dB/km; kMissingValue means no value.
#include <span>

#include "document/document_settings.h"
#include "trace/display_records.h"

class COtdrDoc;


/// What markers `markers` measure on a trace of `count` samples `db` (dB) over `fibreLengthKm`, the
/// markers `distanceAB` km apart, with no event chosen: what the pane shows for that trace.
MarkerReadings MeasureMarkerReadings(const MarkerState& markers, const SorRecord& record, int count,
                                     std::span<const double> db, double fibreLengthKm, double distanceAB,
                                     double currentOffsetDb);

/// Recomputes `readings` after a broadcast with `hint`. Hint 1 (an event was chosen) first moves the
/// active marker onto the current event; while several traces are loaded the markers go back to the
/// file's stored cursors; the active marker is brought into the trace. The insertion loss,
/// reflectance and cumulative loss are the chosen event's stored ones from then on, through edits
/// of other rows, until the active marker leaves the event. No trace: nothing changes.
void UpdateMarkerReadings(COtdrDoc& doc, int hint, MarkerReadings& readings);

/// Reflectance and loss (dB) stored with the current key event; kMissingValue for a value stored as
/// 0 (not measured), a non-reflective event's reflectance, and the loss of the launch, of an end
/// event and of an event behind the end.
void GetCurrentEventReadings(const COtdrDoc& doc, double& reflectance, double& loss);

/// 2-point optical return loss (dB) between markers A and B, the stretch cut off at the first end
/// row; 0 when the markers coincide or the stretch has no length.
float ComputeMarkerOrl(const COtdrDoc& doc, std::span<const EventRow> rows, int eventCount, float wavelengthNm);
