#pragma once
// Measurements at the markers and events of the current trace: splice loss between two
// least-squares lines, the reflectance of a peak and the cumulative loss from the launch. They read
// the dB samples of the display model (larger values = weaker signal) and report a missing value
// as kMissingValue.
#include <cstdint>
#include <span>

#include "sor/sor_record.h"
#include "trace/display_records.h"

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

/// The backscatter level at the launch (key event 0) that cumulative losses count from, as stored
/// results round it; kMissingValue when the trace gives none.
float GetLaunchLevel(std::int32_t fileKind, const SorRecord& record, int pointCount, std::span<const double> samples,
                     double fibreLengthKm);

/// The level before an event at sample `x`: the line through its window at `x`, or the window's one
/// sample when it starts and ends there; kMissingValue when the window has no line.
float GetLevelBeforeEvent(int windowStart, int windowEnd, int x, int pointCount, std::span<const double> samples);

/// Loss of the fibre section before an event: its cumulative loss less the previous event's
/// cumulative and splice losses. The launch counts as 0 dB; any other missing operand leaves the
/// section loss missing.
float SectionLossOf(float cumulativeLoss, float previousCumulativeLoss, float previousSpliceLoss,
                    bool previousIsLaunch);

/// Sample index, within `count` samples, where cumulative losses start: the user's zero, or key
/// event 0 when it lies before the zero (a first event behind the zero does not move the start).
int StartSampleIndex(const SorRecord& record, int count);

/// Cumulative loss from the user's zero to key event `row` as the file stores it: the splice losses
/// of the events before it and the slopes over the sections up to it; kMissingValue for row 0 and
/// when a section with length has no slope.
float StoredCumulativeLoss(int row, const SorRecord& record);

/// Cumulative loss from the launch level to the level before key event `row`, from the key events'
/// windows (an event without stored windows takes StoredCumulativeLoss); kMissingValue for row 0
/// and when a level cannot be measured.
float GetEventLoss(int row, std::int32_t fileKind, const SorRecord& record, int pointCount,
                   std::span<const double> samples, double fibreLengthKm);
