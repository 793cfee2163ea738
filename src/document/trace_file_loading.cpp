// Bringing a trace file from disk into a SorRecord through the document's file image.
#include <memory>
#include <string>
#include <utility>

#include "document/otdr_doc.h"
#include "document/trace_file_bytes.h"
#include "platform/message_sink.h"
#include "platform/path_util.h"
#include "sor/sor_file_findings.h"
#include "sor/sor_reader.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

LangRow ReaderMessageRow(SorReadResult result) {
  switch (result) {
    case SorReadResult::kNotSorFile: return TextRow::NotBellcoreFile;
    case SorReadResult::kWrongVersion: return TextRow::VersionWrong;
    case SorReadResult::kTooLarge: return TextRow::FileTooLarge;
    case SorReadResult::kOk: break;
  }
  return -1;
}

void ShowRow(LangRow row) { lumivane::ShowMessage(g_CurrentStrings[row], lumivane::MessageIcon::Warning); }

bool IsPseudoPath(std::string_view path) { return !path.empty() && lumivane::IsNoFilePath(path); }

}  // namespace

int COtdrDoc::LoadTraceFile(std::string_view path, int /*fileKind*/, SorRecord& target) {
  if (IsPseudoPath(path)) return 1;
  TraceFileBytes file = ReadTraceFileBytes(std::string(path));
  if (file.failure >= 0) {
    lumivane::ShowMessage(FileFailureMessage(file.failure, path), lumivane::MessageIcon::Warning);
    return 0;
  }
  // The file is read aside and the target is taken over only when it holds a trace: a refused file
  // leaves the document as it was, so Save cannot write a half-read record.
  auto read = std::make_unique<SorRecord>();
  const SorReadResult result = ReadSorImage(file.bytes, *read);
  if (result != SorReadResult::kOk) {
    ShowRow(ReaderMessageRow(result));
    return 0;
  }
  const SorFileFinding finding = InspectSorFile(file.bytes, *read);
  if (finding == SorFileFinding::kNoTrace) {
    ShowRow(TextRow::FileHoldsNoTrace);
    return 0;
  }
  if (finding == SorFileFinding::kDamaged) ShowRow(TextRow::FileDamaged);
  if (finding == SorFileFinding::kSamplesCut) ShowRow(TextRow::TracePointsCut);
  m_bFileDamaged = finding == SorFileFinding::kDamaged;
  target = std::move(*read);
  m_nFileLength = static_cast<std::int32_t>(file.bytes.size());
  return 1;
}

int COtdrDoc::OpenTraceFile(std::string_view path, int fileKind, SorRecord& target) {
  if (IsPseudoPath(path)) {
    SetMainTitle(kNoFileTitle);
    return 1;
  }
  if (!LoadTraceFile(path, fileKind, target)) return 0;
  // A reanalysis of the trace shown until now says nothing about this one.
  m_bReanalysed = 0;
  // The path keeps its case: it is what Save writes to.
  m_strTracePath = path;
  SetPathName(path);
  SetMainTitle(path);
  return 1;
}
