// Damaged copies of the real files: a map that lists a block twice, a block whose identifier is
// damaged, a user offset off the trace. Each opens with the warning and shows what the file shows;
// Save writes every block once, as read and shown, and a second save changes no byte. Sound copies
// stay sound when saved: a block name inside another maker's block, this system's job block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/otdr_doc.h"
#include "document/trace_save.h"
#include "platform/path_util.h"
#include "sample_files.h"
#include "sor/sor_block_parsers.h"
#include "sor/sor_crc.h"
#include "sor/sor_map_layout.h"
#include "sor/sor_text.h"
#include "sor_image_builder.h"
#include "sor_map_edits.h"
#include "shown_trace.h"
#include "temp_dir.h"
#include "trace/trace_conversions.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::SampleSorFiles;
using lumivane::test::ShownTrace;
using lumivane::test::TempDir;

class DamagedFileInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SAMPLES();
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
  }

  /// Opens the file as the open path does; the messages the open showed.
  std::vector<std::string> Open(const std::string& path) { return lumivane::test::OpenShown(*doc_, path, sink_); }

  /// Opens `image` as a file, saves it in place and returns what was saved.
  Bytes OpenAndSave(const std::string& name, const Bytes& image) {
    const std::string path = dir_.WriteFile(name, image);
    Open(path);
    EXPECT_TRUE(OnFileSave(*doc_, {}));
    return TempDir::ReadFile(path);
  }

  ShownTrace ShownNow() const { return lumivane::test::ShownNow(*doc_); }

  std::vector<std::string> Warned() const { return {g_CurrentStrings[TextRow::FileDamaged]}; }

  TempDir dir_;
  lumivane::test::RecordingMessageSink sink_;
  lumivane::ScopedMessageSink scoped_{sink_};
  std::unique_ptr<COtdrDoc> doc_ = std::make_unique<COtdrDoc>();
};

TEST_F(DamagedFileInterop, AnEmptyEntryRepeatingABlockWarnsShowsTheFileAndSavesItOnce) {
  for (const auto& file : SampleSorFiles()) {
    const std::string soundPath = dir_.WriteFile("sound.sor", file.bytes);
    ASSERT_EQ(Open(soundPath), std::vector<std::string>{}) << file.name;
    const ShownTrace sound = ShownNow();
    ASSERT_TRUE(OnFileSave(*doc_, {}));
    const Bytes soundSaved = TempDir::ReadFile(soundPath);
    Open(soundPath);
    const ShownTrace soundSavedShown = ShownNow();
    for (const SorMappedBlock& block : ReadSorMapLayout(file.bytes).blocks) {
      const std::string name(block.name);
      SCOPED_TRACE(file.name + ", " + name);
      const Bytes damaged = lumivane::test::WithMapEntryRepeated(file.bytes, name);
      const std::string path = dir_.WriteFile("repeated.sor", damaged);
      EXPECT_EQ(Open(path), Warned());
      lumivane::test::ExpectSameShown(ShownNow(), sound);
      ASSERT_TRUE(OnFileSave(*doc_, {}));
      const Bytes saved = TempDir::ReadFile(path);
      EXPECT_EQ(lumivane::test::ImageDifference(saved, soundSaved), "") << "the save of the sound file";
      EXPECT_EQ(Open(path), std::vector<std::string>{});
      lumivane::test::ExpectSameShown(ShownNow(), soundSavedShown);
      EXPECT_EQ(lumivane::test::ImageDifference(OpenAndSave("again.sor", saved), saved), "");
    }
  }
}

// A block whose identifier alone is damaged fills the place its map gives it, so the reader finds it
// there: it is shown as read and saved under its own identifier. (One whose fields do not fill its
// place is not read; its bytes go back as they were and the copy still warns.)
TEST_F(DamagedFileInterop, ABlockWhoseIdentifierIsDamagedIsShownAndSavedAsRead) {
  for (const auto& file : SampleSorFiles()) {
    if (!IsSorV2(file.bytes)) continue;  // revision-1 blocks carry no identifier
    const std::string soundPath = dir_.WriteFile("sound.sor", file.bytes);
    ASSERT_EQ(Open(soundPath), std::vector<std::string>{}) << file.name;
    const ShownTrace sound = ShownNow();
    ASSERT_TRUE(OnFileSave(*doc_, {}));
    Open(soundPath);
    const ShownTrace soundSavedShown = ShownNow();
    for (const std::string_view name : {kSorBlockGenParams, kSorBlockSupParams, kSorBlockFxdParams, kSorBlockKeyEvents}) {
      SCOPED_TRACE(file.name + ", " + std::string(name));
      const Bytes damaged = lumivane::test::WithBlockNameDamaged(file.bytes, name, static_cast<char>(std::tolower(name[0])));
      const std::string path = dir_.WriteFile("renamed.sor", damaged);
      EXPECT_EQ(Open(path), Warned());
      lumivane::test::ExpectSameShown(ShownNow(), sound);
      ASSERT_TRUE(OnFileSave(*doc_, {}));
      const Bytes saved = TempDir::ReadFile(path);
      EXPECT_EQ(Open(path), std::vector<std::string>{}) << "saved under its own identifier";
      lumivane::test::ExpectSameShown(ShownNow(), soundSavedShown);
      EXPECT_EQ(lumivane::test::ImageDifference(OpenAndSave("again.sor", saved), saved), "");
    }
  }
}

