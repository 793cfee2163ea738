#include "platform/ini_snapshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>

namespace lumivane {
namespace {

// The coarsest modification times in use (FAT) step by two seconds: a file changed less than that
// before it was parsed may change again under the same time, so such a parse is not trusted.
constexpr std::int64_t kTimestampResolutionNs = 2'000'000'000;
// Settings files a run touches are few; the cache never grows past this many.
constexpr std::size_t kCachedFiles = 16;

std::int64_t Nanoseconds(const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

// What identifies one content of a file: a write in place changes its size or times, a replacing
// rename its inode.
struct FileKey {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modified = 0;
  std::int64_t changed = 0;
  friend bool operator==(const FileKey&, const FileKey&) = default;
};

FileKey KeyOf(const struct stat& info) {
  return {info.st_dev, info.st_ino, info.st_size, Nanoseconds(info.st_mtim), Nanoseconds(info.st_ctim)};
}

struct CachedParse {
  FileKey key;
  std::shared_ptr<const std::vector<IniLine>> lines;
};

std::mutex g_CacheMutex;
std::map<std::string, CachedParse> g_Cache;

const std::shared_ptr<const std::vector<IniLine>>& NoLines() {
  static const auto none = std::make_shared<const std::vector<IniLine>>();
  return none;
}

// At most kIniFileByteLimit + 1 bytes, so a file that grew after its size was taken is seen as too
// large without reading all of it.
std::optional<std::string> ReadBounded(int fd) {
  std::string bytes;
  char buffer[65536];
  while (bytes.size() <= kIniFileByteLimit) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

IniSnapshot ReadOpenFile(int fd, const std::string& path) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return {IniFileState::Unreadable, NoLines()};
  if (static_cast<std::size_t>(info.st_size) > kIniFileByteLimit) return {IniFileState::TooLarge, NoLines()};
  const FileKey key = KeyOf(info);
  {
    const std::lock_guard lock(g_CacheMutex);
    const auto cached = g_Cache.find(path);
    if (cached != g_Cache.end() && cached->second.key == key) {
      return {IniFileState::Read, cached->second.lines};
    }
  }
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::optional<std::string> bytes = ReadBounded(fd);
  if (!bytes) return {IniFileState::Unreadable, NoLines()};
  if (bytes->size() > kIniFileByteLimit) return {IniFileState::TooLarge, NoLines()};
  auto lines = std::make_shared<const std::vector<IniLine>>(ParseIniLines(*bytes));
  // Only a file that was older than the timestamp resolution when it was read is known by its key.
  const std::lock_guard lock(g_CacheMutex);
  if (Nanoseconds(now) - std::max(key.modified, key.changed) > kTimestampResolutionNs) {
    if (g_Cache.size() >= kCachedFiles && !g_Cache.contains(path)) g_Cache.clear();
    g_Cache[path] = CachedParse{key, lines};
  } else {
    g_Cache.erase(path);
  }
  return {IniFileState::Read, std::move(lines)};
}

}  // namespace

IniSnapshot ReadIniSnapshot(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const bool missing = errno == ENOENT || errno == ENOTDIR;
    return {missing ? IniFileState::Missing : IniFileState::Unreadable, NoLines()};
  }
  IniSnapshot snapshot = ReadOpenFile(fd, path);
  ::close(fd);
  return snapshot;
}

}  // namespace lumivane
