#include "platform/folder_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

bool SyncFolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int result = ::fsync(fd);
  while (result != 0 && errno == EINTR) result = ::fsync(fd);
  ::close(fd);
  return result == 0;
}
