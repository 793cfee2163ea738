#include "analysis/line_fit.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "analysis/analysis_terms.h"

namespace {

// Window bounds in either order, clamped into the array.
std::pair<int, int> OrderedRange(std::span<const TracePoint> points, int first, int last) {
  const int n = static_cast<int>(points.size());
  int a = lumivane::ClampIndex(first, n);
  int b = lumivane::ClampIndex(last, n);
  if (a > b) std::swap(a, b);
  return {a, b};
}

}  // namespace

int FitLine(std::span<const TracePoint> points, int first, int last, double& slope, double& intercept) {
  slope = 0.0;
  intercept = 0.0;
  if (points.empty()) return 1;
  const auto [a, b] = OrderedRange(points, first, last);
  const double count = b - a + 1;
  double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
  for (int i = a; i <= b; ++i) {
    const double x = points[static_cast<std::size_t>(i)].distance;
    const double y = points[static_cast<std::size_t>(i)].level;
    sx += x;
    sy += y;
    sxx += x * x;
    sxy += x * y;
  }
  const double denominator = count * sxx - sx * sx;
  const double fitted = denominator > 0.0 ? (count * sxy - sx * sy) / denominator : 0.0;
  // One sample, or samples of equal distance, have no slope: report a flat line through their mean,
  // so every comparison that uses the fit sees finite numbers.
  if (!(denominator > 0.0) || !std::isfinite(fitted)) {
    intercept = sy / count;
    return 1;
  }
  slope = fitted;
  intercept = (sy - slope * sx) / count;
  return 1;
}

float LineValueAt(std::span<const TracePoint> points, int first, int last, float x) {
  if (points.empty()) return 0.0f;
  if (first == last) return static_cast<float>(LevelAt(points, first));
  double slope = 0.0, intercept = 0.0;
  FitLine(points, first, last, slope, intercept);
  return static_cast<float>(slope * x + intercept);
}

int FitLineWithDeviation(std::span<const TracePoint> points, int first, int last, float& slope,
                         float& intercept, float& deviation) {
  double s = 0.0, c = 0.0;
  FitLine(points, first, last, s, c);
  slope = static_cast<float>(s);
  intercept = static_cast<float>(c);
  deviation = 0.0f;
  if (points.empty()) return 1;
  const auto [a, b] = OrderedRange(points, first, last);
  double largest = -10000.0;
  for (int i = a; i <= b; ++i) {
    const TracePoint& p = points[static_cast<std::size_t>(i)];
    largest = std::max(largest, std::fabs(p.level - (s * p.distance + c)));
  }
  deviation = static_cast<float>(2.0 * largest / 6.0);
  return 1;
}

float MeanAbsDeviation(std::span<const TracePoint> a, std::span<const TracePoint> b, int first, int last) {
  const int n = static_cast<int>(std::min(a.size(), b.size()));
  if (n == 0) return 0.0f;
  const int lo = lumivane::ClampIndex(first, n);
  const int hi = lumivane::ClampIndex(last, n);
  if (hi < lo) return 0.0f;
  float sum = 0.0f;
  for (int i = lo; i <= hi; ++i) {
    sum += std::fabs(b[static_cast<std::size_t>(i)].level - a[static_cast<std::size_t>(i)].level);
  }
  return sum / static_cast<float>(hi - lo + 1);
}
