#pragma once
// The fitted values of the active marker's aux markers after the trace changed: each pair gets the
// least-squares line through the samples between its two indices, a pair on one sample and the
// single level marker get that sample's level.
#include <span>

struct MarkerState;

/// Refits set `set` (0 = A, 1 = B) of `markers` on a trace of `pointCount` samples; `samples` are
/// the document's dB samples, `levels` the view's dB copy; `offsetDb` is added to every value. The
/// stored indices do not change.
void RefitActiveAuxMarkers(MarkerState& markers, int set, int pointCount, std::span<const double> samples,
                           std::span<const double> levels, double offsetDb);
