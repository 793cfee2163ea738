#include "document/trace_file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <span>

#include "platform/path_util.h"
#include "sor/sor_crc.h"
#include "sor/sor_format.h"
#include "sor/sor_map_layout.h"
#include "sor/sor_record.h"
#include "vocabulary/text_table.h"

namespace {

// Shorter files are refused before their checksum is even looked at.
constexpr std::size_t kSmallestBatchFile = 200;

struct FileDescriptor {
  explicit FileDescriptor(int descriptor) : fd(descriptor) {}
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  explicit operator bool() const { return fd >= 0; }
  int fd;
};

}  // namespace

// One open and one fstat decide everything; the buffer is the file's size, and never more than one
// byte past the largest trace file is read, so a huge file or a growing one costs nothing.
TraceFileBytes ReadTraceFileBytes(const std::string& path) {
  // Opened without blocking: opening a pipe for reading would otherwise wait for as long as
  // nothing writes to it.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file) return {errno == ENOENT || errno == ENOTDIR ? TextRow::CantFindFile : TextRow::TypeOfFileWrong, {}};
  struct stat status {};
  if (::fstat(file.fd, &status) != 0) return {TextRow::ReadFileFailed, {}};
  // Only a regular file opens as a trace: a folder named "x.sor" cannot be read as one.
  if (!S_ISREG(status.st_mode)) return {TextRow::TypeOfFileWrong, {}};
  if (status.st_size > MaxTraceFileSize) return {TextRow::FileTooLarge, {}};

  // One byte more than the size shows a file that grew since; it may grow up to the limit.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size) + 1);
  std::size_t length = 0;
  for (;;) {
    if (length == bytes.size()) {
      if (bytes.size() > static_cast<std::size_t>(MaxTraceFileSize)) break;
      bytes.resize(static_cast<std::size_t>(MaxTraceFileSize) + 1);
    }
    const ssize_t got = ::read(file.fd, bytes.data() + length, bytes.size() - length);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return {TextRow::ReadFileFailed, {}};
    if (got == 0) break;
    length += static_cast<std::size_t>(got);
  }
  if (length > static_cast<std::size_t>(MaxTraceFileSize)) return {TextRow::FileTooLarge, {}};
  if (length == 0) return {TextRow::ReadFileFailed, {}};
  bytes.resize(length);
  return {-1, std::move(bytes)};
}

std::string FileFailureMessage(LangRow row, std::string_view path) {
  std::string text = g_CurrentStrings[row];
  if (row == TextRow::CantFindFile) text.append("\n").append(path);
  return text;
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
