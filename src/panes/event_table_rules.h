#pragma once
// How the Event Table pane follows and moves the document: the event that holds the active marker,
// stepping the current event with the arrow keys, placing the active marker on a clicked event, and
// which events may be deleted.
#include <cstdint>
#include <optional>
#include <span>

#include "trace/display_records.h"

class COtdrDoc;
struct DisplayState;

/// 1-based number of the last row whose span holds `distanceKm` strictly inside; a row's span runs
/// half way to its neighbours, the last row's to the trace end (`traceEndKm`; distances from the
/// user's zero). Nothing when no span holds it.
std::optional<int> FindMarkerEventNumber(std::span<const EventRow> rows, double traceEndKm, double distanceKm);

/// Keys that step the current event.
enum class EventTableKey { Next, Previous, Other };

/// The key row after a key: Next steps down, Previous up, both within `rowCount` rows.
int StepKeyRow(int keyRow, EventTableKey key, int rowCount);

/// A click on row `r` (-1: no row): records it as the selected row and the table's snap event, and
/// on a row of an event makes it the current event and puts the active marker on it. Returns whether
/// an event was chosen, which the caller announces with the event-chosen hint.
bool ApplyRowClick(COtdrDoc& doc, DisplayState& display, int r);

/// Whether the event of row `r` may be deleted: a key event that is neither the launch (the first
/// key event, or a row shown as a start) nor the end of the fibre.
bool IsDeletableEvent(const COtdrDoc& doc, int r);
