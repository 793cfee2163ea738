#pragma once
// The noise of a trace as a step over one pulse length sees it: receivers average over about a
// pulse, so their noise is correlated over that length, and it grows as the backscatter falls
// towards the floor. Only the noise near a place tells what a step there must exceed.
#include <cmath>
#include <span>
#include <vector>

#include "analysis/analysis_types.h"
#include "analysis/robust_spread.h"

/// Appends the differences of the trace's means over one pulse length (`p` samples) two pulse
/// lengths apart, for starts `stride` samples apart over [`first`, `last`); `meanFrom(k)` is the
/// mean of the pulse length from k. Noise correlated over a pulse length leaves means that far
/// apart independent, and a slope over so short a distance is far below the noise.
template <class MeanFrom>
void AddPulseMeanDifferences(MeanFrom meanFrom, int first, int last, int p, int stride, std::vector<double>& out) {
  for (int k = first; k + 3 * p <= last; k += stride) out.push_back(meanFrom(k + 2 * p) - meanFrom(k));
}

/// Standard deviation (dB) of one pulse mean from such differences; overwrites them.
inline double PulseNoiseOfDifferences(std::span<double> differences) {
  return RobustSigmaInPlace(differences) / std::sqrt(2.0);
}

/// Standard deviation (dB) of the trace's level averaged over `pulseSamples` samples, from the
/// pulse lengths on both sides of `index` within [`first`, `last`), leaving out the pulse lengths
/// of a change at `index` itself. Steps and slow trends barely move it. 0 where too few samples lie
/// around `index`.
double PulseNoiseAt(std::span<const TracePoint> raw, int index, int pulseSamples, int first, int last);

/// The step (dB, positive for a loss) at `index`: the difference, a half pulse length behind `index`,
/// of the lines fitted over the stretch in front of the change, [`first`, `index` - a pulse length),
/// and the stretch behind it, from `index` + two pulse lengths up to `last`, each at most a few pulse
/// lengths long. 0 when either stretch is shorter than two pulse lengths.
double StepOverPulses(std::span<const TracePoint> raw, int index, int pulseSamples, int first, int last);
