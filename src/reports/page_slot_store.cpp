#include "reports/page_slot_store.h"

#include <algorithm>

#include "document/otdr_doc.h"
#include "measure/marker_measurements.h"
#include "panes/event_table_cells.h"
#include "reports/multi_trace_layout.h"
#include "reports/print_file_reading.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

int FirstPulsePoints(const SorRecord& record) { return record.FxdParams.DataPointCounts[0]; }

void ClearCell(PageSlot& slot) {
  ReleaseOwnedSamples(slot);
  slot.InfoText = {};
  slot.Samples = nullptr;
  slot.SampleCount = 0;
  slot.EventRows = {};
  slot.EventCount = 0;
  slot.LengthKm = 0.0;
}

// Whether `trace` is the one the document shows.
bool IsOnScreen(const COtdrDoc* shown, const TraceRecord& trace) {
  return shown != nullptr && shown->HasTrace() && shown->m_strTracePath == trace.m_strPath;
}

}  // namespace

int FillTraceSlots(PageSlotStore& store, const std::vector<std::unique_ptr<TraceRecord>>& traces,
                   const BatchPrintState& batch, const COtdrDoc* shown) {
  int s = 0;
  store.m_PageSlots.clear();
  if (batch.Active == 1) {
    const int files = std::min(batch.FileCount, static_cast<int>(batch.FileNames.size()));
    const int count = std::min(files, kPageSlotCount);
    store.m_PageSlots.resize(static_cast<std::size_t>(count));
    for (; s < count; ++s) {
      PageSlot& slot = store.m_PageSlots[static_cast<std::size_t>(s)];
      slot.Title = batch.FileNames[static_cast<std::size_t>(s)];
      slot.Used = 1;
    }
    for (int j = count; j < files; ++j) store.m_UnreadFiles.push_back(batch.Folder + batch.FileNames[static_cast<std::size_t>(j)]);
    store.m_nSlotCount = s;
    return s;
  }
  store.m_PageSlots.resize(std::min(traces.size(), static_cast<std::size_t>(kPageSlotCount)));
  for (const auto& trace : traces) {
    if (s >= kPageSlotCount) break;
    const TraceDisplayModel& model = trace->m_Model;
    // The trace the document shows is printed as it is on screen: its markers, its edited header
    // and events. Every other loaded trace as it comes up when chosen.
    const bool onScreen = IsOnScreen(shown, *trace);
    const SorRecord& record = onScreen ? shown->m_SorRecord : model.m_SorRecord;
    const LinkSummaryRecord& link = onScreen ? shown->m_LinkSummary : model.m_LinkSummary;
    const std::span<const EventRow> rows = onScreen ? EventRowsInUse(shown->m_EventRows, shown->m_nEventCount)
                                                    : EventRowsInUse(model.m_EventRows, model.m_nEventCount);
    const std::span<const double> measured = onScreen ? LeadingDbSamples(shown->m_DbSamples, shown->m_nPointCount)
                                                      : LeadingDbSamples(model.m_DbSamples, model.m_nPointCount);
    const int markerA = onScreen ? shown->m_MarkerState.MarkerA : model.m_nCursorA;
    const int markerB = onScreen ? shown->m_MarkerState.MarkerB : model.m_nCursorB;
    const int active = onScreen ? shown->m_MarkerState.ActiveMarker : store.m_nPrintActiveMarker;

    PageSlot& slot = store.m_PageSlots[static_cast<std::size_t>(s)];
    const int points = static_cast<int>(LeadingDbSamples(model.m_DbSamples, model.m_nPointCount).size());
    ReleaseOwnedSamples(slot);
    slot.ModuleNumber = ModuleNumberOf(record);
    slot.LengthKm = model.m_dFibreLengthKm;
    slot.UserZeroKm = UserZeroDistanceKm(record);
    slot.Samples = model.m_DbSamples.Values.data();
    slot.SampleCount = points;
    slot.CeilingLevel = model.m_dDbCeiling;
    slot.LowestLevel = ComputeLowestLevel(record, points);
    slot.FilePointCount = FirstPulsePoints(record);
    slot.EventRows = rows;
    slot.EventCount = static_cast<int>(rows.size());
    store.m_strSlotFileName = FillPageSlotInfo(slot, record, onScreen ? shown->m_FibreParams : model.m_FibreParams,
                                               onScreen ? shown->m_TraceDateTime : model.m_TraceDateTime,
                                               trace->m_strPath);
    slot.DbOffset = trace->m_dOffsetDb;
    slot.ColourIndex = trace->m_nColourIndex;
    slot.ActiveMarker = active;

    const int event = FindEventAtMarkerIndex(slot.LengthKm, slot.UserZeroKm, slot.EventRows, slot.EventCount,
                                             slot.FilePointCount, points, markerA, markerB, active);
    slot.InfoText[13] = InsertionLossLine(event, record);
    FormatCellMeasurements(slot, {slot.LengthKm, markerA, markerB, active, &record, &link,
                                  static_cast<int>(measured.size()), measured});
    ++s;
  }
  store.m_nSlotCount = s;
  return s;
}

