// The open dialog's preview of real files, and of files damaged from them, against what File Open
// shows of the same file.
#include <gtest/gtest.h>

#include <string>

#include "preview_fixture.h"
#include "preview_matches_open.h"
#include "sample_files.h"
#include "sor/sor_crc.h"
#include "sor_map_edits.h"

namespace {

using namespace lumivane::test;

using PreviewInterop = PreviewFixture;

TEST_F(PreviewInterop, PreviewShowsWhatTheOpenShowsOfEveryFileAndItsDamagedCopies) {
  SKIP_WITHOUT_SAMPLES();
  int compared = 0;
  for (const SampleFile& file : SampleSorFiles()) {
    if (!IsSorV2(file.bytes)) continue;  // the preview shows revision-2 headers only
    SCOPED_TRACE(file.name);
    const Bytes& bytes = file.bytes;
    std::vector<std::pair<std::string, Bytes>> cases = {
        {"as written", bytes},
        {"map count 1", WithMapCount(bytes, 1)},
        {"KeyEvents of size 0", WithMapEntrySize(bytes, "KeyEvents", 0)},
        {"FxdParams named fxdParams", WithBlockNameDamaged(bytes, "FxdParams", 'f')},
        {"KeyEvents named keyEvents", WithBlockNameDamaged(bytes, "KeyEvents", 'k')},
    };
    for (const std::string& name : MapEntryNames(bytes)) {
      cases.emplace_back(name + " listed twice", WithMapEntryRepeated(bytes, name));
    }
    for (const auto& [name, image] : cases) {
      SCOPED_TRACE(name);
      ExpectPreviewMatchesOpen(dir_.WriteFile(name + ".sor", image));
      ++compared;
    }
  }
  EXPECT_GT(compared, 0);
}

}  // namespace
