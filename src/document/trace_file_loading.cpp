// Bringing a trace file from disk into a SorRecord through the document's file image.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/text_rows.h"
#include "app/text_table.h"
#include "document/otdr_doc.h"
#include "document/sor_reader.h"
#include "platform/message_sink.h"
#include "platform/path_util.h"

namespace {

struct FileBytes {
  LangRow failure = -1;  // the message row of a failed read, -1 on success
  std::vector<std::uint8_t> bytes;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads the whole file, refusing it with the row of the first check it fails. Never reads more than
// one byte past the largest trace file, so a huge file or a growing one costs nothing.
FileBytes ReadWholeTraceFile(const std::string& path) {
  std::error_code error;
  // Any other trouble asking about the file is left to the open, which reports it.
  const std::filesystem::file_type type = std::filesystem::status(path, error).type();
  if (type == std::filesystem::file_type::not_found) return {TextRow::CantFindFile, {}};
  // Only a regular file opens as a trace: a folder named "x.sor" cannot be read as one, and opening
  // a pipe would block the program for as long as nothing writes to it.
  const bool known = type != std::filesystem::file_type::none && type != std::filesystem::file_type::unknown;
  if (known && type != std::filesystem::file_type::regular) return {TextRow::TypeOfFileWrong, {}};
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return {TextRow::TypeOfFileWrong, {}};
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > static_cast<std::uintmax_t>(MaxTraceFileSize)) return {TextRow::FileTooLarge, {}};

  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(MaxTraceFileSize) + 1);
  std::size_t length = 0;
  while (length < bytes.size()) {
    const std::size_t got = std::fread(bytes.data() + length, 1, bytes.size() - length, file.get());
    if (got == 0) break;
    length += got;
  }
  if (length > static_cast<std::size_t>(MaxTraceFileSize)) return {TextRow::FileTooLarge, {}};
  if (std::ferror(file.get()) || length == 0) return {TextRow::ReadFileFailed, {}};
  bytes.resize(length);
  return {-1, std::move(bytes)};
}

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
  FileBytes file = ReadWholeTraceFile(std::string(path));
  if (file.failure >= 0) {
    ShowRow(file.failure);
    return 0;
  }
  // The reader touches the target only when it accepts the file, and the image is taken over only
  // then: a refused file leaves the document as it was, so Save cannot write a half-read record.
  const SorReadResult result = ReadSorImage(file.bytes, target);
  if (result != SorReadResult::kOk) {
    ShowRow(ReaderMessageRow(result));
    return 0;
  }
  const auto next = std::copy(file.bytes.begin(), file.bytes.end(), m_FileImageBuffer.begin());
  std::fill(next, m_FileImageBuffer.end(), std::uint8_t{0});
  m_nFileLength = static_cast<std::int32_t>(file.bytes.size());
  return 1;
}

int COtdrDoc::OpenTraceFile(std::string_view path, int fileKind, SorRecord& target) {
  if (IsPseudoPath(path)) {
    SetMainTitle(kNoFileTitle);
    return 1;
  }
  if (!LoadTraceFile(path, fileKind, target)) return 0;
  // The path keeps its case: it is what Save writes to.
  m_strTracePath = path;
  SetPathName(path);
  SetMainTitle(path);
  return 1;
}
