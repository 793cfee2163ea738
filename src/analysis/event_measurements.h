#pragma once
// Measurements at the markers and events of the current trace: splice loss between two
// least-squares lines, the reflectance of a peak and the cumulative loss from the launch. They read
// the dB samples of the display model (larger values = weaker signal) and report a missing value
// as kMissingValue.
#include <cstdint>
#include <span>
#include <vector>

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

/// Whether key event `row` is the launch: the first event, at the user's zero (or before it, as
/// where a reanalysis puts it on the first sample). A first event further in is an event like any other.
bool IsLaunchEvent(int row, const SorRecord& record);

/// Whether the file stores least-squares windows with an event; files that store none leave every
/// location 0.
bool StoresLossWindows(const SorKeyEvent& event);

/// Whether the file gives the launch level a window, so that cumulative losses are measured on the
/// trace; otherwise they follow from the losses and slopes it stores.
bool MeasuresFromTrace(const SorRecord& record);

/// Whether key event `row` stands behind the file's end event, where nothing is measured.
bool IsBehindEnd(int row, const SorRecord& record);

/// Sample index, within `count` samples, where cumulative losses start: the user's zero, or key
/// event 0 when it lies before the zero (a first event behind the zero does not move the start).
int StartSampleIndex(const SorRecord& record, int count);

/// The launch's own loss as the readings behind it count it: its stored loss where losses are
/// summed from the file; 0 where levels are measured on the trace, which start behind it.
float LaunchOwnLoss(const SorRecord& record);

/// The loss up to where the section before key event `row` starts: the previous event's reading
/// and its own loss (LaunchOwnLoss after the launch). kMissingValue when the previous reading is
/// missing.
float LossBeforeSection(int row, const SorRecord& record, int pointCount, std::span<const double> samples,
                        double fibreLengthKm);

/// Cumulative loss to key event `row` from the events before it: LossBeforeSection plus the
/// SectionLoss before the event; kMissingValue for the launch, behind the end and where either is
/// missing.
float DerivedCumulativeLoss(int row, const SorRecord& record, int pointCount, std::span<const double> samples,
                            double fibreLengthKm);

/// DerivedCumulativeLoss at a time of the file (0.1 ns from the user's zero) between events, the
/// section's loss shared out along it: 0 at or before the start, kMissingValue behind the end and
/// past the last event.
float DerivedCumulativeLossAt(std::int32_t time, const SorRecord& record, int pointCount,
                              std::span<const double> samples, double fibreLengthKm);

/// Cumulative loss from the launch to sample `x`: the line through the window `windowStart` ..
/// `windowEnd` before it at `x` less the launch level, or, where the file gives the launch no window,
/// DerivedCumulativeLossAt its time; on an event's own sample, GetEventLoss of that event. 0 at or
/// before the start; kMissingValue behind the end and when a level cannot be measured.
float CumulativeLossAt(int x, int windowStart, int windowEnd, const SorRecord& record, int pointCount,
                       std::span<const double> samples, double fibreLengthKm);

/// Whether key event `row`'s reading is measured on the trace: the file gives the launch a window
/// and the event a window in its own section.
bool MeasuredOnTrace(int row, const SorRecord& record, int pointCount);

/// Cumulative loss to key event `row`: the line through its stored window before it, at the event,
/// less the launch level where MeasuredOnTrace, else DerivedCumulativeLoss; kMissingValue for the
/// launch and behind the end.
float GetEventLoss(int row, std::int32_t fileKind, const SorRecord& record, int pointCount,
                   std::span<const double> samples, double fibreLengthKm);

/// GetEventLoss of every stored key event, in one pass.
std::vector<float> GetEventLosses(std::int32_t fileKind, const SorRecord& record, int pointCount,
                                  std::span<const double> samples, double fibreLengthKm);
