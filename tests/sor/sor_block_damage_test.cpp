// A map that disagrees with the blocks, a count whose records would run past its block, a damaged
// identifier or a text without its zero byte: each is damage, what lies inside the blocks is read,
// and a save writes what was read.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sor/sor_block_parsers.h"
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
using lumivane::test::MakeSorV2WithBlock;
using lumivane::test::PatchU16;
using lumivane::test::PatchU32;
using lumivane::test::ReadImage;
using lumivane::test::SameBytes;
using lumivane::test::SorImageBuilder;
using lumivane::test::WithBlockNameDamaged;
using lumivane::test::WithMapEntryRepeated;

std::ptrdiff_t MapSize(const Bytes& b) { return b[6] | (b[7] << 8); }

std::size_t Find(const Bytes& b, const std::string& name) { return static_cast<std::size_t>(FindSorBlock(b, MapSize(b), name)); }

/// Where the size of the map entry `name` is stored.
std::size_t EntrySizeAt(const Bytes& b, const std::string& name) {
  const auto entry = std::search(b.begin() + 12, b.begin() + MapSize(b), name.begin(), name.end());
  EXPECT_NE(entry, b.begin() + MapSize(b)) << name;
  return static_cast<std::size_t>(entry - b.begin()) + name.size() + 1 + 2;
}

SorFileFinding Finding(const Bytes& image) { return InspectSorFile(image, *ReadImage(image)); }

/// Both blocks read alike, and the record a save of the damaged file writes reads back as what was
/// read, from a sound file, and writes again the same bytes.
void ExpectSavedAsRead(const SorRecord& read) {
  const Bytes saved = Assemble(read);
  const auto reread = ReadImage(saved);
  EXPECT_EQ(InspectSorFile(saved, *reread), SorFileFinding::kSound);
  EXPECT_TRUE(SameBytes(reread->GenParams, read.GenParams));
  EXPECT_TRUE(SameBytes(reread->SupParams, read.SupParams));
  EXPECT_TRUE(SameBytes(reread->FxdParams, read.FxdParams));
  EXPECT_TRUE(SameBytes(reread->KeyEvents, read.KeyEvents));
  EXPECT_TRUE(SameBytes(reread->DataPts, read.DataPts));
  EXPECT_TRUE(SameBytes(reread->UserName, read.UserName));
  EXPECT_TRUE(SameBytes(reread->NorvalexParams, read.NorvalexParams));
  EXPECT_EQ(ImageDifference(Assemble(*reread), saved), "");
}

TEST(SorMapDamage, AMapEntryOfSizeZeroForABlockInTheFileIsDamageAndTheSaveKeepsTheBlock) {
  const Bytes sound = MakeSampleSorV2({.points = 60, .events = 6, .foreignBlock = "OtherMaker"});
  const auto asSound = ReadImage(sound);
  ASSERT_EQ(InspectSorFile(sound, *asSound), SorFileFinding::kSound);
  for (const char* block : {"GenParams", "SupParams", "FxdParams", "DataPts", "KeyEvents", "UserName",
                            "NorvalexParams", "OtherMaker", "Cksum"}) {
    SCOPED_TRACE(block);
    Bytes damaged = sound;
    PatchU32(damaged, EntrySizeAt(damaged, block), 0);
    const auto read = ReadImage(damaged);
    EXPECT_EQ(InspectSorFile(damaged, *read), SorFileFinding::kDamaged);
    // The reader finds the blocks by name: everything the sound file shows is shown.
    EXPECT_TRUE(SameBytes(read->KeyEvents, asSound->KeyEvents));
    EXPECT_TRUE(SameBytes(read->DataPts, asSound->DataPts));
    EXPECT_TRUE(SameBytes(read->FxdParams, asSound->FxdParams));
    ExpectSavedAsRead(*read);
  }
}

void ExpectShownAlike(const SorRecord& a, const SorRecord& b) {
  EXPECT_EQ(lumivane::test::ShownBlocksDiffering(a, b), std::vector<std::string>{});
}

