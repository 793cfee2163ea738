#pragma once
// Behind a reflection that drops the trace by the end threshold or more there is no fibre left to
// search: the trace falls into the noise there (or the engine ends the fibre there all the same).
// Searched anyway, the fall and the noise give slope changes that are no events, and a run in the
// fall cuts short the window the reflection's loss is measured over.
#include <optional>
#include <span>

#include "analysis/analysis_types.h"

/// Where the gap [from, to] behind the reflective candidate that starts at `start` lies lowest, when
/// it lies there, within twenty pulse lengths or half a kilometre of `from`, `endThreshold` dB or
/// more below the backscatter in front of the candidate carried along `backscatterSlope`: the first
/// sample of the pulse length that lies lowest. Levels are averaged over a pulse length
/// (`pulseSamples`, at least 20 samples), so neither the noise nor a splice decides.
std::optional<int> FallIntoNoise(std::span<const TracePoint> points, int start, int from, int to,
                                 double backscatterSlope, double endThreshold, int pulseSamples);

/// Measures the loss of the reflection whose event starts at `start` over its fall: its right
/// window starts at `bottom`, where the fall ends, and spans a pulse length (at least 20 samples).
void MeasureOverFall(std::span<AnalysisEvent> events, int count, int start, int bottom, int pulseSamples,
                     int pointCount);
