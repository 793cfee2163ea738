#pragma once
// Hand-built traces and events for the tests of single engine stages.
#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "analysis/analysis_types.h"
#include "analysis/noise_start.h"

/// The engine's noise reference as the stages receive it.
inline float Reference() { return static_cast<float>(ComputeNoiseReference()); }

/// Samples at spacing dx (km) whose level is `level(distance)`.
inline std::vector<TracePoint> TraceOf(int n, double dx, const std::function<double(double)>& level) {
  std::vector<TracePoint> points(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = i * dx;
    points[static_cast<std::size_t>(i)] = TracePoint{static_cast<float>(x), static_cast<float>(level(x))};
  }
  return points;
}

/// A straight fibre at 1 m spacing: `start` dB at distance 0, falling by `slope` dB/km (negative).
inline std::vector<TracePoint> FibreLine(int n, double start = -10.0, double slope = -0.33) {
  return TraceOf(n, 0.001, [=](double x) { return start + slope * x; });
}

/// An event with its windows; the sample, start and peak indices lie between m1 and m2.
inline AnalysisEvent EventAt(EventRowType type, int index, float loss, std::array<int, 4> windows,
                             float reflectance = 0.0f) {
  AnalysisEvent event{};
  event.type = type;
  event.sampleIndex = event.startIndex = event.peakIndex = index;
  event.endIndex = windows[2] > index ? windows[2] : index;
  event.position = static_cast<float>(index * 0.001);
  event.loss = loss;
  event.reflectance = reflectance;
  for (int k = 0; k < 4; ++k) event.markers[k] = windows[static_cast<std::size_t>(k)];
  return event;
}

/// The launch at sample 0 with its right window.
inline AnalysisEvent LaunchEvent(int m2 = 20, int m3 = 200) {
  AnalysisEvent launch = EventAt(kEventLaunch, 0, 0.0f, {0, 0, m2, m3}, -40.0f);
  launch.endIndex = m2 > 0 ? m2 - 1 : 0;
  return launch;
}
