#pragma once
// The level of the fibre before every event and the cumulative loss from the launch.
#include <span>

#include "analysis/analysis_types.h"

/// Sets level and cumulative loss of every event from its left window; when the first section is
/// between 0.1 and 5 km long, event 1 also gets that section's attenuation from one fit over it.
/// Event 0's level stays as it is for a count of 1. Where a fit is implausible the band's default
/// attenuation takes its place: 3.0, 0.5 and 0.32 dB/km in the 850, 1300 and 1310 nm bands, 0.22 dB/km
/// in every other.
void ComputeEventLevels(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                        float wavelength);
