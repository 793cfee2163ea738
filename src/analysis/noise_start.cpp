#include "analysis/noise_start.h"

#include <algorithm>
#include <cmath>

#include "analysis/analysis_terms.h"

namespace {

constexpr int kNoiseScanStart = 100;  // the launch region never counts as noise
constexpr int kNoiseLookAhead = 100;
constexpr int kMaxDipsBeforeNoise = 3;
constexpr double kNoiseMargin = 0.2;  // dB above the reference

}  // namespace

double ComputeNoiseReference() {
  return 5.0 * static_cast<double>(std::log10(0.00197f)) - 35.0;
}

float FindNoiseStart(std::span<const TracePoint> points, int& noiseStart, double reference,
                     const AnalysisParams& params) {
  const int n = static_cast<int>(points.size());
  const double threshold = reference + kNoiseMargin;
  const bool longRange = IsLongRange(params.range);
  const auto level = [&](int i) { return static_cast<double>(points[static_cast<std::size_t>(i)].level); };
  int i = kNoiseScanStart;
  while (i < n) {
    if (level(i) >= threshold) {
      ++i;
      continue;
    }
    ++i;
    if (i >= n - 1) break;
    if (!longRange) {
      while (i < n && level(i) <= threshold) ++i;
    }
    const int e = std::min(i + kNoiseLookAhead, n - 1);
    int below = 0;
    for (int k = i; k < e; ++k) {
      if (level(k) < threshold) ++below;
    }
    if (below > kMaxDipsBeforeNoise) break;
  }
  if (i >= n) i = n - 1;
  noiseStart = i;
  return n > 0 ? points[static_cast<std::size_t>(std::max(i, 0))].distance : 0.0f;
}
