#pragma once
// One cell of a multi-trace page: either the text lines of a trace cell with
// references to the trace's samples and event rows, or up to 20 event-table
// rows as texts. The slots of a print job live in a PageSlotStore on the heap;
// filling them is plain logic with every input explicit.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "document/document_settings.h"
#include "reports/report_trace_set.h"
#include "sor/sor_record.h"
#include "trace/display_records.h"

struct EventTableView;

/// Slots one print job may fill.
inline constexpr int kPageSlotCount = 2000;
/// Text lines of a trace cell.
inline constexpr int kSlotInfoLines = 25;
/// Event rows of one event-table cell, and the columns of each.
inline constexpr int kSlotEventRows = 20;
inline constexpr int kSlotEventColumns = 11;

struct PageSlot {
  int Used = 0;  // 1: trace cell; 0: event-table cell
  std::array<std::string, kSlotInfoLines> InfoText{};
  // Per line: where the value of a line that fails its limit starts, printed marked; 0 (every line
  // starts with its label): the line passes or is not judged.
  std::array<std::size_t, kSlotInfoLines> FailedFrom{};
  double LowestLevel = 0.0;   // dB
  double CeilingLevel = 0.0;  // dB
  double LengthKm = 0.0;
  double UserZeroKm = 0.0;  // UserZeroDistanceKm: where the event rows' distances count from
  // Either a loaded trace's own samples (borrowed) or OwnedSamples' values. The
  // owner travels with the slot, so a copied slot never points into a released
  // buffer.
  const double* Samples = nullptr;
  std::shared_ptr<const DbSampleArray> OwnedSamples;
  int SampleCount = 0;
  int FilePointCount = 0;
  int EventCount = 0;
  std::span<const EventRow> EventRows;
  std::array<std::string, kSlotEventRows * kSlotEventColumns> EventText{};
  std::array<std::uint32_t, kSlotEventRows> EventFailed{};  // per row: bit c set, column c fails
  std::string Title;
  int RowCount = 0;
  int FirstRow = 0;
  int EndRow = 0;
  int TotalEvents = 0;
  int CellMarkerA = 0;
  int CellMarkerB = 0;
  int ActiveMarker = 0;  // 0: A, 1: B
  double DbOffset = 0.0;
  long ModuleNumber = 0;  // leading number of the trace's optical module identifier
  int ColourIndex = -1;   // a loaded trace's colour; -1: the batch curve colour
};

/// Drops the slot's owned sample buffer and any reference to it.
void ReleaseOwnedSamples(PageSlot& slot);

/// Smallest DataPts sample / scale factor over samples 1 .. count - 1, from
/// 9999.
double ComputeLowestLevel(const SorRecord& record, int count);

/// Writes line 13, "Ins. Loss at #n: " and the Ins.Loss cell of row n of the trace's event table as
/// the table shows it (the missing value when no row has that number), marked when the cell fails.
void FillInsertionLossLine(PageSlot& slot, int eventNumber, const EventTableView& table);

/// The file name of a path: the text after its last separator (either slash),
/// or the whole path.
std::string_view SlotFileName(std::string_view path);

/// Makes the slot a trace cell and writes its header lines (0 to 12, 23 and
/// 24); returns the file name it describes.
std::string FillPageSlotInfo(PageSlot& slot, const SorRecord& record, const FibreParamsRecord& fibre,
                             const TraceDateTime& time, std::string_view path);

/// Writes the marker and link lines (14 to 22) of a trace cell in the current length unit: the
/// markers' readings as the Marker Information pane shows them of the trace (`set.marker`), the link
/// loss and ORL marked when they fail the trace's limits.
void FormatCellMeasurements(PageSlot& slot, const ReportTraceSet& set);

/// Makes the slot an event-table cell holding the texts of rows first .. end - 1
/// (at most 20) of `table`, the trace's event table as the pane shows it, and
/// which of their cells fail.
void FillPageSlotEvents(PageSlot& slot, int first, int end, const EventTableView& table, std::string_view title,
                        int totalEvents);
