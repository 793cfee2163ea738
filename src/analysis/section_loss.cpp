#include "analysis/section_loss.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "analysis/analysis_terms.h"
#include "analysis/event_measurements.h"
#include "trace/least_squares.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"

namespace {

// Instruments round window edges to their own sample grid: an edge this many samples across the
// neighbouring event still lies in the section.
constexpr int kWindowEdgeSamples = 3;
// Behind an event its reflection and the receiver's recovery hide the backscatter for about two
// pulse lengths; in front of the next one the pulse already meets it one pulse length early.
constexpr int kDeadZonePulsesAfter = 2;
constexpr int kDeadZonePulsesBefore = 1;
// The fewest samples a dead zone spans, whatever the pulse, and the fewest a fit needs.
constexpr int kMinDeadZoneSamples = 10;
constexpr int kMinFitSamples = 10;
// The mean distance (dB) from the line of the samples closest to the event beyond which they are
// not the same backscatter; and what a fit over them gives.
constexpr double kOffLineDb = 2.0;
constexpr float kNotBackscatter = -kMissingValue;
// A fitted attenuation beyond this multiple of the band's typical one is no backscatter.
constexpr double kHighestAttenuationFactor = 3.0;

// The time where the section before key event `row` starts: the previous event, or the start (the
// user's zero, or a launch before it).
std::int32_t SectionStartTime(int row, const SorRecord& record) {
  const auto& events = record.KeyEvents.Events;
  return row == 0 ? std::min(events[0].TimeOfFlight, 0) : events[static_cast<std::size_t>(row - 1)].TimeOfFlight;
}

// Whether the window between two stored times lies between sample indices `from` and `to`.
bool WindowWithin(std::int32_t windowStart, std::int32_t windowEnd, std::int64_t from, std::int64_t to,
                  const SorRecord& record) {
  const std::int64_t a = TimeToIndex(windowStart, record);
  const std::int64_t b = TimeToIndex(windowEnd, record);
  return a <= b && a >= from - kWindowEdgeSamples && b <= to + kWindowEdgeSamples;
}

// Samples one pulse covers on the trace of `record`.
int PulseSamples(const SorRecord& record) {
  const std::int64_t pulseTime = static_cast<std::int64_t>(record.FxdParams.PulseWidths[0]) * 10;
  return std::max(0, TimeToIndex(static_cast<std::int32_t>(std::min<std::int64_t>(pulseTime, INT32_MAX)), record) -
                         TimeToIndex(0, record));
}

}  // namespace

int DeadZoneSamplesAfter(const SorRecord& record) {
  return std::max(kDeadZonePulsesAfter * PulseSamples(record), kMinDeadZoneSamples);
}

namespace {

// The row whose section starts at the launch (or at the start, without a Start row).
int FirstRowBehindLaunch(const SorRecord& record) { return IsLaunchEvent(0, record) ? 1 : 0; }

// The loss over samples `from` .. `to` on the line through the part of the section clear of both
// events' dead zones; kMissingValue when that part is too short for a line.
float FittedLoss(int from, int to, const SorRecord& record, int count, std::span<const double> samples) {
  const int pulse = PulseSamples(record);
  // A long section is fitted over its middle half at most, clear of any tail an event leaves.
  const int quarter = (to - from) / 4;
  const int first = from + std::max(DeadZoneSamplesAfter(record), quarter);
  const int tailEnd = to - std::max(kDeadZonePulsesBefore * pulse, 1);
  const int last = std::min(tailEnd, to - quarter);
  if (last - first + 1 < kMinFitSamples) return kMissingValue;
  const float atTo = LeastSquaresValueAt(first, last, to, count, samples);
  const float atFrom = LeastSquaresValueAt(first, last, from, count, samples);
  if (atTo == kMissingValue || atFrom == kMissingValue) return kMissingValue;
  // Where the trace in front of the event is far off the line, the section runs into the noise.
  double sum = 0.0;
  const int tailFrom = std::max(first, tailEnd - kMinFitSamples + 1);
  for (int i = tailFrom; i <= tailEnd; ++i) {
    sum += samples[static_cast<std::size_t>(i)] - LeastSquaresValueAt(first, last, i, count, samples);
  }
  if (std::fabs(sum / (tailEnd - tailFrom + 1)) > kOffLineDb) return kNotBackscatter;
  return atTo - atFrom;
}

// Whether the trace gains across samples `from` .. `to`: the backscatter just in front of the event
// stands above the backscatter just behind the previous one, each taken clear of the dead zones.
// False where the section is too short to tell.
bool TraceGainsAcross(int from, int to, const SorRecord& record, std::span<const double> samples) {
  const int first = from + DeadZoneSamplesAfter(record);
  const int last = to - std::max(kDeadZonePulsesBefore * PulseSamples(record), 1);
  if (last - first + 1 < 2 * kMinFitSamples) return false;
  const auto mean = [&samples](int a) {
    double sum = 0.0;
    for (int i = a; i < a + kMinFitSamples; ++i) sum += samples[static_cast<std::size_t>(i)];
    return sum / kMinFitSamples;
  };
  return mean(last - kMinFitSamples + 1) < mean(first);
}

}  // namespace

