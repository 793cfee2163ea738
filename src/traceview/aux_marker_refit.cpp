#include "traceview/aux_marker_refit.h"

#include <algorithm>

#include "document/display_records.h"
#include "document/least_squares.h"
#include "platform/saturate.h"

namespace {

// A level of the trace, or the missing value for an index the trace does not have.
double LevelAt(std::span<const double> levels, int index, int pointCount) {
  const int count = std::min<int>(pointCount, static_cast<int>(levels.size()));
  if (count <= 0) return kMissingValue;
  return levels[static_cast<std::size_t>(lumivane::ClampIndex(index, count))];
}

// A missing value stays missing whatever the offset.
double WithOffset(double value, double offsetDb) {
  return value >= kMissingValue ? kMissingValue : value + offsetDb;
}

void RefitPair(AuxMarker& first, AuxMarker& second, int pointCount, std::span<const double> samples,
               std::span<const double> levels, double offsetDb) {
  const int a = first.SampleIndex;
  const int b = second.SampleIndex;
  if (a != b) {
    first.Value = WithOffset(LeastSquaresValueAt(a, b, a, pointCount, samples), offsetDb);
    second.Value = WithOffset(LeastSquaresValueAt(a, b, b, pointCount, samples), offsetDb);
    return;
  }
  first.Value = WithOffset(LevelAt(levels, a, pointCount), offsetDb);
  second.Value = WithOffset(LevelAt(levels, b, pointCount), offsetDb);
}

}  // namespace

void RefitActiveAuxMarkers(MarkerState& markers, int set, int pointCount, std::span<const double> samples,
                           std::span<const double> levels, double offsetDb) {
  const int s = set == 0 ? 0 : 1;
  auto& loss = markers.LossAuxMarkers[s];
  RefitPair(loss[0], loss[1], pointCount, samples, levels, offsetDb);
  RefitPair(loss[2], loss[3], pointCount, samples, levels, offsetDb);
  auto& reflectance = markers.ReflectanceAuxMarkers[s];
  RefitPair(reflectance[0], reflectance[1], pointCount, samples, levels, offsetDb);
  reflectance[2].Value = WithOffset(LevelAt(levels, reflectance[2].SampleIndex, pointCount), offsetDb);
}
