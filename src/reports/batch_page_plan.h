#pragma once
// The page plan of a batch print: how many report pages each chosen file needs, read from its
// header alone, and the map from job page to (file, page of that file's report).
#include <string>
#include <vector>

#include "document/document_settings.h"
#include "document/trace_preview.h"
#include "reports/batch_print_state.h"

/// Nonzero when `path` is a trace file of 200 .. MaxTraceFileSize bytes, of either revision the
/// program opens, whose event count was read into `preview`. Leaves the open dialog's unit names
/// and every document alone.
int ReadBatchFileEventCount(const std::string& path, TracePreview& preview);

/// Pages of one file's single-trace report with `eventCount` events; sets g_FirstPageEventRows to
/// the event rows of its first page (0 when the event table is not printed).
int PagesForBatchFile(int eventCount, const PrintOptions& options, const ConfigReport& config);

/// Why a batch could not be planned.
enum class BatchPlanResult { kOk, kTooManyFiles, kTooManyPages };

/// Fills `batch` for the chosen names of `folder` (ending in a separator). `eventCounts` holds each
/// file's event count, or -1 for a file whose header could not be read. A batch beyond the map or
/// the name table is refused whole and leaves `batch` as it was. Files that get no page are kept in
/// the batch's UnreadFiles, so the job can say which were not printed.
BatchPlanResult PlanBatchPages(BatchPrintState& batch, const std::string& folder, const std::vector<std::string>& names,
                               const std::vector<int>& eventCounts, const PrintOptions& options,
                               const ConfigReport& config);

/// Reads every chosen file's header and plans the batch from them.
BatchPlanResult PlanBatchPrint(BatchPrintState& batch, const std::string& folder, const std::vector<std::string>& names,
                               const PrintOptions& options, const ConfigReport& config);
