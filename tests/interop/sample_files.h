#pragma once
// The trace files of the folder named by OTDR_SAMPLE_DIR, shared by every interop test.
#include <cstdint>
#include <string>
#include <vector>

namespace lumivane::test {

struct SampleFile {
  std::string name;                 // file name inside the folder
  std::vector<std::uint8_t> bytes;  // whole file
};

/// The folder named by OTDR_SAMPLE_DIR, or empty when the variable is unset or empty.
std::string SampleDir();

/// Every ".sor" file of `dir` (suffix in any case), sorted by name.
std::vector<SampleFile> SorFilesIn(const std::string& dir);

/// Every ".sor" file of the folder (suffix in any case), sorted by name; read once per process.
const std::vector<SampleFile>& SampleSorFiles();

}  // namespace lumivane::test

/// Skips the calling test when no sample folder is given.
#define SKIP_WITHOUT_SAMPLES()                                                   \
  do {                                                                           \
    if (lumivane::test::SampleDir().empty()) GTEST_SKIP() << "OTDR_SAMPLE_DIR unset"; \
  } while (0)
