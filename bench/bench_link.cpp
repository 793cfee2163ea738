#include "bench_link.h"

SyntheticTraceSpec BenchLink(int pointCount) {
  const double km = pointCount / 80000.0;  // of the 64 km link
  SyntheticTraceSpec spec;
  spec.pointCount = pointCount;
  spec.spacingKm = 0.0008;
  spec.slopeDbPerKm = -0.2;
  spec.steps = {{5.0 * km, 0.2}, {12.0 * km, 0.5}, {31.0 * km, 0.1}, {40.0 * km, -0.2}};
  spec.reflections = {{20.0 * km, -45.0, 0.4}, {27.0 * km, -50.0, 0.3}};
  spec.fibreEndKm = 52.0 * km;
  spec.noiseSigmaDb = 0.4;
  spec.pulseWidthNs = 1000;
  spec.rangeKm = static_cast<float>(80.0 * km);
  return spec;
}
