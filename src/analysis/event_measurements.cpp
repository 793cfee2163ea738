#include "analysis/event_measurements.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "analysis/analysis_terms.h"
#include "analysis/launch_level.h"
#include "analysis/section_loss.h"
#include "platform/saturate.h"
#include "trace/backscatter_field.h"
#include "trace/least_squares.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"

namespace {

constexpr double kMinPeakHeight = 0.001;    // dB
constexpr double kNegligibleOffset = 1e-10;  // dB
constexpr double kAttenuation1310 = 0.32;    // dB/km, nominal
constexpr double kAttenuation1550 = 0.22;
// A launch level this many dB or more is no level at all.
constexpr float kImplausibleLaunchLevel = 100.0f;

// Samples the measurements may read: the point count, bounded by the array.
int UsableCount(int count, std::span<const double> samples) {
  return static_cast<int>(std::min<long long>(std::max(count, 0), static_cast<long long>(samples.size())));
}

bool Missing(float value) { return value == kMissingValue; }

// Sample index of a time of flight stored in the file, clamped into the trace: damaged files carry
// times far outside it.
int IndexOfStoredTime(std::int32_t timeOfFlight, const SorRecord& record, int count) {
  return lumivane::ClampIndex(TimeToIndex(timeOfFlight, record), count);
}

// Samples after the launch that still belong to its own reflection rather than to the backscatter.
constexpr int kLaunchReflectionSamples = 10;
// A launch window reaching no further than this many samples holds too little backscatter to bound
// the first section's line.
constexpr int kLaunchWindowReach = 4 * kLaunchReflectionSamples;

// The backscatter of the first section, from the start to the first event behind it (`nextRow`),
// fitted over the middle half of the section (clear of both events' reflections) and carried back to
// the start. A launch window that lies in the section bounds it at its own end, so that the level
// stays where it was when the event behind it is deleted.
float FirstSectionLevelAt(int start, int nextRow, int windowEnd, const SorRecord& record, int count,
                          std::span<const double> samples) {
  if (StoredKeyEventCount(record.KeyEvents) <= nextRow) return kMissingValue;
  int next = IndexOfStoredTime(record.KeyEvents.Events[static_cast<std::size_t>(nextRow)].TimeOfFlight, record, count);
  if (LaunchWindowInFirstSection(record, count) && windowEnd - start > kLaunchWindowReach) next = std::min(next, windowEnd);
  const int quarter = (next - start) / 4;
  return LeastSquaresValueAt(start + quarter, next - quarter, start, count, samples);
}

// The level at the start where the first event stands inside the launch's dead zone, so that no
// backscatter lies in front of it: the line behind that event (the launch's window where it lies
// there, else the next event's own), carried back over the event's stored loss and over the section
// at the band's attenuation. kMissingValue where neither window lies behind the event.
float LevelCarriedOverFirstEvent(const SorRecord& record, int count, std::span<const double> samples) {
  const SorKeyEvent& launch = KeyEventRow(record.KeyEvents, 0);
  const SorKeyEvent& first = KeyEventRow(record.KeyEvents, 1);
  const int at = IndexOfStoredTime(first.TimeOfFlight, record, count);
  int a = TimeToIndex(launch.MarkerLocations[2], record);
  int b = TimeToIndex(launch.MarkerLocations[3], record);
  if (a < at || a >= b) {
    if (!WindowInOwnSection(2, record, count)) return kMissingValue;
    const SorKeyEvent& next = KeyEventRow(record.KeyEvents, 2);
    a = TimeToIndex(next.MarkerLocations[0], record);
    b = TimeToIndex(next.MarkerLocations[1], record);
  }
  const float behind = LeastSquaresValueAt(a, b, at, count, samples);
  if (Missing(behind)) return kMissingValue;
  const std::int64_t span = static_cast<std::int64_t>(first.TimeOfFlight) - std::min(launch.TimeOfFlight, 0);
  const double sectionKm = DistanceOfTime(static_cast<std::int32_t>(std::clamp<std::int64_t>(span, 0, INT32_MAX)),
                                          record.FxdParams.GroupIndex);
  return static_cast<float>(behind - first.SpliceLoss / 1000.0 - BandDefaultAttenuation(TraceBandNm(record)) * sectionKm);
}

// The level of the backscatter at the start, from the launch's window after it. Where the first
// stored event stands behind the user's zero, the fibre before it starts at the zero and that event's
// window before it is the launch's. A window starting inside the launch's reflection, as in files
// that store no windows, says nothing of the backscatter; the first section does.
float LaunchLevel(const SorRecord& record, int count, std::span<const double> samples, std::int32_t fileKind,
                  double fibreLengthKm) {
  const SorKeyEvent& first = KeyEventRow(record.KeyEvents, 0);
  const bool launchStored = IsLaunchEvent(0, record);
  const int start = StartSampleIndex(record, count);
  const int s = IndexOfStoredTime(first.MarkerLocations[launchStored ? 2 : 0], record, count);
  const int e = IndexOfStoredTime(first.MarkerLocations[launchStored ? 3 : 1], record, count);
  if (s - start <= kLaunchReflectionSamples || !LaunchWindowInFirstSection(record, count)) {
    const bool firstInDeadZone =
        launchStored && StoredKeyEventCount(record.KeyEvents) > 1 &&
        IndexOfStoredTime(KeyEventRow(record.KeyEvents, 1).TimeOfFlight, record, count) - start <= DeadZoneSamplesAfter(record);
    if (firstInDeadZone) return LevelCarriedOverFirstEvent(record, count, samples);
    return FirstSectionLevelAt(start, launchStored ? 1 : 0, e, record, count, samples);
  }
  if (s != e) return LeastSquaresValueAt(s, e, start, count, samples);
  double base = samples[static_cast<std::size_t>(s)];
  const int wavelength = NominalWavelengthNm(record.FxdParams.ActualWavelength);
  const double distance = GetDistance_Position(s, fileKind, record, fibreLengthKm) -
                          GetDistance_Position(start, fileKind, record, fibreLengthKm);
  if (wavelength == 1310) base -= distance * kAttenuation1310;
  if (wavelength == 1550) base -= distance * kAttenuation1550;
  return static_cast<float>(base);
}

// The time of the file's end event; none when the file stores no end.
std::optional<std::int32_t> EndTime(const SorRecord& record) {
  const std::int32_t end = EndEventRowOf(record);
  if (end == kNoEndEventRow) return std::nullopt;
  return record.KeyEvents.Events[static_cast<std::size_t>(end)].TimeOfFlight;
}

// The level at sample `x` on the line through the window before it, less the launch level.
float MeasuredLossAt(int x, int windowStart, int windowEnd, const SorRecord& record, int count,
                     std::span<const double> samples, double fibreLengthKm) {
  const float base = GetLaunchLevel(kSorFileKind, record, count, samples, fibreLengthKm);
  const float level = GetLevelBeforeEvent(windowStart, windowEnd, x, count, samples);
  if (Missing(base) || Missing(level)) return kMissingValue;
  return level - base;
}

}  // namespace

