#pragma once
// The straight line through a window of trace samples, evaluated where the marker measurements need it.
#include <span>

/// Value at `x` of the least-squares line through (i, samples[i]) for i = start..end, or kMissingValue
/// when the window cannot be fitted (fewer than two points, outside the first count - 1 samples).
float LeastSquaresValueAt(int start, int end, int x, int count, std::span<const double> samples);
