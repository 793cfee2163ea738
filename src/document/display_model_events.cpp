#include "document/display_model_events.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/event_levels.h"
#include "analysis/event_measurements.h"
#include "document/display_model_params.h"
#include "platform/saturate.h"
#include "trace/trace_conversions.h"

namespace {

constexpr double kThousandths = 1000.0;
/// The data spacing over this, in whole numbers, turns stored marker times into sample indices.
constexpr std::int32_t kMarkerSpacingDivisor = 10000;
/// How far below the trace end a first-window marker past it is put back.
constexpr std::int32_t kFirstMarkerBackOff = 201;
/// Newest UserName version that carries no launch level.
constexpr std::int32_t kLastVersionWithoutLaunchLevel = 201;
/// Wavelength fields for which a stored slope of 0 or less shows as no attenuation.
constexpr std::int16_t kBlankSlope1550 = 1550;
constexpr std::int16_t kBlankSlope1330 = 1330;

std::int32_t RowTypeOf(const SorKeyEvent& event, std::int32_t row, const SorRecord& record) {
  std::int32_t type = kEventLaunch;
  if (event.EventCode[0] == u'0') type = kEventNonReflective;
  if (IsReflectiveEventCode(event)) type = kEventReflective;
  if (IsEndEventCode(event)) type = kEventEnd;
  if (event.EventCode[1] == u'O') type = kEventOutOfRange;
  // A later event at the zero (the connector after a launch cable), or a first event further in,
  // keeps its own type.
  if (IsLaunchEvent(row, record)) type = kEventLaunch;
  return type;
}

std::int32_t RowOriginOf(const SorKeyEvent& event) {
  switch (event.EventCode[1]) {
    case u'A':
    case u'D': return kOriginUserAdded;
    case u'M': return kOriginUserMoved;
    default: return kOriginAnalysis;
  }
}

// The two comparisons are of the stored integers against fractions, so they only blank slopes of 0
// or less; they apply to these exact field values, not to 15500 or 1310.
float AttenuationOf(std::int16_t slope, std::int16_t wavelengthField) {
  if (wavelengthField == kBlankSlope1550 && slope < 0.16) return 0.0f;
  if (wavelengthField == kBlankSlope1330 && slope < 0.3) return 0.0f;
  return static_cast<float>(slope / kThousandths);
}

/// The first-section attenuation the analysis fits on the raw trace, or the row's own value.
float FirstSectionAttenuation(const SorRecord& record, std::span<const EventRow> rows, std::int32_t eventCount,
                              double fibreLengthKm) {
  const std::int32_t n = FirstTracePointCount(record);
  if (n < 1) return rows[1].Attenuation;
  std::vector<TracePoint> points(static_cast<std::size_t>(n));
  const SorTraceData& trace = record.DataPts.Traces[0];
  for (std::int32_t i = 0; i < n; ++i) {
    points[i].distance = static_cast<float>(i * fibreLengthKm / n);
    points[i].level = static_cast<float>(-SampleToDb(trace.Samples[i], trace.ScaleFactor));
  }
  std::vector<AnalysisEvent> events(kAnalysisEventCapacity);
  ConvertRowsForAnalysis(events, rows, eventCount, record);
  ComputeEventLevels(points, events, eventCount, static_cast<float>(record.FxdParams.ActualWavelength));
  return events[1].attenuation;
}

}  // namespace