bool IsLaunchEvent(int row, const SorRecord& record) {
  if (row != 0 || StoredKeyEventCount(record.KeyEvents) == 0) return false;
  const std::int32_t time = record.KeyEvents.Events[0].TimeOfFlight;
  // A reanalysis places the launch on the first sample, which may lie before the zero.
  return time <= 0 || TimeFromFirstSample(time, record) == 0;
}

bool StoresLossWindows(const SorKeyEvent& event) {
  return std::any_of(std::begin(event.MarkerLocations), std::end(event.MarkerLocations),
                     [](std::int32_t location) { return location != 0; });
}

bool MeasuresFromTrace(const SorRecord& record) { return StoresLossWindows(KeyEventRow(record.KeyEvents, 0)); }

bool IsBehindEnd(int row, const SorRecord& record) {
  const std::int32_t end = EndEventRowOf(record);
  return end != kNoEndEventRow && row > end;
}

int StartSampleIndex(const SorRecord& record, int count) {
  const std::int32_t first = KeyEventRow(record.KeyEvents, 0).TimeOfFlight;
  return IndexOfStoredTime(std::min(first, 0), record, std::max(count, 0));
}

float LaunchOwnLoss(const SorRecord& record) {
  return MeasuresFromTrace(record) ? 0.0f : KeyEventRow(record.KeyEvents, 0).SpliceLoss / 1000.0f;
}

namespace {

// The loss past key event `row` given its reading: the reading and the event's own loss, or
// LaunchOwnLoss past the launch.
float LossPastEvent(int row, float reading, const SorRecord& record) {
  if (IsLaunchEvent(row, record)) return LaunchOwnLoss(record);
  return Missing(reading) ? kMissingValue : reading + KeyEventRow(record.KeyEvents, row).SpliceLoss / 1000.0f;
}

float Sum(float before, float section) {
  return Missing(before) || Missing(section) ? kMissingValue : before + section;
}

// The readings of the first `rows` key events in one pass: each derived reading builds on the one
// before it, so a file of many events without windows costs one sweep, not one per row.
std::vector<float> EventLosses(int rows, std::int32_t fileKind, const SorRecord& record, int pointCount,
                               std::span<const double> samples, double fibreLengthKm) {
  std::vector<float> losses(static_cast<std::size_t>(std::max(rows, 0)), kMissingValue);
  const int count = UsableCount(pointCount, samples);
  if (fileKind != kSorFileKind || count == 0) return losses;
  for (int row = 0; row < rows; ++row) {
    if (IsLaunchEvent(row, record) || IsBehindEnd(row, record)) continue;
    float& loss = losses[static_cast<std::size_t>(row)];
    if (MeasuredOnTrace(row, record, count)) {
      const SorKeyEvent& event = record.KeyEvents.Events[static_cast<std::size_t>(row)];
      loss = MeasuredLossAt(IndexOfStoredTime(event.TimeOfFlight, record, count),
                            TimeToIndex(event.MarkerLocations[0], record), TimeToIndex(event.MarkerLocations[1], record),
                            record, count, samples, fibreLengthKm);
      continue;
    }
    // An event without a window of its own, or with one that measures another piece of fibre, has
    // no level: its loss follows from the event before it and the section between.
    const float before = row == 0 ? 0.0f : LossPastEvent(row - 1, losses[static_cast<std::size_t>(row - 1)], record);
    loss = Sum(before, SectionLoss(row, record, count, samples));
  }
  return losses;
}

}  // namespace