/// A revision-2 file that holds a body of every block kind but landmarks, and another maker's block.
Bytes EveryBlockOfThisSystem() { return MakeSampleSorV2({.points = 60, .events = 3, .foreignBlock = "OtherMaker"}); }

/// A revision-2 file whose LnkParams block holds two landmarks, another block after it.
Bytes WithLandmarks();

struct RepeatedEntry {
  const char* block;
  Bytes (*image)();
};

const RepeatedEntry kRepeatedEntries[] = {
    {"GenParams", EveryBlockOfThisSystem}, {"SupParams", EveryBlockOfThisSystem},
    {"FxdParams", EveryBlockOfThisSystem}, {"KeyEvents", EveryBlockOfThisSystem},
    {"LnkParams", WithLandmarks},          {"DataPts", EveryBlockOfThisSystem},
    {"UserName", EveryBlockOfThisSystem},  {"NorvalexParams", EveryBlockOfThisSystem},
    {"Cksum", EveryBlockOfThisSystem},     {"OtherMaker", EveryBlockOfThisSystem},
    {"GenParams", [] { return MakeSampleSorV1({.points = 60}); }},
    {"DataPts", [] { return MakeSampleSorV1({.points = 60}); }},
    {"LnkParams", [] { return MakeSampleSorV1({.points = 60}); }},
};

TEST(SorMapDamage, AnEmptyEntryRepeatingABlockIsDamageAndTheSaveWritesTheBlockOnceAsRead) {
  for (const RepeatedEntry& c : kRepeatedEntries) {
    const Bytes sound = c.image();
    SCOPED_TRACE(testing::Message() << c.block << (sound[0] == 'M' ? " revision 2" : " revision 1"));
    const auto asSound = ReadImage(sound);
    ASSERT_EQ(InspectSorFile(sound, *asSound), SorFileFinding::kSound);
    const Bytes damaged = WithMapEntryRepeated(sound, c.block);
    const auto read = ReadImage(damaged);
    EXPECT_EQ(InspectSorFile(damaged, *read), SorFileFinding::kDamaged);
    ExpectShownAlike(*read, *asSound);
    // The save is the save of the sound file: every block once, the empty entry gone.
    EXPECT_EQ(ImageDifference(Assemble(*read), Assemble(*asSound)), "");
    const Bytes saved = Assemble(*read);
    EXPECT_EQ(InspectSorFile(saved, *ReadImage(saved)), SorFileFinding::kSound);
    EXPECT_EQ(ImageDifference(Assemble(*ReadImage(saved)), saved), "");
  }
}

TEST(SorMapDamage, AMapThatPlacesABlockElsewhereIsDamage) {
  const Bytes sound = MakeSampleSorV2({.points = 60, .events = 3});
  Bytes shorter = sound;
  PatchU32(shorter, EntrySizeAt(shorter, "SupParams"), 20);
  EXPECT_EQ(Finding(shorter), SorFileFinding::kDamaged);
  ExpectSavedAsRead(*ReadImage(shorter));
}

TEST(SorMapDamage, ABlockNameInsideAnotherBlockIsTextNotDamage) {
  const Bytes image = MakeSampleSorV2({.points = 60, .events = 3, .comment = "LnkParams", .supplier = "DataPts"});
  const auto read = ReadImage(image);
  EXPECT_EQ(InspectSorFile(image, *read), SorFileFinding::kSound);
  EXPECT_EQ(read->DataPts.Traces[0].PointCount, 60);
  EXPECT_EQ(read->LnkParams.LandmarkCount, 0);
}

/// The image with the first letter of the identifier of block `name` lower-cased where the map places it.
Bytes WithDamagedIdentifier(const Bytes& image, const char* name) {
  return WithBlockNameDamaged(image, name, static_cast<char>(std::tolower(name[0])));
}

/// The bytes of the block the map lists as `name`.
Bytes ListedBytes(const Bytes& image, std::string_view name) {
  const SorMapLayout layout = ReadSorMapLayout(image);
  const SorMappedBlock* block = layout.Listed(name);
  if (block == nullptr) return {};
  return Bytes(image.begin() + block->offset, image.begin() + block->offset + block->size);
}