void BuildEventTable(std::int32_t fileKind, SorRecord& record, std::span<EventRow, kMaxEventRows> rows,
                     std::int32_t& eventCount, std::int32_t& endEventRow, std::int32_t pointCount,
                     const DbSampleArray& samples, double fibreLengthKm, std::int32_t distanceCorrection) {
  if (fileKind != kSorFileKind || pointCount < 1) return;
  std::fill(rows.begin(), rows.end(), EventRow{});
  eventCount = KeyEventCountOf(record);
  endEventRow = EndEventRowOf(record);

  const SorKeyEvent* events = record.KeyEvents.Events.data();
  // Without an end event the fibre ends at the last sample.
  const double endDistance = endEventRow == kNoEndEventRow
                                 ? DistanceFromUserZero(fibreLengthKm, record)
                                 : TimeToDistance(events[endEventRow].TimeOfFlight, record);
  const std::vector<float> losses = GetEventLosses(fileKind, record, pointCount, samples.Values, fibreLengthKm);
  for (std::int32_t i = 0; i < eventCount; ++i) {
    const SorKeyEvent& event = events[i];
    EventRow& row = rows[i];
    const float distance = TimeToDistance(event.TimeOfFlight, record);
    row.Index = i;
    row.Type = RowTypeOf(event, i, record);
    row.Origin = RowOriginOf(event);
    row.Distance = static_cast<float>(CorrectedDistance(distance, distanceCorrection));
    row.Reflectance =
        IsReflectiveEventCode(event) ? static_cast<float>(-std::fabs(event.Reflectance / kThousandths)) : 0.0f;
    row.SpliceLoss = static_cast<float>(event.SpliceLoss / kThousandths);
    row.CumulativeLoss = i < static_cast<std::int32_t>(losses.size()) ? losses[static_cast<std::size_t>(i)] : kMissingValue;
    row.DistanceToEnd = static_cast<float>(std::fabs(endDistance - distance));
    if (IsLaunchEvent(i, record)) continue;
    // Behind the end no fibre is measured: its sections have no attenuation (0 shows as missing and
    // is judged by no limit), and the cumulative loss is missing.
    row.Attenuation = IsBehindEnd(i, record) ? 0.0f : AttenuationOf(event.Slope, record.FxdParams.ActualWavelength);
    if (i == 0) {
      // A first event behind the user's zero ends the section that starts there.
      row.SectionLength = distance;
      row.SectionLoss = row.CumulativeLoss;
      continue;
    }
    const EventRow& previous = rows[i - 1];
    row.SectionLength = distance - TimeToDistance(events[i - 1].TimeOfFlight, record);
    const bool afterLaunch = IsLaunchEvent(i - 1, record);
    row.SectionLoss = SectionLossOf(row.CumulativeLoss, previous.CumulativeLoss,
                                    afterLaunch ? LaunchOwnLoss(record) : previous.SpliceLoss, afterLaunch);
  }

  if (eventCount < 2 || IsBehindEnd(1, record)) return;
  const float attenuation = FirstSectionAttenuation(record, rows, eventCount, fibreLengthKm);
  // The fit is shown, not stored: the file keeps its own slope, so a save writes back what the
  // user did not change. A fit that gave no value leaves the file's slope in the row.
  if (!std::isfinite(attenuation) || attenuation == kMissingValue) return;
  rows[1].Attenuation = attenuation;
}

void ConvertRowsForAnalysis(std::span<AnalysisEvent> events, std::span<const EventRow> rows,
                            std::int32_t eventCount, const SorRecord& record) {
  const std::int32_t count = std::clamp<std::int32_t>(
      eventCount, 0,
      std::min({static_cast<std::int32_t>(events.size()), static_cast<std::int32_t>(rows.size()), KeyEventCountOf(record)}));
  const std::int32_t divisor = record.FxdParams.DataSpacing[0] / kMarkerSpacingDivisor;
  const std::int32_t n = FirstTracePointCount(record);
  for (std::int32_t i = 0; i < count; ++i) {
    const EventRow& row = rows[i];
    AnalysisEvent& event = events[i];
    event.type = row.Type;
    event.rowNumber = row.Index;
    // The analysis places events on its samples, which count from the first sample.
    event.position = static_cast<float>(DistanceFromFirstSample(row.Distance, record));
    event.reflectance = row.Reflectance;
    event.loss = row.SpliceLoss;
    event.attenuation = row.Attenuation;
    event.cumulativeLoss = row.CumulativeLoss;
    if (divisor <= 0) continue;
    const std::int32_t* locations = record.KeyEvents.Events[i].MarkerLocations;
    for (int m = 0; m < kSorMarkerLocations; ++m) {
      std::int32_t index = TimeFromFirstSample(locations[m], record) / divisor;
      if (index > n) index = m == 0 ? n - kFirstMarkerBackOff : m == 1 ? n - 1 : n;
      // Windows past the trace end or before its start come from damaged files; the analysis reads
      // samples at these indices.
      event.markers[m] = lumivane::ClampIndex(index, n);
    }
  }
}

void ApplyStoredLossTotals(SorRecord& record, std::span<EventRow> rows, std::int32_t eventCount) {
  if (record.UserName.UserVer <= kLastVersionWithoutLaunchLevel) return;
  const std::int32_t count = std::clamp<std::int32_t>(eventCount, 0, static_cast<std::int32_t>(rows.size()));
  record.UserName.StoredLossCount = count;
  if (count < 1) return;
  const float launchLevel = static_cast<float>(-record.UserName.StoredLaunchLevel / kThousandths);
  rows[0].Level = launchLevel;
  for (std::int32_t i = 1; i < count; ++i) {
    const float loss = rows[i].CumulativeLoss;
    rows[i].Level = loss == kMissingValue ? kMissingValue : launchLevel - loss;
  }
}