bool WindowInOwnSection(int row, const SorRecord& record, int count) {
  if (row < 0 || row >= StoredKeyEventCount(record.KeyEvents) || count < 1) return false;
  const SorKeyEvent& event = record.KeyEvents.Events[static_cast<std::size_t>(row)];
  // Both edges at 0 is no window: no event but the launch ends a window at the user's zero.
  const bool stored = event.MarkerLocations[0] != 0 || event.MarkerLocations[1] != 0;
  const std::int64_t from = TimeToIndex(SectionStartTime(row, record), record);
  // A window ending inside the dead zone behind the previous event holds none of the backscatter.
  return stored && TimeToIndex(event.MarkerLocations[1], record) > from + DeadZoneSamplesAfter(record) &&
         WindowWithin(event.MarkerLocations[0], event.MarkerLocations[1], from, TimeToIndex(event.TimeOfFlight, record),
                      record);
}

bool LaunchWindowInFirstSection(const SorRecord& record, int count) {
  const int stored = StoredKeyEventCount(record.KeyEvents);
  if (stored == 0 || count < 1) return false;
  if (!IsLaunchEvent(0, record)) return WindowInOwnSection(0, record, count);
  const SorKeyEvent& launch = record.KeyEvents.Events[0];
  // With the launch alone the first section runs to the trace's last sample.
  const std::int64_t to = stored > 1 ? TimeToIndex(record.KeyEvents.Events[1].TimeOfFlight, record) : count - 1;
  return WindowWithin(launch.MarkerLocations[2], launch.MarkerLocations[3], TimeToIndex(launch.TimeOfFlight, record), to,
                      record);
}

float SectionLoss(int row, const SorRecord& record, int count, std::span<const double> samples) {
  if (row < 0 || row >= StoredKeyEventCount(record.KeyEvents)) return kMissingValue;
  const SorKeyEvent& event = record.KeyEvents.Events[static_cast<std::size_t>(row)];
  const std::int64_t span = static_cast<std::int64_t>(event.TimeOfFlight) - SectionStartTime(row, record);
  if (span < 0 || span > INT32_MAX) return kMissingValue;
  if (span == 0) return 0.0f;
  const double lengthKm = DistanceOfTime(static_cast<std::int32_t>(span), record.FxdParams.GroupIndex);
  const float stored = static_cast<float>(event.Slope / 1000.0 * lengthKm);
  if (event.Slope > 0) return stored;

  const int usable = static_cast<int>(std::min<long long>(std::max(count, 0), static_cast<long long>(samples.size())));
  const std::int32_t from = TimeToIndex(SectionStartTime(row, record), record);
  const std::int32_t to = TimeToIndex(event.TimeOfFlight, record);
  // Without a group index the section has no length to cost.
  if (from < 0 || to >= usable || !(lengthKm > 0.0)) return kMissingValue;
  // Fibre never gains: a negative slope is the net of a section that holds a gainer (one deleted from
  // the table), and only where the trace gains across the section too; over plain fibre it is no
  // slope at all.
  if (event.Slope < 0 && TraceGainsAcross(from, to, record, samples)) return stored;
  const double typical = BandDefaultAttenuation(TraceBandNm(record));
  const float fitted = FittedLoss(from, to, record, usable, samples);
  if (fitted == kNotBackscatter) return kMissingValue;
  // Fibre never gains: a line that rises shows the tail of a reflection or a change of fibre, not
  // the fibre's own loss, and a section too short for a line shows nothing of it.
  if (fitted == kMissingValue || fitted < 0.0f) return static_cast<float>(typical * lengthKm);
  if (fitted / lengthKm <= kHighestAttenuationFactor * typical) return fitted;
  // Steeper than any fibre: behind the launch its reflection's tail, further in the noise.
  return row == FirstRowBehindLaunch(record) ? static_cast<float>(typical * lengthKm) : kMissingValue;
}
