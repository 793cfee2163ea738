#include "bench_link.h"

SyntheticTraceSpec BenchLink(int pointCount) {
  SyntheticTraceSpec spec;
  spec.pointCount = pointCount;
  spec.spacingKm = 0.0008;  // 64 km in a file's 80,000 samples
  const double length = pointCount * spec.spacingKm;
  spec.slopeDbPerKm = -0.2;
  spec.steps = {{0.08 * length, 0.2}, {0.19 * length, 0.5}, {0.48 * length, 0.1}, {0.62 * length, -0.2}};
  spec.reflections = {{0.31 * length, -45.0, 0.4}, {0.42 * length, -50.0, 0.3}};
  spec.fibreEndKm = 0.81 * length;
  spec.noiseSigmaDb = 0.4;
  spec.pulseWidthNs = 1000;
  spec.rangeKm = static_cast<float>(1.25 * length);
  return spec;
}
