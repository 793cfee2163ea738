#pragma once
// The splices and gainers the slope search found, checked against the steps a scan over long
// stretches reads between the events that stand (launch, reflections, the end).
#include <span>

#include "analysis/analysis_types.h"

/// Between each two events that stand, in front of `noiseStart` and clear of them by a pulse
/// length: a splice or gainer the scan reads at its place (within two pulse lengths, the same sign)
/// stays, taking the scan's place and loss when it lies more than a pulse length off or the scan
/// read it over long windows barely out of the noise, and the scan's loss when its own differs by
/// more than the noise allows; one the scan does not read is dropped; a step the
/// scan reads where none is listed is added. Stretches too short to scan, and everything behind the
/// end, stay as they are. Returns the new count; a list the added steps would overflow stays as it
/// was. `buffers` is working storage.
int ReconcileWithScannedSteps(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                              int noiseStart, int pulseSamples, float threshold, StepScanBuffers& buffers);
