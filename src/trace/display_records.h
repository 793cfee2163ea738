#pragma once
// The records the panes, the analysis, printing and export read instead of the SR-4731 record.
// Units: distances in km, levels and losses in dB, attenuation in dB/km. kMissingValue stands for
// the absence of a loss or level; it stays exact in 32-bit float, which is why these stay float.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "sor/sor_record.h"

/// A loss or level that has no value; shown as "-.---", never as a number.
inline constexpr float kMissingValue = 1e10f;

inline constexpr int kMaxEventRows = kSorMaxKeyEvents;

/// Kinds of EventRow::Type.
enum EventRowType : std::int32_t {
  kEventLaunch = 0,
  kEventEnd = 1,
  kEventReflective = 2,
  kEventNonReflective = 3,
  kEventOutOfRange = 4,
};

/// Kinds of EventRow::Origin.
enum EventRowOrigin : std::int32_t {
  kOriginAnalysis = 0,
  kOriginUserAdded = 1,
  kOriginUserMoved = 2,
};

/// One event of the table; tables hold kMaxEventRows rows with a row count.
struct EventRow {
  std::int32_t Index;   // 0-based position, equal to the key event's position
  std::int32_t Type;    // EventRowType
  std::int32_t Origin;  // EventRowOrigin
  float Distance;       // km
  float Reflectance;    // dB, 0 or negative; reflective events only, else 0
  float SpliceLoss;     // dB
  float Attenuation;    // dB/km of the section before the event; 0 for the first row
  float CumulativeLoss;  // dB from the launch; kMissingValue when none (always for the first row)
  float SectionLength;   // km from the previous event; 0 for the first row
  float DistanceToEnd;   // km to the end event (or the trace end), never negative
  float Level;           // dB of the trace at the event; 0 unless filled
  float SectionLoss;     // dB of the section from the previous event; 0 for the first row
};

/// The rows in use of an event table: the first `count`, the count bounded by the table.
inline std::span<const EventRow> EventRowsInUse(std::span<const EventRow, kMaxEventRows> rows, std::int32_t count) {
  return rows.first(static_cast<std::size_t>(std::clamp<std::int32_t>(count, 0, kMaxEventRows)));
}

struct FibreParamsRecord {
  float Range;             // km; 0 = automatic range
  std::int32_t PulseWidth;  // ns, the first pulse width used
  std::int32_t Wavelength;  // nm
  float GroupIndex;         // group-index field / 100,000
  float Backscatter;        // dB
  std::int32_t AveragingTime;  // s (field / 10, truncated)
  float EndThreshold;          // dB
  float LossThreshold;         // dB
  float ReflectanceThreshold;  // dB
};

/// The reflectance threshold (dB) as the negative value it is: files store its magnitude, a
/// reanalysis the value itself.
inline float ReflectanceThresholdDb(const FibreParamsRecord& params) { return -std::fabs(params.ReflectanceThreshold); }

struct LinkSummaryRecord {
  float TraceLength;  // km, (N - 1) x sample spacing
  float LinkLength;   // km; 0 when the trace has no end event
  float LinkLoss;     // dB
  float LinkOrl;      // dB
  float LossPerKm;    // dB/km
};

/// Time of the measurement, the year in full.
struct TraceDateTime {
  std::int32_t Second;
  std::int32_t Minute;
  std::int32_t Hour;
  std::int32_t Day;
  std::int32_t Month;
  std::int32_t Year;
};

/// The first trace of DataPts in dB, one value per point (at most kSorMaxSamples).
struct DbSampleArray {
  std::vector<double> Values;
};

/// The first `count` values, or all of them when fewer are stored.
inline std::span<const double> LeadingDbSamples(const DbSampleArray& samples, std::int32_t count) {
  const std::span<const double> all(samples.Values);
  return all.first(std::min(all.size(), static_cast<std::size_t>(std::max(count, 0))));
}

/// One aux-marker point.
struct AuxMarker {
  std::int32_t SampleIndex;  // index into the current trace's samples
  double Value;              // dB shown there, the trace's vertical offset included
};

/// TableSnapMarker when the event table placed neither marker.
inline constexpr std::int32_t kNoTableSnap = 2;

/// The document's marker block.
struct MarkerState {
  std::int32_t MarkerA = 0;          // sample index of marker A
  std::int32_t MarkerB = 0;          // sample index of marker B
  std::int32_t ActiveMarker = 0;     // 0 = A, 1 = B
  std::int32_t TableSnapMarker = kNoTableSnap;  // marker the event table last placed (0 A, 1 B)
  std::int32_t AnalysisMode = 0;     // 0 none, 1 insertion loss, 2 reflectance
  std::uint8_t LockAB = 0;           // 1 = A and B move together
  AuxMarker ReflectanceAuxMarkers[2][3] = {};  // per set: 0-1 bound a fitted segment, 2 a level
  AuxMarker LossAuxMarkers[2][4] = {};         // per set: 0-1 first segment, 2-3 second segment
};

// Every field of these records is 32 bits wide, packed without gaps.
static_assert(sizeof(EventRow) == 12 * 4);
static_assert(sizeof(FibreParamsRecord) == 9 * 4);
static_assert(sizeof(LinkSummaryRecord) == 5 * 4);
static_assert(sizeof(TraceDateTime) == 6 * 4);
static_assert(std::is_trivially_copyable_v<EventRow>);
static_assert(std::is_trivially_copyable_v<MarkerState>);
