#include "document/trace_file_bytes.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>

#include "document/sor_crc.h"
#include "document/sor_format.h"
#include "document/sor_map_layout.h"
#include "document/sor_record.h"
#include "platform/path_util.h"

namespace {

// Shorter files are refused before their checksum is even looked at.
constexpr std::size_t kSmallestBatchFile = 200;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

// Never reads more than one byte past the largest trace file, so a huge file or a growing one
// costs nothing.
TraceFileBytes ReadTraceFileBytes(const std::string& path) {
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

int IsValidTraceFile(const std::string& path) {
  const TraceFileBytes file = ReadTraceFileBytes(path);
  if (file.failure >= 0 || file.bytes.size() < kSmallestBatchFile || !lumivane::HasSorSuffix(path)) return 0;
  const std::span<const std::uint8_t> bytes(file.bytes);
  if (!IsSorV2(bytes)) return 0;
  // Makers compute the checksum in conventions of their own, so it says nothing about damage; a
  // map whose blocks run past the file's end does.
  const SorMapLayout layout = ReadSorMapLayout(bytes);
  return layout.revision == kSorRevision2 && layout.readable && !layout.blocks.empty() && layout.end <= static_cast<std::int64_t>(bytes.size()) ? 1 : 0;
}
