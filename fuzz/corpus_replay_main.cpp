// Runs a fuzz target's entry point once on every file of the folders or files named on the command
// line, without libFuzzer: the test build replays each corpus this way, so an input that makes a
// target abort fails the test suite. Prints each input before it runs, so a failure names its input.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Replay(const std::filesystem::path& input) {
  std::ifstream file(input, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "cannot read %s\n", input.c_str());
    return 1;
  }
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::printf("%s\n", input.c_str());
  std::fflush(stdout);
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int failures = 0;
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path named(argv[i]);
    if (!std::filesystem::is_directory(named)) {
      failures += Replay(named);
      ++replayed;
      continue;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(named)) {
      if (!entry.is_regular_file()) continue;
      failures += Replay(entry.path());
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  // A corpus that holds nothing tests nothing.
  return failures == 0 && replayed > 0 ? 0 : 1;
}
