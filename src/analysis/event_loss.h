#pragma once
// The loss of every event: a first estimate from the drop across the event, then the step between
// the two least-squares lines before and after it.
#include <span>

#include "analysis/analysis_types.h"

/// First loss of every event after the launch: the drop from its sample to its end, corrected by
/// the backscatter slope.
void EstimatePreliminaryLoss(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                             float backscatterSlope, double wavelength);

/// Loss of every event after the launch from its windows [m0, m1] and [m2, m3]; a positive loss only
/// grows. Returns 1.
int ComputeEventLoss(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count,
                     float backscatterSlope, double wavelength);
