#include "reports/batch_page_plan.h"

#include <algorithm>

#include "document/trace_file_bytes.h"
#include "platform/path_util.h"
#include "reports/print_file_reading.h"
#include "reports/print_job_plan.h"

namespace {

constexpr std::size_t kMinBatchFileSize = 200;

}  // namespace

int ReadBatchFileEventCount(const std::string& path, TracePreview& preview) {
  if (!lumivane::HasSorSuffix(path)) return 0;
  const TraceFileBytes file = ReadTraceFileBytes(path);
  if (file.failure >= 0 || file.bytes.size() < kMinBatchFileSize) return 0;
  // The open dialog's unit names describe the file it shows, not the batch being counted.
  std::string fileUnit, previewUnit;
  return ReadTracePreview(file.bytes, preview, fileUnit, previewUnit) < 0 ? 1 : 0;
}

int PagesForBatchFile(int eventCount, const PrintOptions& options, const ConfigReport& config) {
  const int rows = options.EventTable == 0 ? 0 : FirstPageEventRows(options);
  g_FirstPageEventRows = rows;
  if (options.EventTable == 0 || config.PrintEventTable != 1) return 1;
  return 1 + ExtraEventPageCount(std::max(eventCount, 0), rows);
}

BatchPlanResult PlanBatchPages(BatchPrintState& batch, const std::string& folder, const std::vector<std::string>& names,
                               const std::vector<int>& eventCounts, const PrintOptions& options,
                               const ConfigReport& config) {
  if (names.size() > static_cast<std::size_t>(MaxBatchFiles)) return BatchPlanResult::kTooManyFiles;
  const int files = static_cast<int>(names.size());
  g_FirstPageEventRows = kFirstPageBaseRows;
  std::vector<BatchPageRef> map;
  std::vector<std::string> unread;
  const bool onePagePerFile = options.Layout == kLayoutCombined && options.EventTable == 0;
  if (options.Layout != kLayoutMultiTrace) {
    for (int i = 0; i < files; ++i) {
      const int events = i < static_cast<int>(eventCounts.size()) ? eventCounts[static_cast<std::size_t>(i)] : -1;
      if (onePagePerFile) {
        map.push_back({i, 1});
        continue;
      }
      if (events < 0) {
        unread.push_back(folder + names[static_cast<std::size_t>(i)]);
        continue;
      }
      const int pages = PagesForBatchFile(events, options, config);
      // Checked before each file is added, so a huge batch never grows the map far past the limit.
      if (static_cast<int>(map.size()) + pages > kBatchPageMapSize - 1) return BatchPlanResult::kTooManyPages;
      for (int p = 1; p <= pages; ++p) map.push_back({i, p});
    }
    if (static_cast<int>(map.size()) > kBatchPageMapSize - 1) return BatchPlanResult::kTooManyPages;
  }
  batch.Active = 1;
  batch.Folder = folder;
  batch.FileNames = names;
  batch.LoadedFile.clear();
  batch.UnreadFiles = std::move(unread);
  if (options.Layout == kLayoutMultiTrace) {
    batch.FileCount = files;
    return BatchPlanResult::kOk;
  }
  // Map entries are numbered from 1.
  for (std::size_t n = 0; n < map.size(); ++n) batch.PageMap[n + 1] = map[n];
  batch.TotalPages = static_cast<int>(map.size());
  return BatchPlanResult::kOk;
}

BatchPlanResult PlanBatchPrint(BatchPrintState& batch, const std::string& folder, const std::vector<std::string>& names,
                               const PrintOptions& options, const ConfigReport& config) {
  std::vector<int> counts;
  counts.reserve(names.size());
  for (const std::string& name : names) {
    TracePreview preview;
    counts.push_back(ReadBatchFileEventCount(folder + name, preview) != 0 ? preview.EventCount : -1);
  }
  return PlanBatchPages(batch, folder, names, counts, options, config);
}
