#include "traceview/trace_db.h"

#include <algorithm>

#include "platform/message_sink.h"
#include "platform/saturate.h"
#include "sor/sor_record.h"
#include "trace/trace_conversions.h"

namespace {

constexpr std::uint16_t kNoNoiseFloor = 65000;

}  // namespace

TraceDbRange DbRangeOf(std::span<const double> db, std::uint16_t noiseFloor) {
  TraceDbRange range;
  // Both bounds start from 0 dB and a value that lowers the minimum is not tested against the
  // maximum: the plot's top and bottom have always been found this way.
  for (const double value : db) {
    if (value < range.minDb) {
      range.minDb = value;
    } else if (value > range.maxDb) {
      range.maxDb = value;
    }
  }
  if (noiseFloor < kNoNoiseFloor && lumivane::TruncToInt32(1000.0 * range.maxDb) < noiseFloor) {
    range.maxDb = noiseFloor / 1000.0;
  }
  range.spanDb = range.maxDb - range.minDb;
  return range;
}

TraceDbRange ConvertSamplesToDb(std::span<const std::uint16_t> samples, std::int16_t scaleFactor,
                                std::uint16_t noiseFloor, std::span<double> db) {
  const std::size_t n = std::min(samples.size(), db.size());
  for (std::size_t i = 0; i < n; ++i) db[i] = SampleToDb(samples[i], scaleFactor);
  return DbRangeOf(db.first(n), noiseFloor);
}

int ConvertTraceToDb(int /*kind*/, const SorRecord& record, double fibreLengthKm, int n, std::span<double> db,
                     double& rangeKm, double& minDb, double& maxDb, double& spanDb) {
  const SorTraceData& trace = record.DataPts.Traces[0];
  const std::size_t count = static_cast<std::size_t>(std::clamp(n, 0, StoredPointCount(trace)));
  const TraceDbRange range = ConvertSamplesToDb(std::span<const std::uint16_t>(trace.Samples.data(), count),
                                                trace.ScaleFactor, record.FxdParams.NoiseFloorLevel, db);
  rangeKm = fibreLengthKm;
  minDb = range.minDb;
  maxDb = range.maxDb;
  spanDb = range.spanDb;
  return 1;
}

float GetDistanceFromRecords(int kind, const SorRecord& record, double fibreLengthKm, int index) {
  if (kind != 0) {
    lumivane::ShowMessage("GetDistance_Position");
    return 0.0f;
  }
  const int count = record.DataPts.Traces[0].PointCount;
  if (count < 2) return 0.0f;
  return DistanceFromUserZero(index * fibreLengthKm / (count - 1), record);
}
