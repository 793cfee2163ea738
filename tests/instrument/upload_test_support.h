#pragma once
// Helpers of the upload tests: progress counters apart from the program's globals, and a fixture
// with a target folder that runs one transfer to its end.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "instrument/upload_progress.h"
#include "instrument/upload_transport.h"
#include "simulated_instrument.h"
#include "temp_dir.h"

namespace lumivane::test {

struct LocalProgress {
  std::atomic<std::int32_t> count{-1};
  std::atomic<std::int32_t> index{-1};
  std::atomic<std::int32_t> unwritten{0};
  std::atomic<std::int32_t> renamed{0};
  UploadProgress View() { return {count, index, unwritten, renamed}; }
};

/// Every file in `folder` with its bytes; none when there is no such folder.
std::map<std::string, Bytes> FilesIn(const std::filesystem::path& folder);

class UploadRunTest : public ::testing::Test {
 protected:
  UploadRunTest();
  /// Runs one transfer over `link` into folder_ on this thread, from the connecting state to its end.
  void Run(UploadTransport& link);

  TempDir dir_;
  std::filesystem::path folder_;
  LocalProgress progress_;
};

}  // namespace lumivane::test
