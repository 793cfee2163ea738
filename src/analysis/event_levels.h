#pragma once
// The level of the fibre before every event and the cumulative loss from the launch.
#include <span>

#include "analysis/analysis_types.h"

/// Sets level and cumulative loss of every event from its left window; when the first section is
/// between 0.1 and 5 km long, event 1 also gets that section's attenuation from one fit over it.
/// Event 0's level stays as it is for a count of 1. Any wavelength other than 850, 1300 or 1310 nm
/// (0.1 nm tolerance) uses a default attenuation of 0.22 dB/km.
void ComputeEventLevels(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                        float wavelength);