float LossBeforeSection(int row, const SorRecord& record, int pointCount, std::span<const double> samples,
                        double fibreLengthKm) {
  if (row <= 0) return 0.0f;
  return LossPastEvent(row - 1, GetEventLoss(row - 1, kSorFileKind, record, pointCount, samples, fibreLengthKm),
                       record);
}

float DerivedCumulativeLoss(int row, const SorRecord& record, int pointCount, std::span<const double> samples,
                            double fibreLengthKm) {
  if (row < 0 || row >= StoredKeyEventCount(record.KeyEvents) || IsLaunchEvent(row, record) || IsBehindEnd(row, record)) {
    return kMissingValue;
  }
  return Sum(LossBeforeSection(row, record, pointCount, samples, fibreLengthKm),
             SectionLoss(row, record, UsableCount(pointCount, samples), samples));
}

float DerivedCumulativeLossAt(std::int32_t time, const SorRecord& record, int pointCount,
                              std::span<const double> samples, double fibreLengthKm) {
  const SorKeyEvents& events = record.KeyEvents;
  const int stored = StoredKeyEventCount(events);
  if (stored == 0) return kMissingValue;
  const std::optional<std::int32_t> end = EndTime(record);
  if (end && time > *end) return kMissingValue;
  const std::int32_t start = std::min(events.Events[0].TimeOfFlight, 0);
  if (time <= start) return 0.0f;
  int next = 0;
  while (next < stored && events.Events[static_cast<std::size_t>(next)].TimeOfFlight < time) ++next;
  // Past the last event no section is known.
  if (next == stored) return kMissingValue;
  const float atNext = DerivedCumulativeLoss(next, record, pointCount, samples, fibreLengthKm);
  const float section = SectionLoss(next, record, UsableCount(pointCount, samples), samples);
  if (Missing(atNext) || Missing(section)) return kMissingValue;
  // The rest of the section up to the next event has not been lost yet.
  const double from = next == 0 ? start : events.Events[static_cast<std::size_t>(next - 1)].TimeOfFlight;
  const double to = events.Events[static_cast<std::size_t>(next)].TimeOfFlight;
  return static_cast<float>(atNext - section * (to - time) / (to - from));
}

float GetLsaSpliceLoss(int markerSet, const MarkerState& markers, int count, std::span<const double> samples) {
  const int set = markerSet == 0 ? 0 : 1;
  const AuxMarker* w = markers.LossAuxMarkers[set];
  const int x = set == 0 ? markers.MarkerA : markers.MarkerB;
  if (w[0].SampleIndex == w[1].SampleIndex || w[2].SampleIndex == w[3].SampleIndex) return kMissingValue;
  const float before = LeastSquaresValueAt(w[0].SampleIndex, w[1].SampleIndex, x, count, samples);
  const float after = LeastSquaresValueAt(w[2].SampleIndex, w[3].SampleIndex, x, count, samples);
  // A marker near the trace end has neither line; their difference would read as a 0 dB splice.
  if (Missing(before) || Missing(after)) return kMissingValue;
  return after - before;
}

