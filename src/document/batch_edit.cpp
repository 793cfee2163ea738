#include "document/batch_edit.h"

#include <algorithm>
#include <filesystem>

#include "document/batch_file_lists.h"
#include "document/otdr_doc.h"
#include "document/trace_display_model.h"
#include "document/trace_file_bytes.h"
#include "document/trace_info.h"
#include "document/trace_save.h"
#include "platform/number_format.h"
#include "platform/path_util.h"
#include "platform/sort_string_array.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

bool EndsExactlyInSor(const std::string& name) {
  if (name.size() < 3) return false;
  const std::string_view tail = std::string_view(name).substr(name.size() - 3);
  return tail == "sor" || tail == "SOR";
}

std::u16string Widened(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

std::vector<std::string> ListFolderTraceFiles(const std::string& folder) {
  CSortStringArray names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    names.push_back(it->path().filename().string());
  }
  names.SortNoCase();
  std::vector<std::string> traces;
  for (std::string& name : names) {
    if (EndsExactlyInSor(name)) traces.push_back(std::move(name));
  }
  return traces;
}

void ApplyBatchFieldEdits(SorRecord& record, const BatchEditSpec& spec, std::int32_t number) {
  SorGenParams& gen = record.GenParams;
  if (spec.changeCableId) StoreUserText(gen.CableId, spec.cableId);
  if (spec.changeFiberId || spec.numberFibers) {
    std::u16string fiberId;
    if (spec.changeFiberId) fiberId = spec.fiberId + u" ";
    if (spec.numberFibers) fiberId += Widened(lumivane::Format("%d", number));
    StoreUserText(gen.FiberId, fiberId);
  }
  if (spec.changeOriginatingLocation) StoreUserText(gen.OriginatingLocation, spec.originatingLocation);
  if (spec.changeTerminatingLocation) StoreUserText(gen.TerminatingLocation, spec.terminatingLocation);
  if (spec.changeOperator) StoreUserText(gen.Operator, spec.operatorName);
  if (spec.changeFibreType) {
    if (const auto code = FibreTypeCodeOfIndex(spec.fibreTypeIndex)) gen.FiberType = *code;
  }
}

std::vector<BatchEditFailure> RunBatchEdit(COtdrDoc& doc, const std::string& folder,
                                           const std::vector<std::string>& names, const BatchEditSpec& spec) {
  std::vector<BatchEditFailure> failures;
  std::int32_t number = spec.startingNumber;
  const std::size_t count = std::min<std::size_t>(names.size(), kMaxBatchFiles);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& name = names[i];
    const std::int32_t fileNumber = number++;
    const std::string path = lumivane::JoinPath(folder, name);
    if (!lumivane::HasSorSuffix(path)) continue;
    // The file may have changed since it was listed; anything but a checksummed revision-2 file
    // would be rewritten as one, so it is left alone.
    if (IsValidTraceFile(path) != 1) {
      failures.push_back({name, g_CurrentStrings[TextRow::NotAValidTraceFile]});
      continue;
    }
    // The reader replaces the work record only when it accepts the file, so no block of the
    // previous file can reach this one.
    SorRecord& record = g_WorkTrace.m_SorRecord;
    if (!doc.LoadTraceFile(path, 0, record)) {
      failures.push_back({name, g_CurrentStrings[TextRow::CouldNotBeRead]});
      continue;
    }
    ApplyBatchFieldEdits(record, spec, fileNumber);
    const SorWriteResult written = WriteSorFile(record, path);
    if (written != SorWriteResult::kOk) failures.push_back({name, WriteFailureReason(written)});
  }
  return failures;
}

std::string BatchEditSummary(const std::vector<BatchEditFailure>& failures, std::size_t listed) {
  if (failures.empty()) return {};
  std::string text = lumivane::Format("%d", static_cast<int>(failures.size())) + g_CurrentStrings[TextRow::FilesOf] +
                     lumivane::Format("%d", static_cast<int>(std::min<std::size_t>(listed, kMaxBatchFiles))) +
                     g_CurrentStrings[TextRow::FilesNotChanged];
  for (const BatchEditFailure& failure : failures) text += "\n" + failure.name + ": " + failure.reason;
  return text;
}
