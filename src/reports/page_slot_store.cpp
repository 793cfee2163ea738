#include "reports/page_slot_store.h"

#include <algorithm>

#include "document/otdr_doc.h"
#include "measure/marker_measurements.h"
#include "panes/event_table_cells.h"
#include "reports/multi_trace_layout.h"
#include "reports/print_file_reading.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

int FirstPulsePoints(const SorRecord& record) { return record.FxdParams.DataPointCounts[0]; }

void ClearCell(PageSlot& slot) {
  ReleaseOwnedSamples(slot);
  slot.InfoText = {};
  slot.FailedFrom = {};
  slot.Samples = nullptr;
  slot.SampleCount = 0;
  slot.EventRows = {};
  slot.EventCount = 0;
  slot.LengthKm = 0.0;
}

// Describes loaded trace `trace` in `slot` as it is shown now; returns its event table as the
// pane shows it.
EventTableView FillLoadedTraceCell(PageSlotStore& store, PageSlot& slot, const TraceRecord& trace,
                                   const LoadedTraceSources& sources) {
  const ReportTraceSet view = LoadedTraceSet(trace, sources, store.m_nPrintActiveMarker);
  const TraceDisplayModel& model = trace.m_Model;
  const SorRecord& record = view.record;
  const EventTableView table =
      ComputeEventTable({view.rows, view.endRow, record, view.limits}, g_LengthUnitFactor);
  // The curve as the overlay draws it: the record's samples with its offset.
  const int points = static_cast<int>(LeadingDbSamples(model.m_DbSamples, model.m_nPointCount).size());
  ReleaseOwnedSamples(slot);
  slot.FailedFrom = {};
  slot.ModuleNumber = ModuleNumberOf(record);
  slot.LengthKm = model.m_dFibreLengthKm;
  slot.UserZeroKm = UserZeroDistanceKm(record);
  slot.Samples = model.m_DbSamples.Values.data();
  slot.SampleCount = points;
  slot.CeilingLevel = model.m_dDbCeiling;
  slot.LowestLevel = ComputeLowestLevel(record, points);
  slot.FilePointCount = FirstPulsePoints(record);
  slot.EventRows = view.rows;
  slot.EventCount = static_cast<int>(view.rows.size());
  store.m_strSlotFileName = FillPageSlotInfo(slot, record, view.fibre, view.dateTime, trace.m_strPath);
  slot.DbOffset = trace.m_dOffsetDb;
  slot.ColourIndex = trace.m_nColourIndex;
  slot.ActiveMarker = view.activeMarker;

  const int event = FindEventAtMarkerIndex(slot.LengthKm, slot.UserZeroKm, slot.EventRows, slot.EventCount,
                                           slot.FilePointCount, points, view.markerA, view.markerB, view.activeMarker);
  FillInsertionLossLine(slot, event, table);
  FormatCellMeasurements(slot, view);
  return table;
}

}  // namespace

int FillTraceSlots(PageSlotStore& store, const std::vector<std::unique_ptr<TraceRecord>>& traces,
                   const BatchPrintState& batch, const LoadedTraceSources& sources) {
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
  for (; s < static_cast<int>(store.m_PageSlots.size()); ++s) {
    FillLoadedTraceCell(store, store.m_PageSlots[static_cast<std::size_t>(s)], *traces[static_cast<std::size_t>(s)],
                        sources);
  }
  store.m_nSlotCount = s;
  return s;
}

int FillEventTableSlots(PageSlotStore& store, const std::vector<std::unique_ptr<TraceRecord>>& traces,
                        const BatchPrintState& batch, TraceDisplayModel& work, const LoadedTraceSources& sources) {
  const auto full = [&store] { return store.m_PageSlots.size() >= static_cast<std::size_t>(kPageSlotCount); };
  // False when the slots ran out before the last of the rows.
  const auto addEventCells = [&store, &full](const EventTableView& table, const std::string& title) {
    const int total = static_cast<int>(table.rows.size());
    for (int c = 0; c < EventCellsFor(total); ++c) {
      if (full()) return false;
      PageSlot& cell = store.m_PageSlots.emplace_back();
      FillPageSlotEvents(cell, c * kSlotEventRows, (c + 1) * kSlotEventRows, table, title, total);
    }
    return true;
  };
  store.m_PageSlots.clear();
  if (batch.Active == 1) {
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
      const PassFailThresholds limits =
          sources.limitsOf ? sources.limitsOf(TraceBandNm(work.m_SorRecord)) : PassFailThresholds{};
      const EventTableView table = ComputeEventTable(
          {EventRowsInUse(work.m_EventRows, work.m_nEventCount), work.m_nEndEventRow, work.m_SorRecord, limits},
          g_LengthUnitFactor);
      if (!addEventCells(table, name)) store.m_UnreadFiles.push_back(path);
    }
  } else {
    for (const auto& trace : traces) {
      if (full()) break;
      // The trace cell comes first; its slot may move as the cells grow the store.
      const std::size_t at = store.m_PageSlots.size();
      store.m_PageSlots.emplace_back();
      const EventTableView table = FillLoadedTraceCell(store, store.m_PageSlots[at], *trace, sources);
      addEventCells(table, std::string(SlotFileName(trace->m_strPath)));
    }
  }
  store.m_nSlotCount = static_cast<int>(store.m_PageSlots.size());
  return store.m_nSlotCount;
}

bool FillBatchCell(PageSlotStore& store, int index, const BatchPrintState& batch, TraceDisplayModel& work,
                   const LimitsOfWavelength& limitsOf) {
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
  slot.FailedFrom = {};
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

  // Judged and measured as the panes would show the file once opened.
  const PassFailThresholds limits = limitsOf ? limitsOf(TraceBandNm(work.m_SorRecord)) : PassFailThresholds{};
  const ReportTraceSet view = WorkTraceSet(work, path, limits, store.m_nPrintActiveMarker);
  const EventTableView table = ComputeEventTable({view.rows, view.endRow, record, limits}, g_LengthUnitFactor);
  const int event = FindEventAtMarkerIndex(slot.LengthKm, slot.UserZeroKm, slot.EventRows, slot.EventCount,
                                           slot.FilePointCount, points, view.markerA, view.markerB,
                                           store.m_nPrintActiveMarker);
  FillInsertionLossLine(slot, event, table);
  FormatCellMeasurements(slot, view);
  return true;
}
