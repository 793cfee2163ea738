#pragma once
// Traces stored on another power scale: instruments that store their levels lower than the scale
// the engine's noise reference belongs to give traces whose fibre lies below that reference or just
// above it, where the engine takes the whole trace for noise.
#include <span>

#include "analysis/analysis_types.h"

/// The constant to add to every level of `points` so that the engine sees the trace on its own
/// scale: 0 when the fibre (the highest level a whole stretch of a hundredth of the trace, and of
/// at least three pulse lengths of `pulseSamples`, keeps) stands 5.5 dB or more above `reference`,
/// otherwise what brings the trace's noise floor (the lowest mean level over such a stretch) up to
/// the reference.
float FindLevelShift(std::span<const TracePoint> points, double reference, int pulseSamples);

/// Adds `shift` to every level.
void ShiftLevels(std::span<TracePoint> points, float shift);
