#pragma once
// Readings the printed report takes at the markers of a trace: the loss along one least-squares
// line, the cumulative loss from the launch to a marker, the stored event nearest a marker and the
// event-table row whose span holds a marker. Every input is explicit; printing passes g_WorkTrace.
// A reading without a value is kMissingValue.
#include <cstdint>
#include <span>
#include <string>

#include "document/trace_display_model.h"
#include "sor/sor_record.h"
#include "trace/display_records.h"

/// Value at `x` of the least-squares line through samples start..end; kMissingValue when the window
/// cannot be fitted.
float FitLineValue(int start, int end, int x, int count, std::span<const double> samples);

/// Loss along the least-squares line between two sample indices (either order): 0 for equal
/// indices, kMissingValue when the line cannot be fitted.
float GetLsaLossFromSamples(int index1, int index2, int count, std::span<const double> samples);

/// GetLsaLossFromSamples on the trace's dB samples.
float GetLsaLoss(int index1, int index2, const TraceDisplayModel& trace);

/// Cumulative loss from the launch to the active marker of `markers` (A for 0, B otherwise) on a trace
/// covering `fibreLengthKm`: CumulativeLossAt the marker through its first loss window (aux markers
/// 0 and 1). The Marker Information pane, Add Event and the printed markers read it here.
float GetMarkerEventLossFromSamples(const MarkerState& markers, const SorRecord& record, int count,
                                    std::span<const double> samples, double fibreLengthKm);

/// GetMarkerEventLossFromSamples on the trace's record and dB samples.
float GetMarkerEventLoss(const MarkerState& markers, const TraceDisplayModel& trace);

/// 1-based row whose span holds the sample index of marker A (`printMarker` 0) or B strictly
/// inside; 0 when none does. The rows count from the user's zero, which lies `userZeroKm`
/// (UserZeroDistanceKm) after the first sample.
int FindEventAtMarkerIndex(double fibreLengthKm, double userZeroKm, std::span<const EventRow> rows, int eventCount,
                           int firstPulsePoints, int pointCount, int markerA, int markerB, int printMarker);
