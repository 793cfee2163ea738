#pragma once
// Moving averages of trace levels: a wide one over the whole trace for detection, and a 5-point one
// inside the gaps between reflections, which also yields the slope of every smoothed sample.
#include <span>

#include "analysis/analysis_types.h"

/// Moving average of `window` samples in integer micro-dB, `passes` times, over
/// [start + window, end - window]; other samples keep their levels exactly. 0 when end - start < 4.
int SmoothTrace(std::span<TracePoint> points, int start, int end, int passes, int window,
                SmoothingBuffers& buffers);

/// 5-point moving average inside every gap of at least 11 samples between consecutive candidates
/// (the first `candidateCount` entries of the list) within [from, to]; fills `slopes` (may be empty)
/// over the smoothed span. 0 when to - from < 6.
int SmoothBetweenCandidates(std::span<TracePoint> points, int from, int to, std::span<SlopeSample> slopes,
                            int passes, const ReflectiveCandidateList& candidates, int candidateCount,
                            SmoothingBuffers& buffers);
