#include "analysis/event_levels.h"

#include "analysis/analysis_terms.h"
#include "analysis/line_fit.h"

namespace {

constexpr double kMinFirstSectionKm = 0.1;
constexpr double kMaxFirstSectionKm = 5.0;
constexpr int kFirstSectionMargin = 40;  // samples the fit keeps clear of event 1's left window
constexpr int kMinLaunchWindowStart = 10;

}  // namespace

void ComputeEventLevels(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                        float wavelength) {
  if (count <= 0 || points.empty()) return;
  const double alpha = BandDefaultAttenuation(wavelength);
  const auto plausible = [alpha](double slope) { return -2.0 * alpha < slope && slope <= 0.0; };
  AnalysisEvent& launch = events[0];

  float reference = launch.level;
  int first = 1;
  if (count > 1) {
    AnalysisEvent& second = events[1];
    const double section = DistanceAt(points, second.markers[1]) - DistanceAt(points, launch.markers[3]);
    if (section > kMinFirstSectionKm && section < kMaxFirstSectionKm) {
      launch.markers[3] += (second.markers[0] - launch.markers[3]) / 10;
      double slope = 0.0, intercept = 0.0;
      if (launch.markers[3] < second.markers[0] - kFirstSectionMargin) {
        FitLine(points, launch.markers[3], second.markers[0], slope, intercept);
      } else {
        FitLine(points, launch.markers[2], second.markers[1], slope, intercept);
      }
      launch.cumulativeLoss = 0.0f;
      launch.loss = 0.0f;
      launch.attenuation = 0.0f;
      launch.level = static_cast<float>(intercept);
      reference = launch.level;
      const double x = DistanceAt(points, second.sampleIndex);
      second.attenuation = static_cast<float>(-slope);
      second.level = static_cast<float>(slope * x + intercept);
      second.cumulativeLoss = static_cast<float>(-slope * x);
      first = 2;
    } else {
      const int m2 = launch.markers[2];
      const int m3 = launch.markers[3];
      double slope = 0.0, intercept = 0.0;
      if (m2 < m3) FitLine(points, m2, m3, slope, intercept);
      if (m2 < m3 && m2 > kMinLaunchWindowStart && plausible(slope)) {
        reference = LineValueAt(points, m2, m3, 0.0f);
      } else {
        reference = static_cast<float>(LevelAt(points, m2) + alpha * DistanceAt(points, m2));
      }
      launch.level = reference;
    }
  }

  launch.cumulativeLoss = 0.0f;
  launch.loss = 0.0f;
  for (int i = first; i < count; ++i) {
    AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    const int m0 = e.markers[0];
    const int m1 = e.markers[1];
    double slope = 0.0, intercept = 0.0;
    if (m0 < m1) FitLine(points, m0, m1, slope, intercept);
    float level;
    if (m0 < m1 && plausible(slope)) {
      level = LineValueAt(points, m0, m1, e.position);
    } else {
      level = static_cast<float>(LevelAt(points, m1) - alpha * (e.position - DistanceAt(points, m1)));
    }
    e.level = level;
    e.cumulativeLoss = reference - level;
  }
}
