// Saves of damaged files: a block the reader could not read goes back as the file held it until
// the user puts something into it, and is then written as shown; a file without the block that
// places its trace warns and its save makes none up; a revision-1 map whose count disagrees with
// its size warns and every block it lists is read. Whatever is written reads back, however short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "sor/sor_file_findings.h"
#include "sor/sor_map_layout.h"
#include "sor/sor_text.h"
#include "sor_image_builder.h"
#include "sor_map_edits.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::Assemble;
using lumivane::test::Bytes;
using lumivane::test::ImageDifference;
using lumivane::test::MakeSampleSorV1;
using lumivane::test::MakeSampleSorV2;
using lumivane::test::ReadImage;
using lumivane::test::SameBytes;
using lumivane::test::ShownBlocksDiffering;

SorFileFinding Finding(const Bytes& image) { return InspectSorFile(image, *ReadImage(image)); }

/// The map size of block `name`'s entry in a revision-2 image.
std::uint32_t MappedSize(const Bytes& image, std::string_view name) {
  const SorMapLayout layout = ReadSorMapLayout(image);
  const SorMappedBlock* block = layout.Listed(name);
  return block == nullptr ? 0 : static_cast<std::uint32_t>(block->size);
}

/// The image with every occurrence of `name` (map entry and identifier) spelt `other`, of its length.
Bytes Renamed(Bytes image, std::string_view name, std::string_view other) {
  for (auto at = image.begin(); (at = std::search(at, image.end(), name.begin(), name.end())) != image.end();) {
    at = std::copy(other.begin(), other.end(), at);
  }
  return image;
}

/// The saved image reads back as `finding`, and saved again it keeps every byte.
void ExpectSavedStable(const Bytes& saved, SorFileFinding finding) {
  EXPECT_EQ(Finding(saved), finding);
  EXPECT_EQ(ImageDifference(Assemble(*ReadImage(saved)), saved), "");
}

// A block whose identifier is damaged and whose map size is wrong is not read. Saved as it is, it
// keeps its bytes and the copy still warns; once the user replaced it (a reanalysis's events, a
// header typed in), it is written as shown.
TEST(SorDamagedSave, AnUnreadBlockTheUserReplacedIsSavedAsShown) {
  const Bytes sound = MakeSampleSorV2({.points = 60, .events = 3, .foreignBlock = "OtherMaker"});
  const auto asSound = ReadImage(sound);
  struct Case {
    std::string_view block;
    void (*replace)(SorRecord& record, const SorRecord& shown);
    bool (*kept)(const SorRecord& saved, const SorRecord& shown);
  };
  const Case cases[] = {
      {"KeyEvents", [](SorRecord& r, const SorRecord& shown) { r.KeyEvents = shown.KeyEvents; },
       [](const SorRecord& saved, const SorRecord& shown) { return SameBytes(saved.KeyEvents, shown.KeyEvents); }},
      {"GenParams", [](SorRecord& r, const SorRecord&) { SetSorText(r.GenParams.CableId, "CABLE-9"); },
       [](const SorRecord& saved, const SorRecord&) { return SorTextView(saved.GenParams.CableId) == u"CABLE-9"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.block);
    Bytes damaged = lumivane::test::WithBlockNameDamaged(sound, c.block, 'x');
    damaged = lumivane::test::WithMapEntrySize(damaged, c.block, MappedSize(sound, c.block) - 4);
    const auto read = ReadImage(damaged);
    ASSERT_EQ(InspectSorFile(damaged, *read), SorFileFinding::kDamaged);

    const Bytes unchanged = Assemble(*read);
    EXPECT_EQ(Finding(unchanged), SorFileFinding::kDamaged) << "the copied block still warns";
    ExpectSavedStable(unchanged, SorFileFinding::kDamaged);

    c.replace(*read, *asSound);
    const Bytes replaced = Assemble(*read);
    EXPECT_TRUE(c.kept(*ReadImage(replaced), *asSound));
    ExpectSavedStable(replaced, Finding(replaced));
  }
}

// The trace cannot be placed without FxdParams: a file that lacks it (here under another name) is
// damaged, and neither its save nor a unit relabelled for the save makes one up.
TEST(SorDamagedSave, AFileWithoutFxdParamsWarnsAndItsSaveMakesNoneUp) {
  const Bytes renamed = Renamed(MakeSampleSorV2({.points = 60}), "FxdParams", "FxdParamz");
  const auto read = ReadImage(renamed);
  EXPECT_EQ(InspectSorFile(renamed, *read), SorFileFinding::kDamaged);
  SetSorText(read->FxdParams.DistanceUnits, "mt");
  const Bytes saved = Assemble(*read);
  const SorMapLayout layout = ReadSorMapLayout(saved);
  EXPECT_EQ(layout.Listed("FxdParams"), nullptr);
  EXPECT_NE(layout.Listed("FxdParamz"), nullptr) << "the renamed block keeps its bytes";
  ExpectSavedStable(saved, SorFileFinding::kDamaged);

  // A block of the standard the file does not list at all is left out too.
  lumivane::test::SorImageBuilder b;
  b.Block("DataPts").I32(3).I16(1).I32(3).I16(1000).U16(1).U16(2).U16(3);
  b.Block("Cksum");
  const Bytes bare = b.BuildV2();
  EXPECT_EQ(Finding(bare), SorFileFinding::kDamaged);
  const Bytes bareSaved = Assemble(*ReadImage(bare));
  const SorMapLayout bareLayout = ReadSorMapLayout(bareSaved);
  for (const std::string_view name : {"GenParams", "SupParams", "FxdParams", "KeyEvents"}) {
    EXPECT_EQ(bareLayout.Listed(name), nullptr) << name;
  }
  ExpectSavedStable(bareSaved, SorFileFinding::kDamaged);
}

// Writers count the Map among a revision-1 map's blocks or leave it out; any other count is damage,
// and the blocks the map's size holds are read all the same. The save reads back as it was shown.
TEST(SorDamagedSave, ARevision1MapCountThatDisagreesWithItsSizeIsDamage) {
  const Bytes v1 = MakeSampleSorV1({.points = 5, .events = 1, .foreignBlock = "OtherMaker"});
  const auto asSound = ReadImage(v1);
  ASSERT_EQ(lumivane::test::MapEntryNames(v1).size(), 8u);
  struct Case {
    std::int16_t count;
    SorFileFinding finding;
  };
  for (const Case c : {Case{9, SorFileFinding::kSound}, Case{8, SorFileFinding::kSound},
                       Case{1, SorFileFinding::kDamaged}, Case{7, SorFileFinding::kDamaged},
                       Case{10, SorFileFinding::kDamaged}, Case{-1, SorFileFinding::kDamaged}}) {
    SCOPED_TRACE(c.count);
    const Bytes counted = lumivane::test::WithMapCount(v1, c.count);
    const auto read = ReadImage(counted);
    EXPECT_EQ(InspectSorFile(counted, *read), c.finding);
    EXPECT_EQ(ShownBlocksDiffering(*read, *asSound), std::vector<std::string>{});
    const Bytes saved = Assemble(*read);
    // This system's own block joins the save of a file that lacks it.
    EXPECT_EQ(ShownBlocksDiffering(*ReadImage(saved), *read), std::vector<std::string>{"NorvalexParams"});
    ExpectSavedStable(saved, SorFileFinding::kSound);
  }
}

}  // namespace
