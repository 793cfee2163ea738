#include "document/marker_windows.h"

#include <algorithm>

void PlaceActiveMarkerWindows(MarkerState& markers, std::int32_t pointCount) {
  if (markers.ActiveMarker != 0 && markers.ActiveMarker != 1) return;
  const int set = markers.ActiveMarker;
  const std::int64_t at = set == 0 ? markers.MarkerA : markers.MarkerB;
  const auto before = static_cast<std::int32_t>(std::max<std::int64_t>(at - kMarkerWindowHalfWidth, 0));
  // The far end may be the point count itself, one past the last sample: readers clamp before use.
  const auto after = static_cast<std::int32_t>(std::min<std::int64_t>(at + kMarkerWindowHalfWidth, pointCount));
  const auto marker = static_cast<std::int32_t>(at);

  AuxMarker* loss = markers.LossAuxMarkers[set];
  loss[0].SampleIndex = before;
  loss[1].SampleIndex = marker;
  loss[2].SampleIndex = marker;
  loss[3].SampleIndex = after;

  AuxMarker* reflectance = markers.ReflectanceAuxMarkers[set];
  reflectance[0].SampleIndex = before;
  reflectance[1].SampleIndex = marker;
  reflectance[2].SampleIndex = marker;
}
