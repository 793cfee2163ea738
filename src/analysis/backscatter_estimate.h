#pragma once
// The straight backscatter line most samples before the noise agree with, found by a vote over a grid
// of slopes and intercepts.
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/analysis_types.h"

/// Votes over samples [first, end) of the unsmoothed points into `histogram` (500 x 800 counters,
/// cleared first); the 850/1300 nm variant when the wavelength is within 0.1 nm of either, the general
/// one otherwise. Writes slope (dB/km) and intercept (dB); returns 1.
int EstimateBackscatterSlope(std::span<const TracePoint> points, int first, int end, float& slope,
                             float& intercept, double wavelength, double reference,
                             std::vector<std::int32_t>& histogram);
