#include "sample_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace lumivane::test {

namespace {

bool HasSorSuffix(const std::filesystem::path& path) {
  std::string suffix = path.extension().string();
  std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
  return suffix == ".sor";
}

}  // namespace

std::string SampleDir() {
  const char* dir = std::getenv("OTDR_SAMPLE_DIR");
  return dir == nullptr ? std::string() : std::string(dir);
}

std::vector<SampleFile> SorFilesIn(const std::string& dir) {
  std::vector<SampleFile> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    if (!entry.is_regular_file() || !HasSorSuffix(entry.path())) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    found.push_back({entry.path().filename().string(),
                     std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {})});
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return found;
}

const std::vector<SampleFile>& SampleSorFiles() {
  static const std::vector<SampleFile> files = SorFilesIn(SampleDir());
  return files;
}

}  // namespace lumivane::test
