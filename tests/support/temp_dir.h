#pragma once
// A unique folder under the system temp folder for one test, removed with everything in it.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  /// Full path of `name` inside the folder, as a string.
  std::string Path(std::string_view name) const;
  /// Writes `bytes` to `name` inside the folder and returns its full path.
  std::string WriteFile(std::string_view name, const std::vector<unsigned char>& bytes) const;
  std::string WriteFile(std::string_view name, std::string_view text) const;
  /// Reads a whole file; empty when it cannot be read.
  static std::vector<unsigned char> ReadFile(const std::string& path);

 private:
  std::filesystem::path path_;
};

}  // namespace lumivane::test