int FillEventTableSlots(PageSlotStore& store, const std::vector<std::unique_ptr<TraceRecord>>& traces,
                        const BatchPrintState& batch, TraceDisplayModel& work, const COtdrDoc* shown) {
  const auto full = [&store] { return store.m_PageSlots.size() >= static_cast<std::size_t>(kPageSlotCount); };
  // The cells print what the event table shows; they mark no failed value, so no limit is judged.
  static const PassFailThresholds kNoLimits{};
  // False when the slots ran out before the last of the rows.
  const auto addEventCells = [&store, &full](std::span<const EventRow> rows, int endRow, const SorRecord& record,
                                             const std::string& title) {
    const EventTableView table = ComputeEventTable({rows, endRow, record, kNoLimits}, g_LengthUnitFactor);
    const int total = static_cast<int>(table.rows.size());
    for (int c = 0; c < EventCellsFor(total); ++c) {
      if (full()) return false;
      PageSlot& cell = store.m_PageSlots.emplace_back();
      FillPageSlotEvents(cell, c * kSlotEventRows, (c + 1) * kSlotEventRows, table, title, total);
    }
    return true;
  };
  if (batch.Active == 1) {
    store.m_PageSlots.clear();
    const int files = std::min(batch.FileCount, static_cast<int>(batch.FileNames.size()));
    for (int j = 0; j < files; ++j) {
      const std::string& name = batch.FileNames[static_cast<std::size_t>(j)];
      const std::string path = batch.Folder + name;
      // A file the slots cannot hold whole is named with the files that were not printed.
      if (full()) {
        store.m_UnreadFiles.push_back(path);
        continue;
      }
      store.m_strPrintFilePath = path;
      if (!ReloadTraceForPrint(path, work).read) {
        store.m_UnreadFiles.push_back(path);
        continue;
      }
      ApplyFileLengthUnit(work.m_SorRecord);
      PageSlot& trace = store.m_PageSlots.emplace_back();
      trace.Title = name;
      trace.Used = 1;
      if (!addEventCells(EventRowsInUse(work.m_EventRows, work.m_nEventCount), work.m_nEndEventRow, work.m_SorRecord,
                         name)) {
        store.m_UnreadFiles.push_back(path);
      }
    }
  } else {
    FillTraceSlots(store, traces, batch, shown);
    std::vector<PageSlot> traceSlots = std::move(store.m_PageSlots);
    store.m_PageSlots.clear();
    for (std::size_t t = 0; t < traceSlots.size() && store.m_PageSlots.size() < kPageSlotCount; ++t) {
      // The rows the trace cell shows: the screen's for the trace on screen.
      const std::span<const EventRow> rows = traceSlots[t].EventRows;
      const TraceDisplayModel& model = traces[t]->m_Model;
      const bool onScreen = IsOnScreen(shown, *traces[t]);
      store.m_PageSlots.push_back(std::move(traceSlots[t]));
      addEventCells(rows, onScreen ? shown->m_nEndEventRow : model.m_nEndEventRow,
                    onScreen ? shown->m_SorRecord : model.m_SorRecord, std::string(SlotFileName(traces[t]->m_strPath)));
    }
  }
  store.m_nSlotCount = static_cast<int>(store.m_PageSlots.size());
  return store.m_nSlotCount;
}

bool FillBatchCell(PageSlotStore& store, int index, const BatchPrintState& batch, TraceDisplayModel& work) {
  if (index < 0 || index >= static_cast<int>(store.m_PageSlots.size())) return false;
  PageSlot& slot = store.m_PageSlots[static_cast<std::size_t>(index)];
  const std::string path = batch.Folder + slot.Title;
  store.m_strPrintFilePath = path;
  const PrintFileRead read = ReloadTraceForPrint(path, work);
  if (!read.read) {
    // Describing whatever the work trace held before under this file's name
    // would be a wrong report; the cell says the file could not be read
    // instead.
    ClearCell(slot);
    slot.Used = 1;
    slot.InfoText[0] = g_CurrentStrings[231] + " : " + std::string(SlotFileName(path));
    slot.InfoText[1] = g_CurrentStrings[TextRow::ReadFileFailed];
    store.m_strSlotFileName = std::string(SlotFileName(path));
    store.m_UnreadFiles.push_back(path);
    return false;
  }
  SorRecord& record = work.m_SorRecord;
  ApplyFileLengthUnit(record);
  const std::span<const double> samples = LeadingDbSamples(work.m_DbSamples, work.m_nPointCount);
  const int points = static_cast<int>(samples.size());
  auto owned = std::make_shared<DbSampleArray>();
  owned->Values.assign(samples.begin(), samples.end());

  ReleaseOwnedSamples(slot);
  slot.LengthKm = work.m_dFibreLengthKm;
  slot.UserZeroKm = UserZeroDistanceKm(record);
  slot.OwnedSamples = owned;
  slot.Samples = owned->Values.data();
  slot.SampleCount = points;
  slot.CeilingLevel = read.highestDb;
  slot.LowestLevel = read.lowestDb;
  slot.FilePointCount = FirstPulsePoints(record);
  slot.EventRows = EventRowsInUse(work.m_EventRows, work.m_nEventCount);
  slot.EventCount = static_cast<int>(slot.EventRows.size());
  slot.ModuleNumber = ModuleNumberOf(record);
  slot.ActiveMarker = store.m_nPrintActiveMarker;
  store.m_strSlotFileName = FillPageSlotInfo(slot, record, work.m_FibreParams, work.m_TraceDateTime, path);

  const int event = FindEventAtMarkerIndex(slot.LengthKm, slot.UserZeroKm, slot.EventRows, slot.EventCount, slot.FilePointCount, points,
                                           work.m_nCursorA, work.m_nCursorB, store.m_nPrintActiveMarker);
  slot.InfoText[13] = InsertionLossLine(event, record);
  FormatCellMeasurements(
      slot, {slot.LengthKm, work.m_nCursorA, work.m_nCursorB, store.m_nPrintActiveMarker, &record, &work.m_LinkSummary,
             points, work.m_DbSamples.Values});
  return true;
}
