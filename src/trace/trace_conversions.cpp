#include "trace/trace_conversions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/message_sink.h"
#include "platform/number_format.h"
#include "platform/saturate.h"
#include "sor/sor_record.h"
#include "sor/sor_text.h"

double SampleToDb(std::uint16_t sample, std::int16_t scaleFactor) {
  return static_cast<double>(sample) / (scaleFactor == 0 ? kFallbackScaleFactor : scaleFactor);
}

double StoredSampleDb(const SorRecord& record, int index) {
  const SorTraceData& trace = record.DataPts.Traces[0];
  if (index < 0 || static_cast<std::size_t>(index) >= trace.Samples.size()) return 0.0;
  return SampleToDb(trace.Samples[static_cast<std::size_t>(index)], trace.ScaleFactor);
}

std::int32_t FirstDecimalRound(double quotient) {
  const float f = static_cast<float>(quotient);
  // Beyond the i32 range there is no index to give; such quotients come from broken records.
  constexpr float kLimit = 2147483648.0f;
  if (!std::isfinite(f) || f >= kLimit || f < -kLimit) return 0;
  const auto whole = static_cast<std::int64_t>(f);
  // Tenths in 64 bits: f x 10 overflows 32 bits from 2.1e8 on. The product is exact in double.
  const auto tenths = static_cast<std::int64_t>(static_cast<double>(f) * 10.0);
  const std::int64_t digit = tenths % 10;
  const std::int64_t rounded = digit >= 5 ? whole + 1 : whole;
  return static_cast<std::int32_t>(rounded);
}

float RoundHalfUp(float value, int decimals) {
  float scaled = value;
  for (int i = 0; i < decimals; ++i) scaled = scaled * 10.0f;
  scaled = static_cast<float>(std::floor(static_cast<double>(scaled) + 0.5));
  for (int i = 0; i < decimals; ++i) scaled = scaled / 10.0f;
  return scaled;
}

std::int32_t ToThousandths(float value) {
  // The product of a float and 10,000 is exact in double, so the truncation sees the float's true value.
  const double tenThousandths = std::trunc(static_cast<double>(value) * 10000.0);
  if (!std::isfinite(tenThousandths)) return 0;
  constexpr double kBeyondInt32 = 1e11;
  if (std::fabs(tenThousandths) >= kBeyondInt32) return lumivane::TruncToInt32(tenThousandths / 10.0);
  const auto a = static_cast<std::int64_t>(tenThousandths);
  const std::int64_t lastDigit = a % 10;
  std::int64_t result = a / 10;
  if (value < 0.0f && lastDigit <= -5) result -= 1;
  if (value >= 0.0f && lastDigit >= 5) result += 1;
  return lumivane::TruncToInt32(static_cast<double>(result));
}

float DistanceOfIndex(std::int32_t index, std::int32_t dataPoints, double fibreLengthKm) {
  if (dataPoints < 2) return 0.0f;
  const float distance =
      static_cast<float>(static_cast<double>(index) * fibreLengthKm / (static_cast<double>(dataPoints) - 1));
  return std::isfinite(distance) ? distance : 0.0f;
}

std::int32_t IndexOfDistance(float distanceKm, std::int32_t dataPoints, double fibreLengthKm,
                             std::int32_t pointCount) {
  if (fibreLengthKm == 0.0 || pointCount <= 0) return 0;
  const double quotient = (static_cast<double>(dataPoints) - 1) * distanceKm / fibreLengthKm;
  if (std::isnan(quotient)) return 0;
  // A distance far past the trace still means its last sample, however large the quotient.
  std::int32_t index = FirstDecimalRound(quotient);
  if (quotient >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    index = std::numeric_limits<std::int32_t>::max();
  }
  if (index > pointCount - 1) index = pointCount - 1;
  if (index < 0) index = 0;
  return index;
}

std::int32_t IndexOfTime(std::int32_t timeOfFlight, std::int32_t dataSpacing) {
  const float spacing = static_cast<float>(dataSpacing / kDataSpacingDivisor);
  if (spacing == 0.0f) return 0;
  return FirstDecimalRound(static_cast<double>(timeOfFlight) / spacing);
}

float DistanceOfTime(std::int32_t timeOfFlight, std::int32_t groupIndexField) {
  if (groupIndexField == 0) return 0.0f;
  const float distance =
      static_cast<float>(timeOfFlight * (kSpeedOfLightFactor / static_cast<double>(groupIndexField)));
  return std::isfinite(distance) ? distance : 0.0f;
}

std::int32_t TimeOfDistance(float distanceKm, std::int32_t groupIndexField) {
  if (groupIndexField == 0) return 0;
  return FirstDecimalRound(distanceKm / (kSpeedOfLightFactor / static_cast<double>(groupIndexField)));
}