// The lowest and highest user offsets, and one that puts the zero a sample past the trace's end: the
// file warns and shows what it shows with its zero at the first sample; a save keeps the field as
// read, so the saved copy warns again.
TEST_F(DamagedFileInterop, AUserOffsetOffTheTraceWarnsCountsFromTheFirstSampleAndIsSavedAsRead) {
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    ASSERT_EQ(Open(dir_.WriteFile("sound.sor", file.bytes)), std::vector<std::string>{});
    const SorFxdParams& fxd = doc_->m_SorRecord.FxdParams;
    // Times from the first sample: to the front panel, and to the last sample.
    const std::int64_t front = fxd.FrontPanelOffset != 0 ? fxd.FrontPanelOffset : -std::int64_t{fxd.AcquisitionOffset};
    const double spacing = fxd.DataSpacing[0] / 10000.0;
    const double last = (doc_->m_nPointCount - 1) * spacing;
    ASSERT_EQ(Open(dir_.WriteFile("zero.sor", lumivane::test::WithUserOffset(file.bytes, static_cast<std::int32_t>(-front)))),
              std::vector<std::string>{});
    const ShownTrace zeroAtFirstSample = ShownNow();
    ASSERT_EQ(zeroAtFirstSample.firstSampleKm, 0.0f);
    for (const std::int32_t offset : {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                                      static_cast<std::int32_t>(std::ceil(last + spacing) - front)}) {
      SCOPED_TRACE(offset);
      const Bytes damaged = lumivane::test::WithUserOffset(file.bytes, offset);
      EXPECT_EQ(Open(dir_.WriteFile("damaged.sor", damaged)), Warned());
      lumivane::test::ExpectSameValuesShown(ShownNow(), zeroAtFirstSample);
      const Bytes copy = lumivane::test::ExpectSavedCopiesOpenAsTheFile(*doc_, dir_, sink_, damaged, Warned());
      EXPECT_EQ(lumivane::test::ReadImage(copy)->GenParams.UserOffset, offset);
    }
  }
}

// "UserName" and its zero byte written into the middle of each block of another maker's: the file
// opens as it did, and so does each saved copy, that block's bytes kept.
TEST_F(DamagedFileInterop, ABlockNameInsideAnotherMakersBlockStaysItsData) {
  const std::string name("UserName", 9);
  for (const auto& file : SampleSorFiles()) {
    const std::vector<std::string> messages = Open(dir_.WriteFile("file.sor", file.bytes));
    for (const SorMappedBlock& block : ReadSorMapLayout(file.bytes).blocks) {
      const bool foreign = std::find(kSorBlockNames.begin(), kSorBlockNames.end(), block.name) == kSorBlockNames.end();
      if (!foreign || block.size < 2 * static_cast<std::int64_t>(name.size())) continue;
      SCOPED_TRACE(file.name + ", " + std::string(block.name));
      Bytes image = file.bytes;
      std::copy(name.begin(), name.end(), image.begin() + block.offset + block.size / 2);
      const Bytes copy = lumivane::test::ExpectSavedCopiesOpenAsTheFile(*doc_, dir_, sink_, image, messages);
      EXPECT_EQ(lumivane::test::MappedBlockBytes(copy, block.name), lumivane::test::MappedBlockBytes(image, block.name));
    }
  }
}

// This system's job block before the checksum of each file, in either revision: its texts are shown,
// and Save keeps the block as it was.
TEST_F(DamagedFileInterop, TheJobBlockIsShownAndKeptInEitherRevision) {
  const std::string block("NorvalexParams\0JOB42\0ACME\0", 26);
  const Bytes body(block.begin(), block.end());
  for (const auto& file : SampleSorFiles()) {
    if (ReadSorMapLayout(file.bytes).Listed(kSorBlockVendor) != nullptr) continue;
    SCOPED_TRACE(file.name);
    const std::vector<std::string> messages = Open(dir_.WriteFile("file.sor", file.bytes));
    const Bytes image = lumivane::test::WithBlockInserted(file.bytes, kSorBlockCksum, kSorBlockVendor, body);
    ASSERT_EQ(Open(dir_.WriteFile("job.sor", image)), messages);
    EXPECT_EQ(SorTextView(doc_->m_SorRecord.NorvalexParams.JobID), u"JOB42");
    EXPECT_EQ(SorTextView(doc_->m_SorRecord.NorvalexParams.Customer), u"ACME");
    const Bytes copy = lumivane::test::ExpectSavedCopiesOpenAsTheFile(*doc_, dir_, sink_, image, messages);
    EXPECT_EQ(lumivane::test::MappedBlockBytes(copy, kSorBlockVendor), body);
  }
}

}  // namespace
