#include "temp_dir.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>

namespace lumivane::test {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  const auto name = "lumivane-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                    std::to_string(rd());
  path_ = std::filesystem::temp_directory_path() / name;
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Path(std::string_view name) const { return (path_ / name).string(); }

std::string TempDir::WriteFile(std::string_view name, const std::vector<unsigned char>& bytes) const {
  const std::string full = Path(name);
  std::ofstream out(full, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return full;
}

std::string TempDir::WriteFile(std::string_view name, std::string_view text) const {
  return WriteFile(name, std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> TempDir::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace lumivane::test
