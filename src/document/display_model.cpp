#include "document/display_model.h"

#include <algorithm>
#include <cmath>

#include "document/display_model_events.h"
#include "document/display_model_params.h"
#include "document/display_model_time.h"
#include "platform/saturate.h"
#include "trace/trace_conversions.h"

namespace {

/// Samples on either side of a marker that its aux-marker windows span.
constexpr std::int32_t kAuxWindowSpan = 500;
/// Start of the search for the largest dB value.
constexpr double kLowestDb = -99999.9;
/// How far the largest sample may rise above the noise floor before it becomes the ceiling.
constexpr double kCeilingMarginDb = 6.0;

/// Samples in dB, as many as the points; returns the largest value written.
double FillDbSamples(const SorTraceData& trace, std::int32_t pointCount, DbSampleArray& out) {
  double largest = kLowestDb;
  out.Values.resize(static_cast<std::size_t>(pointCount));
  for (std::int32_t i = 0; i < pointCount; ++i) {
    const double value = SampleToDb(trace.Samples[i], trace.ScaleFactor);
    out.Values[i] = value;
    largest = std::max(largest, value);
  }
  return largest;
}

void SeatAuxWindows(std::int32_t marker, std::int32_t pointCount, AuxMarker (&reflectance)[3], AuxMarker (&loss)[4]) {
  const std::int32_t before = marker <= kAuxWindowSpan ? 0 : marker - kAuxWindowSpan;
  const std::int32_t after = marker + kAuxWindowSpan > pointCount ? pointCount : marker + kAuxWindowSpan;
  loss[0].SampleIndex = before;
  loss[1].SampleIndex = marker;
  loss[2].SampleIndex = marker;
  loss[3].SampleIndex = after;
  reflectance[0].SampleIndex = before;
  reflectance[1].SampleIndex = marker;
  reflectance[2].SampleIndex = marker;
}

}  // namespace

void LoadDisplayModel(std::int32_t fileKind, SorRecord& record, const DisplayModelInputs& inputs,
                      const DisplayModelTarget& target) {
  if (fileKind != kSorFileKind) return;
  const SorFxdParams& fxd = record.FxdParams;
  const SorUserName& user = record.UserName;

  *target.dateTime = TraceDateTimeOf(fxd.DateTime);
  const std::int32_t points = FirstTracePointCount(record);
  *target.pointCount = points;
  *target.eventCount = KeyEventCountOf(record);

  std::int32_t cursorA = user.StoredCursorA;
  std::int32_t cursorB = user.StoredCursorB;
  if (cursorA < 0 || cursorB < 0) {
    const std::int32_t fifth = record.DataPts.TotalPointCount / 5;
    cursorA = fifth;
    cursorB = 2 * fifth;
  }

  const double fibreLength = FibreLengthKm(points, fxd.GroupIndex, fxd.DataSpacing[0]);
  *target.fibreLengthKm = fibreLength;
  *target.acquisitionRangeKm = AcquisitionRangeKm(record);

  const double largest = FillDbSamples(record.DataPts.Traces[0], points, *target.dbSamples);
  double ceiling = fxd.NoiseFloorLevel / 1000.0;
  if (ceiling + kCeilingMarginDb < largest) ceiling = largest;
  *target.dbCeiling = ceiling;

  if (std::min(inputs.markerADistanceKm, inputs.markerBDistanceKm) > fibreLength) {
    cursorA = fxd.DataPointCounts[0];
    cursorB = fxd.DataPointCounts[0];
  }
  // Stored cursors, the total point count and the FxdParams count can all lie past this trace.
  cursorA = lumivane::ClampIndex(cursorA, points);
  cursorB = lumivane::ClampIndex(cursorB, points);
  *target.cursorA = cursorA;
  *target.cursorB = cursorB;

  BuildFibreParams(fileKind, record, *target.fibreParams, *target.acquisitionRangeKm);
  BuildLinkSummary(fileKind, record, *target.linkSummary, points, fibreLength, inputs.distanceCorrection);
  BuildEventTable(fileKind, record, target.eventRows, *target.eventCount, *target.endEventRow, points,
                  *target.dbSamples, fibreLength, inputs.distanceCorrection);

  SeatAuxWindows(cursorA, points, target.reflectanceAuxMarkers[0], target.lossAuxMarkers[0]);
  SeatAuxWindows(cursorB, points, target.reflectanceAuxMarkers[1], target.lossAuxMarkers[1]);
  *target.analysisMode = 0;
  *target.lockAB = 0;
}
