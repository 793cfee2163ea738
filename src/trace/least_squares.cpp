#include "trace/least_squares.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "trace/display_records.h"

float LeastSquaresValueAt(int start, int end, int x, int count, std::span<const double> samples) {
  // The last sample never takes part: a window touching count - 1 is refused, as stored results rely on.
  const long long usable = static_cast<long long>(std::min<std::size_t>(
                               static_cast<std::size_t>(std::max(count, 0)), samples.size())) -
                           1;
  if (start < 0 || end < 0 || start >= usable || end >= usable) return kMissingValue;
  if (end <= start) return kMissingValue;

  const double m = static_cast<double>(end) - start + 1;
  double sx = 0.0;
  double sy = 0.0;
  double sxy = 0.0;
  double sxx = 0.0;
  for (int i = start; i <= end; ++i) {
    const double di = i;
    const double y = samples[static_cast<std::size_t>(i)];
    sx += di;
    sy += y;
    sxy += di * y;
    sxx += di * di;
  }
  const double d = m * sxx - sx * sx;
  if (d == 0.0) return kMissingValue;
  const double slope = (m * sxy - sx * sy) / d;
  const double intercept = (sy - slope * sx) / m;
  const float value = static_cast<float>(static_cast<double>(x) * slope + intercept);
  return std::isfinite(value) ? value : kMissingValue;
}
