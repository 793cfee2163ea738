#include "synthetic_echoes.h"

#include <algorithm>
#include <cmath>

void AddEcho(std::vector<TracePoint>& points, const SyntheticTraceSpec& spec, double distanceKm, double heightDb) {
  const int n = static_cast<int>(points.size());
  const int at = static_cast<int>(std::lround(distanceKm / spec.spacingKm));
  if (at < 0 || at >= n) return;
  for (int i = at; i < std::min(at + PulseSamples(spec), n); ++i) {
    double level = points[static_cast<std::size_t>(i)].level + heightDb;
    if (spec.quantise) level = std::clamp(std::round(level * 1000.0) / 1000.0, -65.535, 0.0);
    points[static_cast<std::size_t>(i)].level = static_cast<float>(level);
  }
}
