// Damaged copies of the real files: a map that lists a block twice, a block whose identifier is
// damaged. Each opens with the warning and shows what the file shows; Save writes every block once,
// as read and shown, and a second save changes no byte.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
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
