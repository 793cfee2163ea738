// A copy saved with Save or Save As opens as the file did: warned where the file was, silent where it
// was not, showing what it showed; saving the copy again changes no byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "shown_trace.h"
#include "sor/sor_text.h"
#include "sor_image_builder.h"
#include "sor_map_edits.h"
#include "temp_dir.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::ShownTrace;
using lumivane::test::TempDir;

using Messages = std::vector<std::string>;

class SavedCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
  }

  Messages Open(const std::string& path) { return lumivane::test::OpenShown(*doc_, path, sink_); }

  Bytes ExpectSavedCopiesOpenAsTheFile(const Bytes& image, const Messages& messages) {
    return lumivane::test::ExpectSavedCopiesOpenAsTheFile(*doc_, dir_, sink_, image, messages);
  }

  Messages Warned() const { return {g_CurrentStrings[TextRow::FileDamaged]}; }

  TempDir dir_;
  lumivane::test::RecordingMessageSink sink_;
  lumivane::ScopedMessageSink scoped_{sink_};
  std::unique_ptr<COtdrDoc> doc_ = std::make_unique<COtdrDoc>();
};

Bytes Sample(bool revision2) {
  // No user block: its stored losses follow the screen on every save.
  return revision2 ? lumivane::test::MakeSampleSorV2({.userVer = 0}) : lumivane::test::MakeSampleSorV1();
}

// A user offset that puts the zero off the trace is damage: the file warns, its distances count from
// its first sample, and a save keeps the field as read, so the saved copy warns again.
TEST_F(SavedCopyTest, AUserOffsetOffTheTraceWarnsCountsFromTheFirstSampleAndIsSavedAsRead) {
  for (const bool revision2 : {true, false}) {
    SCOPED_TRACE(revision2 ? "revision 2" : "revision 1");
    const Bytes sound = Sample(revision2);
    ASSERT_EQ(Open(dir_.WriteFile("sound.sor", sound)), Messages{});
    const SorFxdParams& fxd = doc_->m_SorRecord.FxdParams;
    // Times from the first sample: to the front panel, and to the last sample.
    const std::int32_t front = fxd.FrontPanelOffset != 0 ? fxd.FrontPanelOffset : -fxd.AcquisitionOffset;
    const std::int32_t spacing = fxd.DataSpacing[0] / 10000;
    const std::int32_t last = (doc_->m_nPointCount - 1) * spacing;
    ASSERT_GT(spacing, 0);
    ASSERT_EQ(Open(dir_.WriteFile("zero.sor", lumivane::test::WithUserOffset(sound, -front))), Messages{});
    const ShownTrace zeroAtFirstSample = lumivane::test::ShownNow(*doc_);
    ASSERT_EQ(zeroAtFirstSample.firstSampleKm, 0.0f);

    for (const std::int32_t offset : {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                                      last - front + spacing}) {
      SCOPED_TRACE(offset);
      const Bytes damaged = lumivane::test::WithUserOffset(sound, offset);
      EXPECT_EQ(Open(dir_.WriteFile("damaged.sor", damaged)), Warned());
      lumivane::test::ExpectSameValuesShown(lumivane::test::ShownNow(*doc_), zeroAtFirstSample);
      const Bytes copy = ExpectSavedCopiesOpenAsTheFile(damaged, Warned());
      EXPECT_EQ(lumivane::test::ReadImage(copy)->GenParams.UserOffset, offset);
    }
  }
}

// Another maker's revision-1 block carries no identifier, and its bytes may spell one of this
// system's block names: they are that maker's data in the file and in the revision-2 copy alike.
TEST_F(SavedCopyTest, ABlockNameInsideAnotherMakersRevision1BlockStaysItsData) {
  Bytes body(60, 0x11);
  const std::string inside = "UserName";
  std::copy(inside.begin(), inside.end(), body.begin() + 20);
  body[20 + inside.size()] = 0;
  const Bytes image = lumivane::test::WithBlockInserted(Sample(false), "Cksum", "OtherMakerInfo", body);
  EXPECT_EQ(lumivane::test::MappedBlockBytes(ExpectSavedCopiesOpenAsTheFile(image, Messages{}), "OtherMakerInfo"), body);
}

// This system's job and customer block reads the same in either revision and is kept by a save.
TEST_F(SavedCopyTest, TheJobBlockOfARevision1FileIsShownAndKept) {
  const std::string block("NorvalexParams\0JOB42\0ACME\0", 26);
  const Bytes body(block.begin(), block.end());
  const Bytes image = lumivane::test::WithBlockInserted(Sample(false), "Cksum", "NorvalexParams", body);
  ASSERT_EQ(Open(dir_.WriteFile("job.sor", image)), Messages{});
  EXPECT_EQ(SorTextView(doc_->m_SorRecord.NorvalexParams.JobID), u"JOB42");
  EXPECT_EQ(SorTextView(doc_->m_SorRecord.NorvalexParams.Customer), u"ACME");
  EXPECT_EQ(lumivane::test::MappedBlockBytes(ExpectSavedCopiesOpenAsTheFile(image, Messages{}), "NorvalexParams"), body);
}

}  // namespace
