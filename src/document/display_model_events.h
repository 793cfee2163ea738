#pragma once
// The event table of a trace: one row per SR-4731 key event, the first section's attenuation from
// the analysis, and the level column from the launch level the system stored in the file.
#include <cstdint>
#include <span>

#include "analysis/analysis_types.h"
#include "sor/sor_record.h"
#include "trace/display_records.h"

/// Fills the rows, the event count and the end-event row index from the record's key events for a
/// trace of `pointCount` samples covering `fibreLengthKm`, and stores the first section's attenuation
/// as key event 1's slope. The distance correction is the file's, in parts per 100,000. A trace
/// without samples changes nothing. SR-4731 only.
void BuildEventTable(std::int32_t fileKind, SorRecord& record, std::span<EventRow, kMaxEventRows> rows,
                     std::int32_t& eventCount, std::int32_t& endEventRow, std::int32_t pointCount,
                     const DbSampleArray& samples, double fibreLengthKm, std::int32_t distanceCorrection);

/// One analysis event per row below the event count, with least-squares windows as sample indices
/// of the record's first trace.
void ConvertRowsForAnalysis(std::span<AnalysisEvent> events, std::span<const EventRow> rows,
                            std::int32_t eventCount, const SorRecord& record);

/// Fills the level column from the stored launch level and records the count in the UserName block;
/// files of UserName version 201 or older carry no launch level and are left alone.
void ApplyStoredLossTotals(SorRecord& record, std::span<EventRow> rows, std::int32_t eventCount);
