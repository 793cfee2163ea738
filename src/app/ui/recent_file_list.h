#pragma once
// The four paths opened last, most recent first, kept in the user's settings between runs as the
// file system's bytes.
#include <string>
#include <vector>

class RecentFileList {
 public:
  static constexpr std::size_t kSize = 4;

  /// Reads the list from the settings group "Recent File List", entries File1 to File4.
  void Load();
  /// Puts `path` first; an equal entry further down leaves, the fifth entry drops off. Saves.
  void Add(const std::string& path);
  /// Removes `path` (an open of it failed). Saves.
  void Remove(const std::string& path);

  const std::vector<std::string>& Paths() const { return m_paths; }

 private:
  void Save() const;

  std::vector<std::string> m_paths;
};
