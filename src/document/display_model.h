#pragma once
// Turning a parsed trace file into the display model every pane reads: time, samples in dB,
// markers, fibre parameters, link summary, event table and aux-marker windows. One routine fills
// the current trace, a loaded-trace record or the work trace alike through a DisplayModelTarget.
#include <cstdint>

#include "document/trace_display_model.h"
#include "sor/sor_record.h"

/// What the model takes from outside the file.
struct DisplayModelInputs {
  std::int32_t distanceCorrection = 0;  // parts per 100,000, the file's own
  double markerADistanceKm = 0.0;       // markers of the trace shown until now
  double markerBDistanceKm = 0.0;
};

/// Fills every member of `target` from `record` and writes the first section's attenuation back
/// into it; any file kind but SR-4731 changes nothing.
void LoadDisplayModel(std::int32_t fileKind, SorRecord& record, const DisplayModelInputs& inputs,
                      const DisplayModelTarget& target);
