#pragma once
// Measurements at the markers and events of the current trace: splice loss between two
// least-squares lines, the reflectance of a peak and the cumulative loss from the launch. They read
// the dB samples of the display model (larger values = weaker signal) and report a missing value
// as kMissingValue.
#include <cstdint>
#include <span>

#include "document/display_records.h"
#include "document/sor_record.h"

/// Reflectance reported for a peak without measurable height.
inline constexpr float kNoHeightReflectance = -78.0f;

/// Splice loss at marker A (set 0) or B (any other set) between the lines through its two loss
/// windows; kMissingValue when either window has no line.
float GetLsaSpliceLoss(int markerSet, const MarkerState& markers, int count, std::span<const double> samples);

/// Reflectance of the peak framed by the reflectance windows of marker A (set 0) or B, with the
/// record's backscatter coefficient, first pulse width and reflectance adjustment; -78 dB for a peak
/// without height, kMissingValue when it cannot be measured.
float GetEventReflectance(int markerSet, const MarkerState& markers, int count, std::span<const double> samples,
                          const SorRecord& record, double currentOffsetDb);

/// Cumulative loss from the launch level to the level before key event `row`, from the key events'
/// windows; kMissingValue for row 0 and when a level cannot be measured.
float GetEventLoss(int row, std::int32_t fileKind, const SorRecord& record, int pointCount,
                   std::span<const double> samples, double fibreLengthKm);
