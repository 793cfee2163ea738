#pragma once
// How many pages a print job has and which page routine draws them. The reference page is 779 x 1136
// units of 0.01 inch; the first page of a single-trace report holds fewer event rows than the
// continuation pages, because the other blocks sit above its table.
#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/document_settings.h"
#include "panes/event_table_view.h"
#include "trace/display_records.h"

struct BatchPrintState;

/// Event rows on the first page of the last single-trace job (or as a batch command set them).
extern int g_FirstPageEventRows;

inline constexpr int kFirstPageBaseRows = 19;
inline constexpr int kContinuationPageRows = 64;
inline constexpr int kReferencePageWidth = 779;
inline constexpr int kReferencePageHeight = 1136;

/// Index in the print names of the first listed trace, and of the heading of the second one.
inline constexpr int kFirstTraceNameIndex = 3;
inline constexpr int kFurtherTraceNameIndex = 10;
inline constexpr int kPrintNameCount = 13;

/// The routine that draws a job's pages.
enum class PageRoutine { SingleTrace, MultiTrace, Combined };

/// One row of the combined event table: a trace's event row, or a heading that starts the rows of
/// a further trace (NameIndex is then the index of its file name in the print names; 0 otherwise).
struct CombinedEventRow {
  EventTableRowView Cells{};  // as the trace's event table shows the row
  int NameIndex = 0;
  int Trace = 0;  // index of the trace the row belongs to
};

/// The event rows of all loaded traces for a combined report.
struct CombinedEventTable {
  std::vector<CombinedEventRow> Rows;  // at most kMaxEventRows
  std::array<std::string, kPrintNameCount> Names;
};

/// One loaded trace as the combined table reads it: its event table's rows as the pane shows them,
/// judged with the limits of the trace's own wavelength.
struct TraceEvents {
  std::string_view Path;
  std::span<const EventTableRowView> Rows;
};

/// What a job's page count depends on.
struct PrintJobInputs {
  const PrintOptions& Options;
  const ConfigReport& Config;
  int EventCount = 0;  // events of the current trace
  int TraceCount = 0;  // loaded traces
  const BatchPrintState& Batch;
};

/// The outcome of preparing a job.
struct PrintJobPlan {
  int LastPage = 1;           // pages run 1 .. LastPage
  bool UseCombined = false;   // the report lists the events of every loaded trace
  CombinedEventTable Combined;
};

/// The event rows the first page of a single-trace report holds with these blocks switched on.
int FirstPageEventRows(const PrintOptions& options);

/// Pages of an event table of `rows` rows whose first page holds `firstPageRows`; 0 when it fits on
/// the first page.
int ExtraEventPageCount(int rows, int firstPageRows);

/// Whether a job prints the combined table of every loaded trace's events. The page count and the
/// event-table block must agree, so both ask this one question.
bool UseCombinedEventTable(const PrintOptions& options, bool batchActive, int traceCount);

/// Concatenates the traces' event rows, a heading row naming the trace before the rows of each.
CombinedEventTable BuildCombinedEventRows(std::span<const TraceEvents> traces);

/// Pages of a job. Sets g_FirstPageEventRows for single-trace jobs outside a batch. The combined
/// table is built only when the job prints it; `countMultiTracePages` is asked only for that layout.
PrintJobPlan PlanPrintJob(const PrintJobInputs& inputs, std::span<const TraceEvents> traces,
                          const std::function<int()>& countMultiTracePages);

/// The routine that draws the pages of a layout.
PageRoutine ChoosePageRoutine(int layout, bool batchActive);

/// Horizontal page factor and the drawing rectangle's right edge after it.
struct HorizontalScale {
  int Factor = 1;
  int Right = 0;
};

/// The horizontal factor for a drawing rectangle whose right edge is `right` units.
HorizontalScale PrintScaleX(int right);

/// The vertical factor for a drawing rectangle whose bottom edge is `bottom` units (negative).
int PrintScaleY(int bottom);