TEST(SorBlockNameDamage, ABlockWhoseFieldsFitWhereTheMapPlacesItIsReadThereWithAWarning) {
  const Bytes sound = EveryBlockOfThisSystem();
  const auto asSound = ReadImage(sound);
  for (const char* block : {"GenParams", "SupParams", "FxdParams", "KeyEvents", "DataPts", "UserName", "NorvalexParams"}) {
    SCOPED_TRACE(block);
    const Bytes damaged = WithDamagedIdentifier(sound, block);
    const auto read = ReadImage(damaged);
    EXPECT_EQ(InspectSorFile(damaged, *read), SorFileFinding::kDamaged);
    ExpectShownAlike(*read, *asSound);
    // What was read and shown is saved, under its own identifier.
    ExpectSavedAsRead(*read);
  }
  // Landmarks are never built anew: their block goes back with its damage and warns again.
  const Bytes landmarks = WithDamagedIdentifier(WithLandmarks(), "LnkParams");
  const auto read = ReadImage(landmarks);
  EXPECT_EQ(read->LnkParams.LandmarkCount, 2);
  const Bytes saved = Assemble(*read);
  EXPECT_EQ(ListedBytes(saved, "LnkParams"), ListedBytes(landmarks, "LnkParams"));
  EXPECT_EQ(InspectSorFile(saved, *ReadImage(saved)), SorFileFinding::kDamaged);
}

TEST(SorBlockNameDamage, ABlockThatCannotBeReadIsSavedByteForByteAndStillWarns) {
  struct Unreadable {
    const char* block;
    std::size_t countAfterIdentifier;
  };
  for (const Unreadable c : {Unreadable{"FxdParams", 16}, Unreadable{"KeyEvents", 0}}) {
    SCOPED_TRACE(c.block);
    Bytes damaged = WithDamagedIdentifier(EveryBlockOfThisSystem(), c.block);
    const auto countAt = static_cast<std::size_t>(ReadSorMapLayout(damaged).Listed(c.block)->offset) +
                         std::strlen(c.block) + 1 + c.countAfterIdentifier;
    PatchU16(damaged, countAt, 252);
    const auto read = ReadImage(damaged);
    EXPECT_EQ(InspectSorFile(damaged, *read), SorFileFinding::kDamaged);
    EXPECT_FALSE(SameBytes(read->FxdParams, ReadImage(EveryBlockOfThisSystem())->FxdParams) &&
                 SameBytes(read->KeyEvents, ReadImage(EveryBlockOfThisSystem())->KeyEvents))
        << "nothing is read of it";
    const Bytes saved = Assemble(*read);
    EXPECT_EQ(ListedBytes(saved, c.block), ListedBytes(damaged, c.block));
    const auto reread = ReadImage(saved);
    EXPECT_EQ(InspectSorFile(saved, *reread), SorFileFinding::kDamaged);
    ExpectShownAlike(*reread, *read);
    EXPECT_EQ(ImageDifference(Assemble(*reread), saved), "");
  }
}

TEST(SorTextDamage, ATextWithoutItsZeroByteInItsBlockIsDamageAndStopsAtTheBlockEnd) {
  Bytes image = MakeSampleSorV2({.points = 60, .events = 3, .comment = "Span test"});
  // The comment closes GenParams; its zero byte turned into a letter runs it into SupParams.
  image[Find(image, "SupParams") - 1] = 'X';
  const auto read = ReadImage(image);
  EXPECT_EQ(InspectSorFile(image, *read), SorFileFinding::kDamaged);
  EXPECT_EQ(SorTextView(read->GenParams.Comment), u"Span testX");
  EXPECT_EQ(SorTextView(read->SupParams.SupplierName), u"Supplier");
  ExpectSavedAsRead(*read);
}

