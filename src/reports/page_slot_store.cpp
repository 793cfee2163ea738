#include "reports/page_slot_store.h"

#include <algorithm>

#include "analysis/marker_measurements.h"
#include "app/length_unit.h"
#include "app/text_rows.h"
#include "app/text_table.h"
#include "document/display_model.h"
#include "document/sor_reader.h"
#include "document/sor_text.h"
#include "document/trace_conversions.h"
#include "document/trace_file_bytes.h"
#include "traceview/trace_db.h"

namespace {

int FirstPulsePoints(const SorRecord& record) { return record.FxdParams.DataPointCounts[0]; }

std::span<const EventRow> RowsOf(const TraceDisplayModel& model) {
  return {model.m_EventRows, static_cast<std::size_t>(std::clamp(model.m_nEventCount, 0, kMaxEventRows))};
}

void ApplyFileLengthUnit(const SorRecord& record) {
  const std::u16string_view units = SorTextView(record.FxdParams.DistanceUnits);
  if (SorTextEquals(units, "mi"))
    SetLengthUnit("mi");
  else if (SorTextEquals(units, "ft"))
    SetLengthUnit("kft");
  else if (SorTextEquals(units, "mt"))
    SetLengthUnit("km");
}

bool ReadIntoWorkTrace(const std::string& path, TraceDisplayModel& work) {
  const TraceFileBytes file = ReadTraceFileBytes(path);
  if (file.failure >= 0) return false;
  return ReadSorImage(file.bytes, work.m_SorRecord) == SorReadResult::kOk;
}

void ClearCell(PageSlot& slot) {
  ReleaseOwnedSamples(slot);
  slot.InfoText = {};
  slot.Samples = nullptr;
  slot.SampleCount = 0;
  slot.EventRows = {};
  slot.EventCount = 0;
  slot.LengthKm = 0.0;
}

}  // namespace

std::pair<int, int> CellMarkers(int storedA, int storedB, int filePointCount, int pointCount) {
  if (storedA < 0 || storedB < 0) return {filePointCount / 5, 2 * (filePointCount / 5)};
  if (storedA >= pointCount || storedB >= pointCount) return {pointCount / 5, 2 * (pointCount / 5)};
  return {storedA, storedB};
}

int FillTraceSlots(PageSlotStore& store, const std::vector<std::unique_ptr<TraceRecord>>& traces,
                   const BatchPrintState& batch) {
  int s = 0;
  if (batch.Active == 1) {
    const int count = std::min({batch.FileCount, static_cast<int>(batch.FileNames.size()), kPageSlotCount});
    for (; s < count; ++s) {
      PageSlot& slot = store.m_PageSlots[static_cast<std::size_t>(s)];
      slot.Title = batch.FileNames[static_cast<std::size_t>(s)];
      slot.Used = 1;
    }
    store.m_nSlotCount = s;
    return s;
  }
  for (const auto& trace : traces) {
    if (s >= kPageSlotCount) break;
    const TraceDisplayModel& model = trace->m_Model;
    const SorRecord& record = model.m_SorRecord;
    PageSlot& slot = store.m_PageSlots[static_cast<std::size_t>(s)];
    const int points = static_cast<int>(LeadingDbSamples(model.m_DbSamples, model.m_nPointCount).size());
    ReleaseOwnedSamples(slot);
    slot.LengthKm = model.m_dFibreLengthKm;
    slot.Samples = model.m_DbSamples.Values.data();
    slot.SampleCount = points;
    slot.CeilingLevel = model.m_dDbCeiling;
    slot.LowestLevel = ComputeLowestLevel(record, points);
    slot.FilePointCount = FirstPulsePoints(record);
    slot.EventRows = RowsOf(model);
    slot.EventCount = static_cast<int>(slot.EventRows.size());
    store.m_strSlotFileName =
        FillPageSlotInfo(slot, record, model.m_FibreParams, model.m_TraceDateTime, trace->m_strPath);
    slot.DbOffset = trace->m_dOffsetDb;

    const int storedA = record.UserName.StoredCursorA;
    const int storedB = record.UserName.StoredCursorB;
    const int event = storedA == -1
                          ? FindEventAtMarker(slot.LengthKm, slot.EventRows, slot.EventCount, slot.FilePointCount,
                                              points, store.m_nPrintActiveMarker)
                          : FindEventAtMarkerIndex(slot.LengthKm, slot.EventRows, slot.EventCount, slot.FilePointCount,
                                                   points, storedA, storedB, store.m_nPrintActiveMarker);
    slot.InfoText[13] = InsertionLossLine(event, record);

    const auto [a, b] = CellMarkers(storedA, storedB, slot.FilePointCount, points);
    FormatCellMeasurements(slot, {slot.LengthKm, a, b, store.m_nPrintActiveMarker, &record, &model.m_LinkSummary,
                                  points, model.m_DbSamples.Values});
    ++s;
  }
  store.m_nSlotCount = s;
  return s;
}

