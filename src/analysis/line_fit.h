#pragma once
// Least-squares lines of level on distance over sample ranges, and the mean residual of two traces.
#include <span>

#include "analysis/analysis_types.h"

/// Ordinary least squares over [first, last] (either order, clamped into the array), sums in double;
/// a range of one sample or of equal distances gives slope 0 through the mean level. Returns 1.
int FitLine(std::span<const TracePoint> points, int first, int last, double& slope, double& intercept);

/// Level of the line fitted over [first, last] at distance x; the sample's level when first == last.
float LineValueAt(std::span<const TracePoint> points, int first, int last, float x);

/// FitLine as 32-bit values plus the deviation 2 * (largest absolute residual) / 6. Returns 1.
int FitLineWithDeviation(std::span<const TracePoint> points, int first, int last, float& slope,
                         float& intercept, float& deviation);

/// Mean of |level_b - level_a| over [first, last], accumulated in single precision.
float MeanAbsDeviation(std::span<const TracePoint> a, std::span<const TracePoint> b, int first, int last);
