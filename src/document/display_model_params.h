#pragma once
// The parts of a trace's display model that come straight from the file's parameters: the fibre
// length, the fibre-parameter record and the link summary, with the counts and the end event they
// rest on. A record built in memory or read from a damaged file may hold any count; these helpers
// bound them before anything is indexed.
#include <cstdint>

#include "sor/sor_record.h"
#include "trace/display_records.h"

/// Points of the record's first trace that carry a sample, within [0, kSorMaxSamples].
std::int32_t FirstTracePointCount(const SorRecord& record);

/// The record's key-event count, within its stored rows and [0, kSorMaxKeyEvents].
std::int32_t KeyEventCountOf(const SorRecord& record);

/// True when the first code character marks a reflection: '1', or '2' for one that saturated the
/// receiver.
bool IsReflectiveEventCode(const SorKeyEvent& event);

/// Distance of the last of `pointCount` samples in km, 0 when the trace has no extent or the
/// group index is 0.
double FibreLengthKm(std::int32_t pointCount, std::int32_t groupIndexField, std::int32_t dataSpacing);

/// Fills the fibre parameters from the record for the acquisition range given (km). SR-4731 only.
void BuildFibreParams(std::int32_t fileKind, const SorRecord& record, FibreParamsRecord& out,
                      double acquisitionRangeKm);

/// Fills the link summary for a trace of `pointCount` samples covering `fibreLengthKm`; the
/// distance correction is the file's, in parts per 100,000. SR-4731 only.
void BuildLinkSummary(std::int32_t fileKind, const SorRecord& record, LinkSummaryRecord& out,
                      std::int32_t pointCount, double fibreLengthKm, std::int32_t distanceCorrection);

/// A distance shortened by the distance correction (parts per 100,000) when it is positive.
double CorrectedDistance(double distanceKm, std::int32_t distanceCorrection);