bool FillBatchCell(PageSlotStore& store, int index, const BatchPrintState& batch, TraceDisplayModel& work) {
  if (index < 0 || index >= kPageSlotCount) return false;
  PageSlot& slot = store.m_PageSlots[static_cast<std::size_t>(index)];
  const std::string path = batch.Folder + slot.Title;
  store.m_strPrintFilePath = path;
  if (!ReadIntoWorkTrace(path, work)) {
    // Describing whatever the work trace held before under this file's name
    // would be a wrong report; the cell says the file could not be read
    // instead.
    ClearCell(slot);
    slot.Used = 1;
    slot.InfoText[0] = g_CurrentStrings[231] + " : " + std::string(SlotFileName(path));
    slot.InfoText[1] = g_CurrentStrings[TextRow::ReadFileFailed];
    store.m_strSlotFileName = std::string(SlotFileName(path));
    return false;
  }
  SorRecord& record = work.m_SorRecord;
  ApplyFileLengthUnit(record);
  LoadDisplayModel(kSorFileKind, record, DisplayModelInputs{record.UserName.DistanceCorrection, 0.0, 0.0},
                   DisplayModelTargetOf(work));
  const int points = static_cast<int>(LeadingDbSamples(work.m_DbSamples, work.m_nPointCount).size());
  auto owned = std::make_shared<DbSampleArray>();
  owned->Values.resize(static_cast<std::size_t>(points));
  double rangeKm = 0.0, lowest = 0.0, highest = 0.0, span = 0.0;
  ConvertTraceToDb(kSorFileKind, record, work.m_dFibreLengthKm, points, owned->Values, rangeKm, lowest, highest, span);
  std::copy_n(work.m_DbSamples.Values.begin(), points, owned->Values.begin());

  ReleaseOwnedSamples(slot);
  slot.LengthKm = work.m_dFibreLengthKm;
  slot.OwnedSamples = owned;
  slot.Samples = owned->Values.data();
  slot.SampleCount = points;
  slot.CeilingLevel = highest;
  slot.LowestLevel = lowest;
  slot.FilePointCount = FirstPulsePoints(record);
  slot.EventRows = RowsOf(work);
  slot.EventCount = static_cast<int>(slot.EventRows.size());
  store.m_strSlotFileName = FillPageSlotInfo(slot, record, work.m_FibreParams, work.m_TraceDateTime, path);

  const int event = FindEventAtMarkerIndex(slot.LengthKm, slot.EventRows, slot.EventCount, slot.FilePointCount, points,
                                           work.m_nCursorA, work.m_nCursorB, store.m_nPrintActiveMarker);
  slot.InfoText[13] = InsertionLossLine(event, record);
  FormatCellMeasurements(
      slot, {slot.LengthKm, work.m_nCursorA, work.m_nCursorB, store.m_nPrintActiveMarker, &record, &work.m_LinkSummary,
             points, work.m_DbSamples.Values});
  return true;
}

void ReleasePageSlots(PageSlotStore& store) {
  for (PageSlot& slot : store.m_PageSlots) ReleaseOwnedSamples(slot);
}
