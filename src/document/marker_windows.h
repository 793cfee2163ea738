#pragma once
// Placing the aux-marker windows of the active marker around it.
#include <cstdint>

#include "trace/display_records.h"

/// Samples on each side of a marker that its measurement windows span.
inline constexpr std::int32_t kMarkerWindowHalfWidth = 500;

/// Seats the active marker's loss and reflectance windows around it on a trace of `pointCount`
/// samples; fitted values and the other marker's windows stay. An ActiveMarker other than 0 or 1
/// changes nothing.
void PlaceActiveMarkerWindows(MarkerState& markers, std::int32_t pointCount);
