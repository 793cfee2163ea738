#pragma once
// The noise of a trace as a step over one pulse length sees it: receivers average over about a
// pulse, so their noise is correlated over that length, and it grows as the backscatter falls
// towards the floor. Only the noise near a place tells what a step there must exceed.
#include <span>

#include "analysis/analysis_types.h"

/// Standard deviation (dB) of the trace's level averaged over `pulseSamples` samples, from the
/// pulse lengths on both sides of `index` within [`first`, `last`), leaving out the pulse lengths
/// of a change at `index` itself. Steps and slow trends barely move it. 0 where too few samples lie
/// around `index`.
double PulseNoiseAt(std::span<const TracePoint> raw, int index, int pulseSamples, int first, int last);
