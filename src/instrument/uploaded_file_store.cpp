#include "instrument/uploaded_file_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/number_format.h"
#include "platform/path_util.h"

namespace {

constexpr int kTempNameTries = 100;
constexpr int kNumberedNameTries = 10000;

// Gives the file at `from` the name `to` unless a file of that name exists (errno is then EEXIST).
// File systems that cannot rename on that condition get a new link and lose the old one.
bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

// A fresh file beside the target: the new content lands there first, so a failed write never
// costs an earlier file of the same name.
int CreateTempFile(const std::string& folder, std::string& path) {
  for (int i = 0; i < kTempNameTries; ++i) {
    path = lumivane::JoinPath(folder, lumivane::Format(".upload-%d.part", i));
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::string StoredUploadFileName(std::string_view rawName, int fileNumber) {
  if (rawName.empty() || rawName == "." || rawName == "..") return lumivane::Format("file%d", fileNumber);
  std::string name;
  for (const char c : rawName) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '/') {
      name += '_';
    } else if (byte < 0x80) {
      name += c;
    } else {
      name += static_cast<char>(0xC0 | (byte >> 6));
      name += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return name;
}

std::string NumberedUploadFileName(std::string_view name, int number) {
  const auto dot = name.find_last_of('.');
  // A leading dot starts a name, not an extension.
  const std::size_t at = dot == std::string_view::npos || dot == 0 ? name.size() : dot;
  return std::string(name.substr(0, at)) + lumivane::Format(" (%d)", number) + std::string(name.substr(at));
}

std::optional<std::string> StoreUploadedFile(const std::string& folder, const std::string& name,
                                             std::span<const std::uint8_t> bytes) {
  std::string tempPath;
  const int fd = CreateTempFile(folder, tempPath);
  if (fd < 0) return std::nullopt;
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed) {
    for (int number = 1; number <= kNumberedNameTries; ++number) {
      const std::string stored = number == 1 ? name : NumberedUploadFileName(name, number);
      if (MoveWithoutReplacing(tempPath, lumivane::JoinPath(folder, stored))) return stored;
      if (errno != EEXIST) break;
    }
  }
  ::unlink(tempPath.c_str());
  return std::nullopt;
}

void RemoveFolderIfEmpty(const std::string& folder) { ::rmdir(folder.c_str()); }
