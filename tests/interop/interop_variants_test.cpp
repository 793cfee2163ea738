// Every interop test run again on valid variants of the sample files, as other instruments write
// them: a test that holds only on the samples' own choices fails here.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>
#include <sys/wait.h>

#include "interop_variants.h"
#include "sample_files.h"
#include "temp_dir.h"

namespace {

using lumivane::test::InteropVariant;

struct ChildRun {
  int status = -1;
  std::string output;
};

// The binary run with the folder as its samples and its tests chosen by `filter`; its failures only.
ChildRun RunWithSamples(const std::string& binary, const std::string& folder, const std::string& filter) {
  const std::string command = "OTDR_SAMPLE_DIR='" + folder + "' QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions='" +
                              LUMIVANE_LSAN_SUPPRESSIONS + "' '" + binary + "' --gtest_brief=1 --gtest_filter='" + filter +
                              "' 2>&1";
  ChildRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> chunk{};
  while (const std::size_t read = std::fread(chunk.data(), 1, chunk.size(), pipe)) run.output.append(chunk.data(), read);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // The test runner takes any output naming skipped tests for a skip: the child's tests that have no
  // file to work on in the variants' folder must not pass a failure off as one.
  const std::string skipped = "[  SKIPPED ]";
  for (std::size_t at = 0; (at = run.output.find(skipped, at)) != std::string::npos;) {
    run.output.replace(at, skipped.size(), "[ skipped  ]");
  }
  return run;
}

void ExpectEveryInteropTestHolds(const std::vector<InteropVariant>& variants, const std::string& filter) {
  lumivane::test::TempDir folder;
  ASSERT_FALSE(lumivane::test::WriteInteropVariants(lumivane::test::SampleDir(), folder.path().string(), variants).empty());
  for (const char* binary : {LUMIVANE_INTEROP_BINARIES}) {
    SCOPED_TRACE(binary);
    const ChildRun run = RunWithSamples(binary, folder.path().string(), filter);
    EXPECT_EQ(run.status, 0) << run.output;
  }
}

TEST(InteropVariants, EveryInteropTestHoldsOnValidVariantsOfTheSamples) {
  SKIP_WITHOUT_SAMPLES();
  ExpectEveryInteropTestHolds({InteropVariant::kMarker2PastEnd, InteropVariant::kNoStart, InteropVariant::kNoEnd,
                               InteropVariant::kLaunchAndEnd, InteropVariant::kNoWindows, InteropVariant::kZeroMovedIn,
                               InteropVariant::kFirstSectionNoSlope, InteropVariant::kEndWindowBeforePrevious},
                              "*");
}

}  // namespace
