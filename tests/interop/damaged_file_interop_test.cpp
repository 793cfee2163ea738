// Damaged copies of the real files: a map that lists a block twice, a block whose identifier is
// damaged. Each opens with the warning and shows what the file shows; Save writes every block once,
// as read and shown, and a second save changes no byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/otdr_doc.h"
#include "document/trace_save.h"
#include "platform/path_util.h"
#include "recording_message_sink.h"
#include "sample_files.h"
#include "sor/sor_block_parsers.h"
#include "sor/sor_crc.h"
#include "sor/sor_map_layout.h"
#include "sor_image_builder.h"
#include "sor_map_edits.h"
#include "sor_test_util.h"
#include "temp_dir.h"
#include "trace/trace_conversions.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::SampleSorFiles;
using lumivane::test::TempDir;

class DamagedFileInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SAMPLES();
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
  }

  /// Opens the file as the open path does; the messages the open showed.
  std::vector<std::string> Open(const std::string& path) {
    sink_.Clear();
    EXPECT_EQ(doc_->OpenTraceFile(path, 0, doc_->m_SorRecord), 1);
    LoadDisplayModel(kSorFileKind, doc_->m_SorRecord, {}, doc_->DisplayModelMembers());
    ApplyStoredLossTotals(doc_->m_SorRecord, doc_->m_EventRows, doc_->m_nEventCount);
    return sink_.MessageTexts();
  }

  /// Opens `image` as a file, saves it in place and returns what was saved.
  Bytes OpenAndSave(const std::string& name, const Bytes& image) {
    const std::string path = dir_.WriteFile(name, image);
    Open(path);
    EXPECT_TRUE(OnFileSave(*doc_, {}));
    return TempDir::ReadFile(path);
  }

  /// What the panes show of the current trace, with the record it came from.
  struct Shown {
    std::unique_ptr<SorRecord> record;
    std::vector<EventRow> rows;
    FibreParamsRecord fibre;
    std::vector<double> samples;
  };

  Shown ShownNow() const {
    Shown shown{std::make_unique<SorRecord>(doc_->m_SorRecord), {}, doc_->m_FibreParams, {}};
    shown.rows.assign(doc_->m_EventRows.begin(), doc_->m_EventRows.begin() + doc_->m_nEventCount);
    const auto samples = LeadingDbSamples(doc_->m_DbSamples, doc_->m_nPointCount);
    shown.samples.assign(samples.begin(), samples.end());
    return shown;
  }

  static void ExpectSameShown(const Shown& a, const Shown& b) {
    EXPECT_EQ(lumivane::test::ShownBlocksDiffering(*a.record, *b.record), std::vector<std::string>{});
    ASSERT_EQ(a.rows.size(), b.rows.size());
    for (std::size_t i = 0; i < a.rows.size(); ++i) EXPECT_TRUE(lumivane::test::SameBytes(a.rows[i], b.rows[i])) << i;
    EXPECT_TRUE(lumivane::test::SameBytes(a.fibre, b.fibre));
    EXPECT_EQ(a.samples, b.samples);
  }

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
    const Shown sound = ShownNow();
    ASSERT_TRUE(OnFileSave(*doc_, {}));
    const Bytes soundSaved = TempDir::ReadFile(soundPath);
    Open(soundPath);
    const Shown soundSavedShown = ShownNow();
    for (const SorMappedBlock& block : ReadSorMapLayout(file.bytes).blocks) {
      const std::string name(block.name);
      SCOPED_TRACE(file.name + ", " + name);
      const Bytes damaged = lumivane::test::WithMapEntryRepeated(file.bytes, name);
      const std::string path = dir_.WriteFile("repeated.sor", damaged);
      EXPECT_EQ(Open(path), Warned());
      ExpectSameShown(ShownNow(), sound);
      ASSERT_TRUE(OnFileSave(*doc_, {}));
      const Bytes saved = TempDir::ReadFile(path);
      EXPECT_EQ(lumivane::test::ImageDifference(saved, soundSaved), "") << "the save of the sound file";
      EXPECT_EQ(Open(path), std::vector<std::string>{});
      ExpectSameShown(ShownNow(), soundSavedShown);
      EXPECT_EQ(lumivane::test::ImageDifference(OpenAndSave("again.sor", saved), saved), "");
    }
  }
}

