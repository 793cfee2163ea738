#pragma once
// Steps in the backscatter read over long stretches. A step's own pulse length of trace tells little
// where the noise is correlated over a pulse; the means over many pulse lengths each side, once the
// fibre's slope is taken off, read it with a fraction of that noise, and the noise near the place
// tells how much a step there must exceed.
#include <span>
#include <vector>

#include "analysis/analysis_types.h"

struct SampleSpan {
  int first = 0;
  int last = 0;  // one past the end
};

struct ScannedStep {
  int at = 0;            // first sample of the step's pulse length
  double loss = 0.0;     // dB, positive for a loss
  double sigma = 0.0;    // noise (dB) of `loss`
  int windowSamples = 0; // samples each side it was read over
};

/// Whether [`first`, `last`) is long enough to read a step in: two short windows and a pulse length.
bool ScanReaches(int first, int last, int pulseSamples);

/// The steps in [`first`, `last`) that stand more than a few times their noise out of it and are
/// at least `threshold` dB: the trace's means over up to a few dozen pulse lengths in front of a
/// step and behind its pulse length, with the fibre's slope taken off, differ by the step. The slope
/// is the stretch's own, read around the `changes` already known and the steps found. Each step is
/// read again between its neighbours. In order of place. `buffers` is working storage.
std::vector<ScannedStep> ScanSteps(std::span<const TracePoint> raw, int first, int last, int pulseSamples,
                                   std::vector<SampleSpan> changes, double threshold, StepScanBuffers& buffers);
