#pragma once
// Reflectance of reflective events from the height of their peak above the backscatter, the
// instrument's correction table, and the merge of reflections that run into each other.
#include <span>

#include "analysis/analysis_types.h"

/// Reflectance assigned when a reflection has no measurable height.
inline constexpr float kFlatReflectance = -70.0f;

/// Joins reflections whose second starts before the first has fallen; returns the new count.
int MergeCloseReflections(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count);

/// Reflectance of every launch, end and reflective event from its peak on the raw copy; events 0
/// take their own level as the base. Reflectances are the missing value when the pulse width is not positive.
void ComputeReflectance(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count,
                        const AnalysisParams& params);

/// Correction in dB for a band (a listed wavelength, whole nm), pulse width (ns) and range (km).
float ReflectanceCorrection(int wavelength, int pulseWidth, float range);