float GetEventReflectance(int markerSet, const MarkerState& markers, int count, std::span<const double> samples,
                          const SorRecord& record, double currentOffsetDb) {
  const int pulseWidth = record.FxdParams.PulseWidths[0];
  // Without a pulse width the backscatter of the pulse, and so the reflectance, is unknown.
  if (pulseWidth <= 0) return kMissingValue;
  const double backscatter =
      BackscatterMicrosecondDb(record.FxdParams.Backscatter, record.UserName.BackscatterMode) -
      10.0 * std::log10(pulseWidth / 1000.0);
  const AuxMarker* q = markers.ReflectanceAuxMarkers[markerSet == 0 ? 0 : 1];
  if (q[0].SampleIndex == q[1].SampleIndex) return kMissingValue;
  const float line = LeastSquaresValueAt(q[0].SampleIndex, q[1].SampleIndex, q[2].SampleIndex, count, samples);
  if (Missing(line)) return kMissingValue;
  const double offset = std::fabs(currentOffsetDb) > kNegligibleOffset ? currentOffsetDb : 0.0;
  const double height = std::fabs(line - (q[2].Value - offset));
  if (height <= kMinPeakHeight) return kNoHeightReflectance;
  const double power = std::pow(10.0, height * 2.0 / 10.0);
  if (power <= 1.0) return kMissingValue;
  const double reflectance =
      10.0 * std::log10(power - 1.0) - backscatter + record.UserName.ReflAdjust / 1000.0;
  return std::isfinite(reflectance) && std::fabs(reflectance) < kMissingValue ? static_cast<float>(reflectance)
                                                                              : kMissingValue;
}

float GetLaunchLevel(std::int32_t fileKind, const SorRecord& record, int pointCount, std::span<const double> samples,
                     double fibreLengthKm) {
  const int count = UsableCount(pointCount, samples);
  if (count == 0) return kMissingValue;
  const float level = StepUpLaunchLevel(LaunchLevel(record, count, samples, fileKind, fibreLengthKm));
  return level >= kImplausibleLaunchLevel ? kMissingValue : level;
}

float GetLevelBeforeEvent(int windowStart, int windowEnd, int x, int pointCount, std::span<const double> samples) {
  const int count = UsableCount(pointCount, samples);
  if (count == 0) return kMissingValue;
  const int a = lumivane::ClampIndex(windowStart, count);
  const int b = lumivane::ClampIndex(windowEnd, count);
  return a == b ? static_cast<float>(samples[static_cast<std::size_t>(a)]) : LeastSquaresValueAt(a, b, x, count, samples);
}

float SectionLossOf(float cumulativeLoss, float previousCumulativeLoss, float previousSpliceLoss,
                    bool previousIsLaunch) {
  const float previous = previousIsLaunch && Missing(previousCumulativeLoss) ? 0.0f : previousCumulativeLoss;
  if (Missing(cumulativeLoss) || Missing(previous) || Missing(previousSpliceLoss)) return kMissingValue;
  return cumulativeLoss - previous - previousSpliceLoss;
}

float CumulativeLossAt(int x, int windowStart, int windowEnd, const SorRecord& record, int pointCount,
                       std::span<const double> samples, double fibreLengthKm) {
  const int count = UsableCount(pointCount, samples);
  if (count == 0) return kMissingValue;
  const int at = lumivane::ClampIndex(x, count);
  // Behind the end there is no backscatter to measure a loss on.
  if (const std::optional<std::int32_t> end = EndTime(record); end && at > IndexOfStoredTime(*end, record, count)) {
    return kMissingValue;
  }
  // Nothing has been lost yet at or before the start; the launch's own reflection is no loss.
  if (at <= StartSampleIndex(record, count)) return 0.0f;
  // A marker on an event's own sample stands at the event: the loss to it, as its row shows it (not
  // past its own loss by a fraction of a sample, nor through another window).
  const int stored = StoredKeyEventCount(record.KeyEvents);
  for (int k = 0; k < stored; ++k) {
    if (IndexOfStoredTime(record.KeyEvents.Events[static_cast<std::size_t>(k)].TimeOfFlight, record, count) == at) {
      return GetEventLoss(k, kSorFileKind, record, count, samples, fibreLengthKm);
    }
  }
  if (!MeasuresFromTrace(record)) {
    const float distance = GetDistance_Position(at, kSorFileKind, record, fibreLengthKm);
    return DerivedCumulativeLossAt(DistanceToFileTime(distance, record), record, count, samples, fibreLengthKm);
  }
  return MeasuredLossAt(at, windowStart, windowEnd, record, count, samples, fibreLengthKm);
}

bool MeasuredOnTrace(int row, const SorRecord& record, int pointCount) {
  return MeasuresFromTrace(record) && WindowInOwnSection(row, record, pointCount);
}

float GetEventLoss(int row, std::int32_t fileKind, const SorRecord& record, int pointCount,
                   std::span<const double> samples, double fibreLengthKm) {
  if (row < 0 || row >= StoredKeyEventCount(record.KeyEvents)) return kMissingValue;
  return EventLosses(row + 1, fileKind, record, pointCount, samples, fibreLengthKm).back();
}

std::vector<float> GetEventLosses(std::int32_t fileKind, const SorRecord& record, int pointCount,
                                  std::span<const double> samples, double fibreLengthKm) {
  return EventLosses(StoredKeyEventCount(record.KeyEvents), fileKind, record, pointCount, samples, fibreLengthKm);
}
