#include "reports/print_file_reading.h"

#include <algorithm>
#include <memory>

#include "document/display_model.h"
#include "document/trace_display_model.h"
#include "document/trace_file_bytes.h"
#include "sor/sor_reader.h"
#include "sor/sor_text.h"
#include "trace/trace_conversions.h"
#include "traceview/trace_db.h"
#include "vocabulary/length_unit.h"

bool HoldsTrace(const SorRecord& record) { return record.DataPts.Traces[0].PointCount > 0; }

PrintFileRead ReloadTraceForPrint(const std::string& path, TraceDisplayModel& work) {
  const TraceFileBytes file = ReadTraceFileBytes(path);
  if (file.failure >= 0) return {};
  // Parsed apart, so a file that fails half way leaves the work trace whole.
  auto record = std::make_unique<SorRecord>();
  if (ReadSorImage(file.bytes, *record) != SorReadResult::kOk || !HoldsTrace(*record)) return {};
  work.m_SorRecord = std::move(*record);
  SorRecord& r = work.m_SorRecord;
  LoadDisplayModel(kSorFileKind, r, DisplayModelInputs{r.UserName.DistanceCorrection, 0.0, 0.0},
                   DisplayModelTargetOf(work));
  const int points = std::clamp(work.m_nPointCount, 0, kSorMaxSamples);
  PrintFileRead result{true};
  double rangeKm = 0.0, span = 0.0;
  ConvertTraceToDb(kSorFileKind, r, work.m_dFibreLengthKm, points, work.m_DbSamples.Values, rangeKm, result.lowestDb,
                   result.highestDb, span);
  return result;
}

void ApplyFileLengthUnit(const SorRecord& record) {
  const std::u16string_view units = SorTextView(record.FxdParams.DistanceUnits);
  if (SorTextEquals(units, "mi")) {
    SetLengthUnit("mi");
  } else if (SorTextEquals(units, "ft")) {
    SetLengthUnit("kft");
  } else if (SorTextEquals(units, "mt")) {
    SetLengthUnit("km");
  }
}
