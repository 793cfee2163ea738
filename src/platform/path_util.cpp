#include "platform/path_util.h"

#include "platform/ascii_case.h"

namespace lumivane {

bool HasSorSuffix(std::string_view path) {
  return path.size() >= 3 && EqualsIgnoreAsciiCase(path.substr(path.size() - 3), "sor");
}

bool IsNoFilePath(std::string_view path) { return path.empty() || EqualsIgnoreAsciiCase(path, NoFilePath); }

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!folder.empty() && !name.empty()) {
    if (joined.back() == '/') joined.pop_back();
    if (name.front() == '/') name.remove_prefix(1);
    joined.push_back('/');
  }
  joined.append(name);
  return joined;
}

std::string_view FileNameOf(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderOf(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

}  // namespace lumivane
