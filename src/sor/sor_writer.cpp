#include "sor/sor_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/folder_sync.h"
#include "platform/stale_temp_files.h"
#include "sor/byte_writer.h"
#include "sor/sor_block_builders.h"
#include "sor/sor_crc.h"
#include "sor/sor_file_findings.h"
#include "sor/sor_format.h"
#include "sor/sor_reader.h"
#include "sor/sor_write_plan.h"

namespace {

constexpr std::size_t kMapSizeOffset = 6;
constexpr std::int32_t kChecksumBlockSize = 8;  // "Cksum", its zero byte and the checksum

constexpr int kTempAttempts = 100;

/// The file a save replaces: the target of a symbolic link rather than the link, so the link keeps
/// pointing at the saved trace, as when the file is written in place.
std::string ReplacedFile(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;  // a new file, or a dangling link: created as named
  std::string target(resolved);
  std::free(resolved);
  return target;
}

/// Creates a new file beside path for the image; the kernel applies the umask to a new file's
/// mode, and a replaced file's mode is kept.
int CreateTempBeside(const std::string& path, std::string& temp) {
  static std::atomic<unsigned> counter{0};
  struct stat existing {};
  const bool replacing = ::stat(path.c_str(), &existing) == 0;
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    temp = path + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (replacing) ::fchmod(fd, existing.st_mode & 07777);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

/// Whether the image reads back as a file that holds a trace: a save the program would then refuse
/// to open must not take the place of a file it opened.
bool ReadsBack(std::span<const std::uint8_t> image) {
  auto record = std::make_unique<SorRecord>();
  return ReadSorImage(image, *record) == SorReadResult::kOk &&
         InspectSorFile(image, *record) != SorFileFinding::kNoTrace;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

SorWriteResult AssembleSorImage(const SorRecord& record, std::vector<std::uint8_t>& image) {
  const std::vector<SorPlannedBlock> blocks = PlanSorBlocks(record);

  image.clear();
  lumivane::ByteWriter out(image);
  out.Name(kSorBlockMap);
  out.U16(kSorRevision2);
  out.U32(0);
  // Every instrument counts the Map among the blocks; readers that take the count as the number
  // of entries would otherwise never see the checksum block.
  out.I16(static_cast<std::int16_t>(blocks.size() + 2));
  for (const SorPlannedBlock& block : blocks) {
    out.Name(block.name);
    out.U16(block.revision);
    out.I32(static_cast<std::int32_t>(block.body.size()));
  }
  out.Name(kSorBlockCksum);
  out.U16(kSorRevision2);
  out.I32(kChecksumBlockSize);
  const auto mapSize = static_cast<std::uint32_t>(image.size());
  for (int i = 0; i < 4; ++i) image[kMapSizeOffset + i] = static_cast<std::uint8_t>(mapSize >> (8 * i));

  std::size_t total = image.size() + kChecksumBlockSize;
  for (const SorPlannedBlock& block : blocks) total += block.body.size();
  if (total > static_cast<std::size_t>(MaxTraceFileSize)) {
    image.clear();
    return SorWriteResult::kTooLarge;
  }
  image.reserve(total);
  for (const SorPlannedBlock& block : blocks) image.insert(image.end(), block.body.begin(), block.body.end());
  BuildChecksumBlock(record, image);
  // The checksum covers every byte of the file but its own two, as instruments write it.
  out.U16(SorCrc16(image.data(), image.size()));
  return SorWriteResult::kOk;
}

SorWriteResult WriteSorFile(const SorRecord& record, const std::string& path) {
  std::vector<std::uint8_t> image;
  const SorWriteResult assembled = AssembleSorImage(record, image);
  if (assembled != SorWriteResult::kOk) return assembled;
  if (!ReadsBack(image)) return SorWriteResult::kUnreadable;

  const std::string target = ReplacedFile(path);
  // A rename needs only the folder's permission; a file its owner made read-only stays untouched.
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
    return SorWriteResult::kCannotCreate;
  }
  std::string temp;
  // A save that was killed before its rename left its temporary behind; this save clears them away.
  RemoveStaleTempFiles(target);
  const int fd = CreateTempBeside(target, temp);
  if (fd < 0) return SorWriteResult::kCannotCreate;
  const bool written = WriteAll(fd, image.data(), image.size());
  const bool synced = written && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !synced || !closed) {
    ::unlink(temp.c_str());
    return written ? SorWriteResult::kCloseFailed : SorWriteResult::kWriteFailed;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return SorWriteResult::kRenameFailed;
  }
  // The file's bytes were flushed before the rename; the folder's entry now follows them. The
  // trace is in place either way, so a folder that cannot be flushed does not fail the save.
  SyncFolderOf(target);
  return SorWriteResult::kOk;
}
