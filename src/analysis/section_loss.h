#pragma once
// The fibre between two key events: where the file's windows may be read, and what the section
// loses when no window gives its far end a level.
#include <span>

#include "sor/sor_record.h"

/// Whether key event `row`'s stored window before it lies in its own section, between the previous
/// event (or the start) and the event, give or take a few samples: a window elsewhere measures
/// another piece of fibre and is not read; nor is one ending inside the dead zone behind the previous
/// event, which holds no backscatter. A window with both edges at 0 is none.
bool WindowInOwnSection(int row, const SorRecord& record, int count);

/// Samples behind an event that its reflection and the receiver's recovery hide: two pulse lengths,
/// and never fewer than 10.
int DeadZoneSamplesAfter(const SorRecord& record);

/// Whether the launch's stored window after it (for a file without a Start row, the first event's
/// window before it) lies in the first section, from the start to the first event behind it.
bool LaunchWindowInFirstSection(const SorRecord& record, int count);

/// Loss of the fibre from the previous key event (or the start) to key event `row`: its stored
/// slope over its length. A negative slope (the net gain of a section holding a gainer) counts only
/// where the trace gains across the section too. Without a slope the section is measured on the
/// trace, on a line over its middle clear of both events' dead zones; a section too short for one
/// (inside the dead zone behind an event) or whose line rises costs its length at the band's typical
/// attenuation; so does the section behind the launch where its line is steeper than fibre (the
/// launch's tail). kMissingValue where the section runs backwards, lies outside the trace, or
/// further in, runs into the noise (a line steeper than fibre, or the trace in front of the event
/// far off it).
float SectionLoss(int row, const SorRecord& record, int count, std::span<const double> samples);
