#include "measure/marker_measurements.h"

#include <algorithm>
#include <cmath>

#include "analysis/event_measurements.h"
#include "trace/least_squares.h"
#include "trace/trace_conversions.h"

namespace {

int UsableCount(int count, std::span<const double> samples) {
  return static_cast<int>(std::min<long long>(std::max(count, 0), static_cast<long long>(samples.size())));
}

std::span<const double> SamplesOf(const TraceDisplayModel& trace) { return trace.m_DbSamples.Values; }

// The last row (1-based) whose span holds the sample at `fromFirstSampleKm` strictly inside. A row's
// span runs from the midpoint to its predecessor (the user's zero for the first row) to the midpoint
// to its successor (the last sample for the last row).
int RowSpanning(double fromFirstSampleKm, double fibreLengthKm, double userZeroKm, std::span<const EventRow> rows,
                int eventCount) {
  const double distanceKm = fromFirstSampleKm - userZeroKm;
  const double traceEndKm = fibreLengthKm - userZeroKm;
  const int n = std::clamp(eventCount, 0, static_cast<int>(rows.size()));
  int found = 0;
  for (int i = 0; i < n; ++i) {
    const double here = rows[static_cast<std::size_t>(i)].Distance;
    const double from = i == 0 ? 0.0 : (rows[static_cast<std::size_t>(i - 1)].Distance + here) / 2.0;
    const double to = i == n - 1 ? traceEndKm : (here + rows[static_cast<std::size_t>(i + 1)].Distance) / 2.0;
    if (distanceKm > from && distanceKm < to) found = i + 1;
  }
  return found;
}

}  // namespace

float FitLineValue(int start, int end, int x, int count, std::span<const double> samples) {
  return LeastSquaresValueAt(start, end, x, count, samples);
}

float GetLsaLossFromSamples(int index1, int index2, int count, std::span<const double> samples) {
  if (index1 == index2) return 0.0f;
  const int lo = std::min(index1, index2);
  const int hi = std::max(index1, index2);
  const float atHi = FitLineValue(lo, hi, hi, count, samples);
  const float atLo = FitLineValue(lo, hi, lo, count, samples);
  // Two missing line values would subtract to a loss of 0 dB, which no reader could tell from a real one.
  if (atHi == kMissingValue || atLo == kMissingValue) return kMissingValue;
  return atHi - atLo;
}

float GetLsaLoss(int index1, int index2, const TraceDisplayModel& trace) {
  return GetLsaLossFromSamples(index1, index2, trace.m_nPointCount, SamplesOf(trace));
}

float GetMarkerEventLossFromSamples(const MarkerState& markers, const SorRecord& record, int count,
                                    std::span<const double> samples, double fibreLengthKm) {
  const int set = markers.ActiveMarker == 1 ? 1 : 0;
  const AuxMarker* window = markers.LossAuxMarkers[set];
  return CumulativeLossAt(set == 0 ? markers.MarkerA : markers.MarkerB, window[0].SampleIndex, window[1].SampleIndex,
                          record, UsableCount(count, samples), samples, fibreLengthKm);
}

float GetMarkerEventLoss(const MarkerState& markers, const TraceDisplayModel& trace) {
  return GetMarkerEventLossFromSamples(markers, trace.m_SorRecord, trace.m_nPointCount, SamplesOf(trace),
                                       trace.m_dFibreLengthKm);
}

int FindEventAtMarkerIndex(double fibreLengthKm, double userZeroKm, std::span<const EventRow> rows, int eventCount,
                           int /*firstPulsePoints*/, int pointCount, int markerA, int markerB, int printMarker) {
  if (pointCount < 2) return 0;
  const double index = printMarker == 0 ? markerA : markerB;
  return RowSpanning(index * fibreLengthKm / (pointCount - 1), fibreLengthKm, userZeroKm, rows, eventCount);
}