// Where the map of `image` places block `name`, and the block the map puts after it (none when last).
struct MappedPlace {
  SorMappedBlock block{};
  std::optional<SorMappedBlock> next;
};

MappedPlace PlaceOf(const Bytes& image, std::string_view name) {
  const auto blocks = ReadSorMapLayout(image).blocks;
  const auto block = std::find_if(blocks.begin(), blocks.end(), [&](const SorMappedBlock& b) { return b.name == name; });
  EXPECT_NE(block, blocks.end()) << name;
  if (block == blocks.end()) return {};
  return {*block, block + 1 == blocks.end() ? std::nullopt : std::optional<SorMappedBlock>(block[1])};
}

// Whether the file bears out where its map places block `name`: the block ends the file, or the
// block the map puts after it carries its identifier there. Another maker's block need carry none
// (a revision-1 file's blocks saved as revision 2 keep their bytes), and then nothing confirms it.
bool PlaceBorneOut(const Bytes& image, std::string_view name) {
  const MappedPlace place = PlaceOf(image, name);
  if (!place.next) return place.block.offset + place.block.size == static_cast<std::int64_t>(image.size());
  const std::string_view next = place.next->name;
  return place.next->offset + static_cast<std::int64_t>(next.size()) <= static_cast<std::int64_t>(image.size()) &&
         std::equal(next.begin(), next.end(), image.begin() + place.next->offset);
}

// The bytes of block `name` where the map of `image` places it.
Bytes BlockBytes(const Bytes& image, std::string_view name) {
  const SorMappedBlock block = PlaceOf(image, name).block;
  const auto from = std::min<std::int64_t>(block.offset, static_cast<std::int64_t>(image.size()));
  const auto to = std::min<std::int64_t>(block.offset + block.size, static_cast<std::int64_t>(image.size()));
  return Bytes(image.begin() + from, image.begin() + to);
}

// A block the reader finds by its place is shown as read and saved under its own identifier; one
// whose place nothing confirms is not read: the file still warns, and Save keeps its bytes as they were.
TEST_F(DamagedFileInterop, ABlockWhoseIdentifierIsDamagedIsShownAndSavedAsRead) {
  for (const auto& file : SampleSorFiles()) {
    if (!IsSorV2(file.bytes)) continue;  // revision-1 blocks carry no identifier
    const std::string soundPath = dir_.WriteFile("sound.sor", file.bytes);
    ASSERT_EQ(Open(soundPath), std::vector<std::string>{}) << file.name;
    const Shown sound = ShownNow();
    ASSERT_TRUE(OnFileSave(*doc_, {}));
    Open(soundPath);
    const Shown soundSavedShown = ShownNow();
    for (const std::string_view name : {kSorBlockGenParams, kSorBlockSupParams, kSorBlockFxdParams, kSorBlockKeyEvents}) {
      SCOPED_TRACE(file.name + ", " + std::string(name));
      const Bytes damaged = lumivane::test::WithBlockNameDamaged(file.bytes, name, static_cast<char>(std::tolower(name[0])));
      const std::string path = dir_.WriteFile("renamed.sor", damaged);
      EXPECT_EQ(Open(path), Warned());
      if (!PlaceBorneOut(file.bytes, name)) {
        ASSERT_TRUE(OnFileSave(*doc_, {}));
        const Bytes saved = TempDir::ReadFile(path);
        EXPECT_EQ(Open(path), Warned()) << "the saved copy still warns";
        EXPECT_EQ(BlockBytes(saved, name), BlockBytes(damaged, name))
            << "the block's bytes as they were";
        EXPECT_EQ(lumivane::test::ImageDifference(OpenAndSave("again.sor", saved), saved), "");
        continue;
      }
      ExpectSameShown(ShownNow(), sound);
      ASSERT_TRUE(OnFileSave(*doc_, {}));
      const Bytes saved = TempDir::ReadFile(path);
      EXPECT_EQ(Open(path), std::vector<std::string>{}) << "saved under its own identifier";
      ExpectSameShown(ShownNow(), soundSavedShown);
      EXPECT_EQ(lumivane::test::ImageDifference(OpenAndSave("again.sor", saved), saved), "");
    }
  }
}

}  // namespace
