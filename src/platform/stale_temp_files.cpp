#include "platform/stale_temp_files.h"

#include <signal.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string_view>

namespace {

// The process id of a temporary's name "<file>.<pid>.<n>.tmp" of `file`; 0 when the name is not one.
pid_t TempOwner(std::string_view name, std::string_view file) {
  constexpr std::string_view kEnding = ".tmp";
  if (name.size() <= file.size() + kEnding.size() + 1 || name.substr(0, file.size()) != file ||
      name[file.size()] != '.' || name.substr(name.size() - kEnding.size()) != kEnding) {
    return 0;
  }
  const std::string_view middle = name.substr(file.size() + 1, name.size() - file.size() - 1 - kEnding.size());
  const std::size_t dot = middle.find('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == middle.size()) return 0;
  pid_t pid = 0;
  const std::string_view pidText = middle.substr(0, dot);
  const auto [end, error] = std::from_chars(pidText.data(), pidText.data() + pidText.size(), pid);
  if (error != std::errc() || end != pidText.data() + pidText.size() || pid <= 0) return 0;
  const std::string_view counter = middle.substr(dot + 1);
  if (counter.find_first_not_of("0123456789") != std::string_view::npos) return 0;
  return pid;
}

bool ProcessRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

}  // namespace

int RemoveStaleTempFiles(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path file(path);
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  const std::string fileName = file.filename().string();
  std::error_code ec;
  int removed = 0;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const pid_t owner = TempOwner(name, fileName);
    if (owner == 0 || ProcessRuns(owner)) continue;
    std::error_code status;
    if (it->is_regular_file(status) && fs::remove(it->path(), status)) ++removed;
  }
  return removed;
}
