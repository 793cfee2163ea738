#include "reports/print_job_plan.h"

#include <cmath>
#include <cstdlib>

#include "document/document_settings.h"
#include "platform/path_util.h"
#include "reports/batch_print_state.h"

int g_FirstPageEventRows = kFirstPageBaseRows;

namespace {

constexpr int kRowsWithoutTraceInfo = 7;
constexpr int kRowsWithoutGraph = 27;
constexpr int kRowsWithoutMarkers = 8;
constexpr int kRowsWithoutTotals = 3;


}  // namespace

int FirstPageEventRows(const PrintOptions& options) {
  int rows = kFirstPageBaseRows;
  if (options.TraceInfo == 0) rows += kRowsWithoutTraceInfo;
  if (options.Trace == 0) rows += kRowsWithoutGraph;
  if (options.MarkerInfo == 0) rows += kRowsWithoutMarkers;
  if (options.FiberInfo == 0) rows += kRowsWithoutTotals;
  return rows;
}

int ExtraEventPageCount(int rows, int firstPageRows) {
  if (rows <= firstPageRows) return 0;
  const int rest = rows - firstPageRows;
  return rest / kContinuationPageRows + (rest % kContinuationPageRows != 0 ? 1 : 0);
}

bool UseCombinedEventTable(const PrintOptions& options, bool batchActive, int traceCount) {
  return options.Layout == kLayoutCombined && options.EventTable == 1 && options.EventOption == 1 && !batchActive &&
         traceCount > 1;
}

CombinedEventTable BuildCombinedEventRows(std::span<const TraceEvents> traces) {
  CombinedEventTable table;
  const auto add = [&table](const CombinedEventRow& row) {
    if (table.Rows.size() < static_cast<std::size_t>(kMaxEventRows)) table.Rows.push_back(row);
  };
  int further = 0;
  for (std::size_t t = 0; t < traces.size(); ++t) {
    const int trace = static_cast<int>(t);
    int index = kFirstTraceNameIndex;
    if (t > 0) {
      if (kFurtherTraceNameIndex + further >= kPrintNameCount) break;
      index = kFurtherTraceNameIndex + further++;
    }
    // Every trace's rows stand under its name, the first trace's too: a row never reads as
    // another trace's.
    table.Names[static_cast<std::size_t>(index)] = std::string(lumivane::FileNameOf(traces[t].Path));
    add({EventTableRowView{}, index, trace});
    for (const EventTableRowView& row : traces[t].Rows) add({row, 0, trace});
  }
  return table;
}

PrintJobPlan PlanPrintJob(const PrintJobInputs& inputs, std::span<const TraceEvents> traces,
                          const std::function<int()>& countMultiTracePages) {
  const PrintOptions& options = inputs.Options;
  PrintJobPlan plan;
  if (options.Layout == kLayoutMultiTrace) {
    plan.LastPage = countMultiTracePages ? countMultiTracePages() : 1;
  } else if (inputs.Batch.Active == 1) {
    plan.LastPage = inputs.Batch.TotalPages;
  } else {
    const int rows = FirstPageEventRows(options);
    g_FirstPageEventRows = rows;
    if (options.EventTable == 0 && (options.Layout == kLayoutNormal || options.Layout == kLayoutCombined)) {
      plan.LastPage = 1;
    } else {
      plan.UseCombined = UseCombinedEventTable(options, false, inputs.TraceCount);
      if (plan.UseCombined) {
        plan.Combined = BuildCombinedEventRows(traces);
        plan.LastPage = 1 + ExtraEventPageCount(static_cast<int>(plan.Combined.Rows.size()), rows);
      } else if (inputs.Config.PrintEventTable == 1) {
        plan.LastPage = 1 + ExtraEventPageCount(inputs.EventCount, rows);
      }
    }
  }
  // A job always has a page, even when every batch file failed.
  if (plan.LastPage < 1) plan.LastPage = 1;
  return plan;
}

PageRoutine ChoosePageRoutine(int layout, bool batchActive) {
  if (layout == kLayoutMultiTrace) return PageRoutine::MultiTrace;
  if (layout == kLayoutCombined && !batchActive) return PageRoutine::Combined;
  return PageRoutine::SingleTrace;
}

HorizontalScale PrintScaleX(int right) {
  if (right < kReferencePageWidth) return {1, right};
  const int factor = right / kReferencePageWidth;
  const int narrowed = right / factor;
  return {narrowed / kReferencePageWidth, narrowed};
}

int PrintScaleY(int bottom) {
  const int factor = static_cast<int>(std::fabs(bottom / static_cast<double>(kReferencePageHeight) + 0.5));
  return factor == 0 ? 1 : factor;
}
