#pragma once
// Moving between the three ways of placing a point on a trace: sample index, distance along the fibre
// (km) and SR-4731 time of flight (0.1 ns). A degenerate trace (no spacing, no length, no group index,
// fewer than two points) converts to 0, never to a non-finite value or a wild index.
#include <cstdint>
#include <string>

struct SorFxdParams;
struct SorRecord;

/// distance (km) = time of flight (0.1 ns) x this / group-index field.
inline constexpr double kSpeedOfLightFactor = 2.99792458;
/// Data points per data-spacing value.
inline constexpr double kDataSpacingDivisor = 10000.0;
/// The file kind of SR-4731 files, the only kind the conversions serve.
inline constexpr std::int32_t kSorFileKind = 0;

/// Scale factor used when a file gives 0, which would turn every sample into infinity.
inline constexpr std::int16_t kFallbackScaleFactor = 1000;

/// dB of a DataPts sample (larger = weaker signal) under its trace's scale factor: the one
/// conversion the display, the measurements and the analysis share.
double SampleToDb(std::uint16_t sample, std::int16_t scaleFactor);

/// dB of sample `index` of the record's first trace as stored; a point without a stored sample
/// reads as 0, as bytes past a file's end do.
double StoredSampleDb(const SorRecord& record, int index);

/// Rounds a quotient, held as a 32-bit float first, half up on its first decimal; negative values
/// truncate toward zero. Non-finite or out-of-range quotients give 0.
std::int32_t FirstDecimalRound(double quotient);

/// Rounds to `decimals` places, halves toward plus infinity, in 32-bit float steps.
float RoundHalfUp(float value, int decimals);

/// The value x 1000, rounded half away from zero on the fourth decimal.
std::int32_t ToThousandths(float value);

/// Distance (km) from the first sample of `index` on a trace of `dataPoints` samples covering
/// `fibreLengthKm`.
float DistanceOfIndex(std::int32_t index, std::int32_t dataPoints, double fibreLengthKm);

/// Sample index of `distanceKm` from the first sample, clamped to [0, pointCount - 1].
std::int32_t IndexOfDistance(float distanceKm, std::int32_t dataPoints, double fibreLengthKm,
                             std::int32_t pointCount);

/// Sample index of a time of flight for a data spacing (100 ps per 10,000 points); not clamped.
std::int32_t IndexOfTime(std::int32_t timeOfFlight, std::int32_t dataSpacing);

/// Distance (km) of a time of flight for a group-index field (group index x 100,000).
float DistanceOfTime(std::int32_t timeOfFlight, std::int32_t groupIndexField);

/// Time of flight (0.1 ns) of a distance for a group-index field.
std::int32_t TimeOfDistance(float distanceKm, std::int32_t groupIndexField);

// Where distances count from. The samples start at the first sample; the file's times of flight
// (key events, end-to-end markers, stored marker locations) count from the user's zero, which lies
// the GenParams user offset after the front panel. The first sample lies before the front panel by
// the FxdParams front panel offset, or by minus the acquisition offset when that field is 0
// (instruments fill one or both; where both are set they agree). Every distance the program shows,
// prints or exports counts from the user's zero, so samples before it have negative distances.
// Sample indices and the plot's own geometry keep counting from the first sample; the functions
// below are the only way between the two.

/// Whether the GenParams user offset, or the user offset distance where the offset is 0, puts the
/// user's zero on the trace: from its first sample to its last, or to the front panel where that lies
/// beyond them. A zero anywhere else is damage.
bool UserZeroOnTrace(const SorRecord& record);

/// Time of flight (0.1 ns) from the first sample to the user's zero of `record`; 0, distances counting
/// from the first sample, when the user offset puts the zero off the trace.
std::int32_t UserZeroShift(const SorRecord& record);

/// A time of the file counted from the first sample instead (saturated to 32 bits).
std::int32_t TimeFromFirstSample(std::int32_t fileTime, const SorRecord& record);

/// Sample index of a time of the file on `record` (first pulse width's spacing); not clamped.
std::int32_t TimeToIndex(std::int32_t timeOfFlight, const SorRecord& record);

/// Distance (km) from the user's zero of a time of the file: the time converted, no shift.
float TimeToDistance(std::int32_t timeOfFlight, const SorRecord& record);

/// Time of the file (0.1 ns from the user's zero) of a distance from the user's zero: the inverse
/// of TimeToDistance, so a time saved back reads as it was.
std::int32_t DistanceToFileTime(float distanceKm, const SorRecord& record);

/// Distance (km) from the first sample to the user's zero: the origin of every distance shown.
double UserZeroDistanceKm(const SorRecord& record);

/// Distance from the user's zero of a distance from the first sample (the plot's and the analysis
/// engine's coordinate).
float DistanceFromUserZero(double fromFirstSampleKm, const SorRecord& record);

/// Distance from the first sample of a distance from the user's zero: the inverse of
/// DistanceFromUserZero.
double DistanceFromFirstSample(double fromUserZeroKm, const SorRecord& record);

/// Distance (km) from the user's zero of a sample index of `record`'s first trace covering
/// `fibreLengthKm`; kind 0 (SR-4731) only, any other kind shows "GetDistance_Position" and gives 0.
float GetDistance_Position(std::int32_t index, std::int32_t fileKind, const SorRecord& record,
                           double fibreLengthKm);

/// Sample index of a distance from the user's zero on `record`'s first trace covering
/// `fibreLengthKm`, clamped to [0, pointCount - 1]: the inverse of GetDistance_Position.
std::int32_t IndexOfShownDistance(float distanceKm, const SorRecord& record, double fibreLengthKm,
                                  std::int32_t pointCount);

/// Km of a distance field (acquisition range distance, user offset distance) by the file's units of
/// distance ("mt", "ft", "kf" and "mi" count 0.1 m, anything else 0.1 km).
double DistanceFieldKm(std::int32_t field, const SorFxdParams& fxd);

/// Km of the FxdParams acquisition range distance field. Instruments fill it in conventions of their
/// own, so only a file without the range time relies on it.
double AcquisitionRangeDistanceKm(const SorFxdParams& fxd);

/// What the acquisition range of a trace is made of.
struct AcquisitionRangeFields {
  std::int32_t rangeTime = 0;        // FxdParams acquisition range, 100 ps
  double rangeDistanceKm = 0.0;      // AcquisitionRangeDistanceKm of the file
  std::int32_t groupIndexField = 0;  // group index x 100,000
};

/// The distance (km) a trace's acquisition covers, as every view shows it and the analysis is given
/// it: the range time converted as a duration (the offsets move where it starts, not how long it
/// is); the distance field only when the time is 0; 0 ("Auto") when both are.
double AcquisitionRangeKm(const AcquisitionRangeFields& fields);

/// AcquisitionRangeKm of a record's fields.
double AcquisitionRangeKm(const SorRecord& record);

/// The value with three decimals ("%6.3f" without the blanks the width adds).
std::string FormatFixed3(double value);

/// The value with five decimals ("%7.5f" without the blanks the width adds).
std::string FormatFixed5(double value);
