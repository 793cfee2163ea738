#include "instrument/upload_progress_view.h"

#include "instrument/upload_protocol.h"
#include "platform/number_format.h"
#include "vocabulary/text_table.h"

namespace {

constexpr int kFullBar = 100;
// Each 500 ms tick moves the bar this many points, shared over the files.
constexpr float kCreepPerTick = 3.0f;

const std::string& Row(LangRow row) { return g_CurrentStrings[static_cast<std::size_t>(row)]; }

std::string FinishedText(std::int32_t c, UploadFileOutcomes outcomes) {
  std::string text = lumivane::Format("%s %d %s", Row(TextRow::Total), c, Row(TextRow::FilesReceived));
  if (outcomes.renamed > 0) text += lumivane::Format("\n%d %s", outcomes.renamed, Row(TextRow::FilesRenamed));
  if (outcomes.unwritten > 0) text += lumivane::Format("\n%d %s", outcomes.unwritten, Row(TextRow::FilesNotStored));
  return text;
}

}  // namespace

ProgressView UpdateProgressView(std::int32_t c, std::int32_t i, UploadFileOutcomes outcomes, ProgressCreep& creep) {
  if (c == 0) return {kFullBar, Row(TextRow::NoFileInOtdr), true};
  if (c > 0 && i >= c) return {kFullBar, FinishedText(c, outcomes), true};
  switch (c) {
    case UploadConnecting: return {std::nullopt, Row(TextRow::ConnectingPort), false};
    case UploadStartFailed:
    case UploadOpenFailed: return {std::nullopt, Row(TextRow::CantOpenPort), true};
    case UploadTransferFailed: return {std::nullopt, Row(TextRow::CantReadData), true};
    case UploadFileTooLarge: return {std::nullopt, Row(TextRow::FileTooLarge), true};
    case UploadUnsupportedCount: return {std::nullopt, Row(TextRow::SelectNewVersion), true};
    default: break;
  }
  if (i != creep.m_nLastIndex) {
    creep.m_fCreep = 0.0f;
    creep.m_nLastIndex = i;
  }
  const int limit = kFullBar / c - 1;
  if (creep.m_fCreep < static_cast<float>(limit)) creep.m_fCreep += kCreepPerTick / static_cast<float>(c);
  const int position = static_cast<int>(static_cast<long long>(i) * kFullBar / c) + static_cast<int>(creep.m_fCreep);
  const std::string text = lumivane::Format("%s %d%s%d%s......", Row(TextRow::Total), c, Row(TextRow::FilesNowReceiving),
                                            i + 1, Row(TextRow::Blank));
  return {position < 0 ? 0 : position, text, false};
}