/// A revision-2 file whose LnkParams block holds two landmarks, another block after it.
Bytes WithLandmarks() {
  return MakeSorV2WithBlock([](SorImageBuilder& b) {
    lumivane::test::AddSampleFxdParams(b, true, 3);
    b.Block("DataPts").I32(3).I16(1).I32(3).I16(1000).U16(1).U16(2).U16(3);
    b.Block("LnkParams").I16(2);
    for (int k = 0; k < 2; ++k) {
      b.I16(static_cast<std::int16_t>(k)).Fixed("AB", 2).I32(k * 100).I16(0).I32(0).I32(0).I16(0).I32(0).I32(0);
      b.Fixed("mt", 2).I16(0).Text("mark");
    }
    b.Block("OtherMaker").U32(7);
  });
}

struct CountDamage {
  const char* field;
  std::function<Bytes()> image;
  std::size_t (*countAt)(const Bytes&);
  std::uint16_t flipped;
  std::function<int(const SorRecord&)> shown;
  int expected;
};

const CountDamage kCountDamages[] = {
    {"pulse widths", [] { return MakeSampleSorV2({.points = 60}); }, [](const Bytes& b) { return Find(b, "FxdParams") + 26; },
     252, [](const SorRecord& r) { return int{r.FxdParams.PulseWidthCount}; }, 1},
    {"key events", [] { return MakeSampleSorV2({.points = 60, .events = 3}); },
     [](const Bytes& b) { return Find(b, "KeyEvents") + 10; }, 252,
     [](const SorRecord& r) { return int{r.KeyEvents.KeyEventCount}; }, 3},
    {"key events, negative", [] { return MakeSampleSorV2({.points = 60, .events = 3}); },
     [](const Bytes& b) { return Find(b, "KeyEvents") + 10; }, 0xFC03,
     [](const SorRecord& r) { return int{r.KeyEvents.KeyEventCount}; }, 0},
    {"traces", [] { return MakeSampleSorV2({.points = 60}); }, [](const Bytes& b) { return Find(b, "DataPts") + 12; },
     252, [](const SorRecord& r) { return int{r.DataPts.TraceCount}; }, 1},
    {"points", [] { return MakeSampleSorV2({.points = 60}); }, [](const Bytes& b) { return Find(b, "DataPts") + 14; },
     0xFC3C, [](const SorRecord& r) { return r.DataPts.Traces[0].PointCount; }, 60},
    {"landmarks", WithLandmarks, [](const Bytes& b) { return Find(b, "LnkParams") + 10; }, 252,
     [](const SorRecord& r) { return int{r.LnkParams.LandmarkCount}; }, 2},
};

TEST(SorCountDamage, ACountWhoseRecordsRunPastItsBlockIsDamageAndOnlyTheBlockIsRead) {
  for (const CountDamage& c : kCountDamages) {
    SCOPED_TRACE(c.field);
    const Bytes sound = c.image();
    const auto asSound = ReadImage(sound);
    ASSERT_EQ(InspectSorFile(sound, *asSound), SorFileFinding::kSound);
    Bytes damaged = sound;
    PatchU16(damaged, c.countAt(damaged), c.flipped);
    const auto read = ReadImage(damaged);
    EXPECT_EQ(InspectSorFile(damaged, *read), SorFileFinding::kDamaged);
    EXPECT_EQ(c.shown(*read), c.expected);
    if (c.expected != 0) {
      // The fields after the records are where the block's own count puts them.
      EXPECT_TRUE(SameBytes(read->FxdParams, asSound->FxdParams));
      EXPECT_TRUE(SameBytes(read->KeyEvents, asSound->KeyEvents));
      EXPECT_TRUE(SameBytes(read->DataPts, asSound->DataPts));
      EXPECT_TRUE(SameBytes(read->LnkParams, asSound->LnkParams));
    }
    if (std::string_view(c.field) == "landmarks") {
      // Landmarks are never built anew: their block goes back as the file held it, and reads alike.
      EXPECT_TRUE(SameBytes(ReadImage(Assemble(*read))->LnkParams, read->LnkParams));
    } else {
      ExpectSavedAsRead(*read);
    }
  }
}

}  // namespace
