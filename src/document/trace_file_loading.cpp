// Bringing a trace file from disk into a SorRecord through the document's file image.
#include <string>
#include <utility>

#include "document/otdr_doc.h"
#include "document/trace_file_bytes.h"
#include "document/trace_file_reading.h"
#include "platform/message_sink.h"
#include "platform/path_util.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

bool IsPseudoPath(std::string_view path) { return !path.empty() && lumivane::IsNoFilePath(path); }

}  // namespace

int COtdrDoc::LoadTraceFile(std::string_view path, int /*fileKind*/, SorRecord& target) {
  if (IsPseudoPath(path)) return 1;
  TraceFileReading file = ReadTraceFile(std::string(path));
  if (file.failure >= 0) {
    lumivane::ShowMessage(FileFailureMessage(file.failure, path), lumivane::MessageIcon::Warning);
    return 0;
  }
  if (file.warning >= 0) lumivane::ShowMessage(g_CurrentStrings[file.warning], lumivane::MessageIcon::Warning);
  m_bFileDamaged = file.finding == SorFileFinding::kDamaged;
  target = std::move(*file.record);
  m_nFileLength = file.length;
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
