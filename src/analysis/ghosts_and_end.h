#pragma once
// Echoes of strong reflections (ghosts) and the event that ends the fibre.
#include <span>

#include "analysis/analysis_types.h"

/// Marks reflective events at sums and multiples of earlier reflections' distances as u"ghost".
void MarkGhosts(const AnalysisContext& context, const AnalysisParams& params, std::span<AnalysisEvent> events,
                int count);

/// Keeps a ghost only when the fibre really continues behind the reflection it echoes; returns the new count.
int ResolveGhosts(const AnalysisContext& context, const AnalysisParams& params, std::span<AnalysisEvent> events,
                  int count);

/// Decides the end of the fibre by the end threshold and the section slopes: 1 when decided (with or
/// without flagging an event), 0 when not.
int DetectEndByThreshold(const AnalysisContext& context, const AnalysisParams& params,
                         std::span<AnalysisEvent> events, int count);

/// Flags the event whose windows reach the noise, or inserts a synthetic end event at the noise onset
/// (`events` must have room for it); returns the number of events added (0 or 1).
int DetectEndByNoise(const AnalysisContext& context, std::span<AnalysisEvent> events, int count);

/// Keeps behind the end event only reflections and events on normal fibre; returns the new count.
int PruneAfterEnd(std::span<const TracePoint> points, std::span<AnalysisEvent> events, int count);
