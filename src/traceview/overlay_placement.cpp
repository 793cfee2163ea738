#include "traceview/overlay_placement.h"

#include <cmath>

#include "sor/sor_record.h"
#include "trace/trace_conversions.h"

TraceDistanceScale DistanceScaleOf(const SorRecord& record, double fibreLengthKm) {
  const int points = record.DataPts.Traces[0].PointCount;
  const double kmPerSample = points > 1 ? fibreLengthKm / (points - 1.0) : 0.0;
  return {std::isfinite(kmPerSample) ? kmPerSample : 0.0, UserZeroDistanceKm(record)};
}

CurvePlacement PlaceOnAxis(double pixelsPerSample, const TraceDistanceScale& axis, const TraceDistanceScale& trace) {
  if (!(axis.kmPerSample > 0.0) || !(trace.kmPerSample > 0.0)) return {0.0, pixelsPerSample};
  const double pixelsPerKm = pixelsPerSample / axis.kmPerSample;
  const double originX = (axis.userZeroKm - trace.userZeroKm) * pixelsPerKm;
  // The axis's own trace keeps exactly its pixels per sample, as its markers and events use them.
  const double step = trace.kmPerSample == axis.kmPerSample ? pixelsPerSample : trace.kmPerSample * pixelsPerKm;
  if (!std::isfinite(originX) || !std::isfinite(step)) return {0.0, pixelsPerSample};
  return {originX, step};
}
