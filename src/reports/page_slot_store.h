#pragma once
// The page slots of the trace window's print jobs and the routines that fill
// them from the loaded traces or from the files of a batch. A batch file is
// read into the work trace only, never into the current trace.
#include <memory>
#include <string>
#include <vector>

#include "document/trace_display_model.h"
#include "document/trace_record.h"
#include "reports/batch_print_state.h"
#include "reports/report_trace_set.h"
#include "reports/page_slot.h"

struct PageSlotStore {
  // As many slots as the last job needed (at most kPageSlotCount): a job's slots cost thousands of
  // texts, so the store grows to what is printed rather than holding every slot from the start.
  std::vector<PageSlot> m_PageSlots;
  int m_nSlotCount = 0;
  std::string m_strSlotFileName;   // file name FillPageSlotInfo last described
  std::string m_strPrintFilePath;  // path of the trace file last read for printing
  int m_nPrintActiveMarker = 0;    // 0: marker A active, 1: B
  int m_nSlotEventTotal = 0;
  std::vector<std::string> m_UnreadFiles;  // batch files of this job that could not be read
};

/// Fills the slots for a multi-trace job: the batch list's names while a batch runs (files beyond
/// the slots are listed in m_UnreadFiles), else one trace cell per loaded trace, each as it is
/// shown now (LoadedTraceSet) with the values that fail its limits marked. Returns the number of
/// slots used.
int FillTraceSlots(PageSlotStore& store, const std::vector<std::unique_ptr<TraceRecord>>& traces,
                   const BatchPrintState& batch, const LoadedTraceSources& sources = {});

/// Fills the slots for a multi-trace job that prints event tables: per trace its trace cell and
/// then its event-table cells of up to 20 rows (one, empty, for a trace without events), each cell
/// judged with the trace's limits. A batch file is read into `work` for its rows (a file that
/// cannot be read gets no cells and is listed in m_UnreadFiles) and judged with the limits of its
/// wavelength; its trace cell fills itself when drawn. Returns the number of slots used.
int FillEventTableSlots(PageSlotStore& store, const std::vector<std::unique_ptr<TraceRecord>>& traces,
                        const BatchPrintState& batch, TraceDisplayModel& work, const LoadedTraceSources& sources = {});

/// Reads the batch file of slot `index` into `work`, switches the length unit
/// to the file's own and describes the file in the slot, judged with the
/// limits `limitsOf` gives for its wavelength. A file that cannot be read
/// leaves `work` as it was and the slot with its name and "Read file failed !"
/// only; returns false then.
bool FillBatchCell(PageSlotStore& store, int index, const BatchPrintState& batch, TraceDisplayModel& work,
                   const LimitsOfWavelength& limitsOf = {});
