#include "analysis/event_loss.h"

#include <cmath>

#include "analysis/analysis_terms.h"
#include "analysis/line_fit.h"

namespace {

constexpr int kMinFitWindow = 30;          // samples; shorter windows extrapolate with the backscatter
constexpr double kSteepestFitSlope = -0.5;  // dB/km: fits outside (-0.5, -0.1) are not fibre
constexpr double kFlattestFitSlope = -0.1;
constexpr double kMaxListedBackscatter = 0.8;  // dB/km

// At the listed wavelengths a backscatter estimate steeper than any single-mode fibre is ignored.
double UsableBackscatter(float backscatterSlope, double wavelength) {
  if (IsListedWavelength(wavelength) && std::fabs(backscatterSlope) > kMaxListedBackscatter) return 0.0;
  return backscatterSlope;
}

// Level at xm of the line over [first, last], or of the backscatter through the anchor sample.
double WindowLevelAt(std::span<const TracePoint> points, int first, int last, int anchor, double xm, double bs) {
  if (last - first >= kMinFitWindow) {
    double slope = 0.0, intercept = 0.0;
    FitLine(points, first, last, slope, intercept);
    if (slope > kSteepestFitSlope && slope < kFlattestFitSlope) return slope * xm + intercept;
  }
  return LevelAt(points, anchor) + bs * (xm - DistanceAt(points, anchor));
}

}  // namespace

void EstimatePreliminaryLoss(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                             float backscatterSlope, double wavelength) {
  if (count <= 0 || points.empty()) return;
  const double bs = UsableBackscatter(backscatterSlope, wavelength);
  events[0].loss = 0.0f;
  for (int i = 1; i < count; ++i) {
    AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    int j = e.endIndex;
    if (i + 1 < count && events[static_cast<std::size_t>(i + 1)].sampleIndex - e.endIndex > 1) j = e.endIndex + 1;
    e.loss = static_cast<float>((LevelAt(points, e.sampleIndex) - LevelAt(points, j)) +
                                bs * (DistanceAt(points, j) - DistanceAt(points, e.sampleIndex)));
  }
}

int ComputeEventLoss(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                     float backscatterSlope, double wavelength) {
  if (points.empty()) return 1;
  const double bs = UsableBackscatter(backscatterSlope, wavelength);
  for (int i = 1; i < count; ++i) {
    AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    const int* m = e.markers;
    const double xm = (DistanceAt(points, m[2]) + DistanceAt(points, m[1])) / 2.0;
    const double left = WindowLevelAt(points, m[0], m[1], m[1], xm, bs);
    const double right = WindowLevelAt(points, m[2], m[3], m[2], xm, bs);
    const double step = left - right;
    if (e.loss <= 0.0f || step > e.loss) e.loss = static_cast<float>(step);
  }
  return 1;
}