namespace {

/// Time (0.1 ns) from the first sample to the front panel, in 64 bits: the fields can be any values.
std::int64_t FrontPanelTime(const SorFxdParams& fxd) {
  return fxd.FrontPanelOffset != 0 ? fxd.FrontPanelOffset : -static_cast<std::int64_t>(fxd.AcquisitionOffset);
}

/// Time (0.1 ns) from the first sample to the last, or nothing where the trace has no extent.
std::optional<double> TraceExtentTime(const SorRecord& record) {
  const std::int32_t points = StoredPointCount(record.DataPts.Traces[0]);
  const std::int32_t spacing = record.FxdParams.DataSpacing[0];
  if (points < 2 || spacing <= 0) return std::nullopt;
  return (points - 1) * (spacing / kDataSpacingDivisor);
}

/// Whether `zero`, counted like `front` from the first sample, lies on the trace of `extent`: from
/// its first sample to its last, stretched to the front panel where that lies beyond either.
bool OnTrace(double zero, double front, double extent) {
  return zero >= std::min(0.0, front) && zero <= std::max(extent, front);
}

/// Time (0.1 ns) from the first sample to the zero the user offset places, in 64 bits.
std::int64_t UserOffsetZeroTime(const SorRecord& record) {
  return FrontPanelTime(record.FxdParams) + record.GenParams.UserOffset;
}

/// Whether the user offset puts the zero on the trace; a trace without extent cannot tell.
bool UserOffsetOnTrace(const SorRecord& record) {
  const std::optional<double> extent = TraceExtentTime(record);
  if (!extent) return true;
  return OnTrace(static_cast<double>(UserOffsetZeroTime(record)), static_cast<double>(FrontPanelTime(record.FxdParams)),
                 *extent);
}

/// Whether the user offset distance puts the zero on the trace, measured in km. Where the user offset
/// places the zero, that decides: the distance field's unit is the instrument's own convention.
bool UserOffsetDistanceOnTrace(const SorRecord& record) {
  const SorFxdParams& fxd = record.FxdParams;
  const std::optional<double> extent = TraceExtentTime(record);
  if (record.GenParams.UserOffset != 0 || !extent || fxd.GroupIndex <= 0) return true;
  const double kmPerTime = kSpeedOfLightFactor / fxd.GroupIndex;
  const double front = static_cast<double>(FrontPanelTime(fxd)) * kmPerTime;
  const double zero = front + DistanceFieldKm(record.GenParams.UserOffsetDistance, fxd);
  return OnTrace(zero, front, *extent * kmPerTime);
}

}  // namespace

bool UserZeroOnTrace(const SorRecord& record) {
  return UserOffsetOnTrace(record) && UserOffsetDistanceOnTrace(record);
}

std::int32_t UserZeroShift(const SorRecord& record) {
  // A damaged user offset would put every distance thousands of kilometres away.
  if (!UserOffsetOnTrace(record)) return 0;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(UserOffsetZeroTime(record),
                                                            std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

std::int32_t TimeFromFirstSample(std::int32_t fileTime, const SorRecord& record) {
  return lumivane::SaturatedSum(fileTime, UserZeroShift(record));
}

std::int32_t TimeToIndex(std::int32_t timeOfFlight, const SorRecord& record) {
  return IndexOfTime(TimeFromFirstSample(timeOfFlight, record), record.FxdParams.DataSpacing[0]);
}

float TimeToDistance(std::int32_t timeOfFlight, const SorRecord& record) {
  return DistanceOfTime(timeOfFlight, record.FxdParams.GroupIndex);
}

std::int32_t DistanceToFileTime(float distanceKm, const SorRecord& record) {
  return TimeOfDistance(distanceKm, record.FxdParams.GroupIndex);
}

double UserZeroDistanceKm(const SorRecord& record) {
  return DistanceOfTime(UserZeroShift(record), record.FxdParams.GroupIndex);
}

float DistanceFromUserZero(double fromFirstSampleKm, const SorRecord& record) {
  // Without offsets this is the distance itself, to the last bit.
  const double origin = UserZeroDistanceKm(record);
  return static_cast<float>(origin == 0.0 ? fromFirstSampleKm : fromFirstSampleKm - origin);
}

double DistanceFromFirstSample(double fromUserZeroKm, const SorRecord& record) {
  return fromUserZeroKm + UserZeroDistanceKm(record);
}

float GetDistance_Position(std::int32_t index, std::int32_t fileKind, const SorRecord& record,
                           double fibreLengthKm) {
  if (fileKind != kSorFileKind) {
    lumivane::ShowMessage("GetDistance_Position");
    return 0.0f;
  }
  return DistanceFromUserZero(DistanceOfIndex(index, record.DataPts.Traces[0].PointCount, fibreLengthKm), record);
}

std::int32_t IndexOfShownDistance(float distanceKm, const SorRecord& record, double fibreLengthKm,
                                  std::int32_t pointCount) {
  return IndexOfDistance(static_cast<float>(DistanceFromFirstSample(distanceKm, record)),
                         record.DataPts.Traces[0].PointCount, fibreLengthKm, pointCount);
}

double DistanceFieldKm(std::int32_t field, const SorFxdParams& fxd) {
  const double distance = field / 10.0;
  const std::u16string_view units = SorTextView(fxd.DistanceUnits);
  const bool metresOrFeet = units == u"mt" || units == u"ft" || units == u"kf" || units == u"mi";
  return metresOrFeet ? distance / 1000.0 : distance;
}

double AcquisitionRangeDistanceKm(const SorFxdParams& fxd) { return DistanceFieldKm(fxd.AcquisitionRangeDistance, fxd); }

double AcquisitionRangeKm(const AcquisitionRangeFields& fields) {
  if (fields.rangeTime == 0) return fields.rangeDistanceKm;
  return DistanceOfTime(fields.rangeTime, fields.groupIndexField);
}

double AcquisitionRangeKm(const SorRecord& record) {
  const SorFxdParams& fxd = record.FxdParams;
  return AcquisitionRangeKm(AcquisitionRangeFields{fxd.AcquisitionRange, AcquisitionRangeDistanceKm(fxd), fxd.GroupIndex});
}

namespace {

std::string WithoutLeadingBlanks(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

}  // namespace

std::string FormatFixed3(double value) { return WithoutLeadingBlanks(lumivane::Format("%6.3f", value)); }

std::string FormatFixed5(double value) { return WithoutLeadingBlanks(lumivane::Format("%7.5f", value)); }
