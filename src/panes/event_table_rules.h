#pragma once
// How the Event Table pane follows and moves the document: the event that holds the active marker,
// stepping the selected row with the arrow keys, and which events may be deleted.
#include <cstdint>
#include <optional>
#include <span>

#include "trace/display_records.h"

class COtdrDoc;

/// 1-based number of the last row whose span holds `distanceKm` strictly inside; a row's span runs
/// half way to its neighbours, the last row's to the trace end (`traceEndKm`; distances from the
/// user's zero). Nothing when no span holds it.
std::optional<int> FindMarkerEventNumber(std::span<const EventRow> rows, double traceEndKm, double distanceKm);

/// Keys that step the current event.
enum class EventTableKey { Next, Previous, Other };

/// The key row after a key: Next steps down, Previous up, both within `rowCount` rows.
int StepKeyRow(int keyRow, EventTableKey key, int rowCount);

/// Whether the event of row `r` may be deleted: a key event that is neither the launch (the first
/// key event, or a row shown as a start) nor the end of the fibre.
bool IsDeletableEvent(const COtdrDoc& doc, int r);
