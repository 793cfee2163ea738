// A record read from another maker's file and written again keeps what the program did not change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sor/sor_file_findings.h"
#include "sor/sor_map_layout.h"
#include "sor/sor_text.h"
#include "sor_image_builder.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::Assemble;
using lumivane::test::Bytes;
using lumivane::test::ReadImage;
using lumivane::test::SampleSorSpec;

const std::string kLongComment = std::string(150, 'c') + " end";
const std::string kSupplierWithLineBreak = "Acme\r\nOptics\x01";

SampleSorSpec ForeignSpec() {
  SampleSorSpec spec;
  spec.userVer = 0;
  spec.withVendor = false;
  spec.comment = kLongComment;
  spec.supplier = kSupplierWithLineBreak;
  spec.eventComment = "a key-event comment longer than nineteen";
  spec.foreignBlock = "AcmeTrace 01";
  return spec;
}

Bytes BlockBytes(const Bytes& image, const SorMappedBlock& block) {
  return Bytes(image.begin() + block.offset, image.begin() + block.offset + block.size);
}

/// The blocks of `image` by name, in map order.
std::vector<std::pair<std::string, Bytes>> Blocks(const Bytes& image) {
  std::vector<std::pair<std::string, Bytes>> blocks;
  for (const SorMappedBlock& block : ReadSorMapLayout(image).blocks) blocks.emplace_back(block.name, BlockBytes(image, block));
  return blocks;
}

bool Contains(const Bytes& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

std::int16_t BlockCount(const Bytes& image) { return static_cast<std::int16_t>(image[10] | (image[11] << 8)); }

TEST(SorSave, AnUneditedRecordComesBackBlockForBlockWithTheMapAndChecksumOfTheStandard) {
  const Bytes source = lumivane::test::MakeSampleSorV2(ForeignSpec());
  const Bytes written = Assemble(*ReadImage(source));
  const auto before = Blocks(source);
  auto after = Blocks(written);
  ASSERT_FALSE(after.empty());
  // The checksum block is the writer's own and comes last.
  EXPECT_EQ(after.back().first, "Cksum");
  after.pop_back();
  std::vector<std::pair<std::string, Bytes>> expected;
  for (const auto& block : before) {
    if (block.first != "Cksum") expected.push_back(block);
  }
  // This system's own job and customer block joins a file that had none.
  ASSERT_EQ(after.size(), expected.size() + 1);
  EXPECT_EQ(after.back().first, "NorvalexParams");
  after.pop_back();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].first);
    EXPECT_EQ(after[i].first, expected[i].first);
    EXPECT_EQ(after[i].second, expected[i].second);
  }

  const SorMapLayout layout = ReadSorMapLayout(written);
  EXPECT_EQ(BlockCount(written), static_cast<std::int16_t>(layout.blocks.size() + 1)) << "the Map counts itself";
  EXPECT_EQ(layout.end, static_cast<std::int64_t>(written.size()));
  EXPECT_EQ(VerifySorChecksum(written), SorChecksumStatus::kAllButChecksumValue);
}

TEST(SorSave, AnEditedHeaderKeepsEveryTextTheUserDidNotTouch) {
  const Bytes source = lumivane::test::MakeSampleSorV2(ForeignSpec());
  auto record = ReadImage(source);
  // The record holds what its fields can: the comment cut, the supplier's control bytes blanked.
  ASSERT_EQ(SorTextLength(record->GenParams.Comment), static_cast<std::size_t>(kSorTextCapacity - 1));
  SetSorText(record->GenParams.CableId, u"NEW CABLE");
  record->KeyEvents.Events[0].SpliceLoss = 123;
  const Bytes written = Assemble(*record);
  for (const auto& [name, bytes] : Blocks(written)) {
    if (name == "GenParams") {
      EXPECT_TRUE(Contains(bytes, "NEW CABLE"));
      EXPECT_TRUE(Contains(bytes, kLongComment + '\0'));
    }
    if (name == "SupParams") {
      EXPECT_TRUE(Contains(bytes, kSupplierWithLineBreak + '\0'));
    }
    if (name == "KeyEvents") {
      EXPECT_TRUE(Contains(bytes, std::string("a key-event comment longer than nineteen") + '\0'));
    }
  }
  const auto reread = ReadImage(written);
  EXPECT_EQ(SorTextView(reread->GenParams.CableId), u"NEW CABLE");
  EXPECT_EQ(reread->KeyEvents.Events[0].SpliceLoss, 123);
  EXPECT_EQ(SorTextView(reread->GenParams.Comment), SorTextView(record->GenParams.Comment));
}

TEST(SorSave, ATextTheUserChangedIsWrittenAsTheRecordHoldsIt) {
  auto record = ReadImage(lumivane::test::MakeSampleSorV2(ForeignSpec()));
  SetSorText(record->GenParams.Comment, u"short");
  const auto reread = ReadImage(Assemble(*record));
  EXPECT_EQ(SorTextView(reread->GenParams.Comment), u"short");
}

TEST(SorSave, ARevision1SourceIsWrittenAsRevision2WithTheStandardTraceTypeAndItsOtherBlocks) {
  const Bytes source = lumivane::test::MakeSampleSorV1(ForeignSpec());
  const auto record = ReadImage(source);
  EXPECT_EQ(SorTextView(record->FxdParams.TraceType), u"ST");
  const Bytes written = Assemble(*record);
  ASSERT_TRUE(IsSorV2(written));
  const auto reread = ReadImage(written);
  EXPECT_EQ(SorTextView(reread->FxdParams.TraceType), u"ST");
  EXPECT_EQ(reread->KeyEvents.KeyEventCount, record->KeyEvents.KeyEventCount);
  EXPECT_EQ(reread->DataPts.Traces[0].PointCount, record->DataPts.Traces[0].PointCount);

  std::vector<std::string> names;
  for (const auto& [name, bytes] : Blocks(written)) {
    names.push_back(name);
    if (name == "AcmeTrace 01") {
      EXPECT_EQ(bytes, Blocks(source)[6].second) << "another maker's block, verbatim";
    }
    if (name == "GenParams") {
      EXPECT_TRUE(Contains(bytes, kLongComment + '\0'));
    }
    if (name == "SupParams") {
      EXPECT_TRUE(Contains(bytes, kSupplierWithLineBreak + '\0'));
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"GenParams", "SupParams", "FxdParams", "KeyEvents", "LnkParams", "DataPts",
                                             "AcmeTrace 01", "NorvalexParams", "Cksum"}));
}

TEST(SorSave, ABlockTheFileEndsInsideOfIsLeftOutAndTheRestIsWritten) {
  Bytes source = lumivane::test::MakeSampleSorV2(ForeignSpec());
  source.resize(source.size() - 20);  // into the other maker's block
  const auto record = ReadImage(source);
  const Bytes written = Assemble(*record);
  for (const auto& [name, bytes] : Blocks(written)) EXPECT_NE(name, "AcmeTrace 01");
  EXPECT_EQ(ReadImage(written)->DataPts.Traces[0].PointCount, record->DataPts.Traces[0].PointCount);
}

TEST(SorSave, EverySampleOfATraceLongerThanTheRecordKeepsIsSavedInEitherRevision) {
  constexpr int kPoints = 90000;
  for (const Bytes& source : {lumivane::test::MakeSampleSorV1({.points = kPoints}),
                              lumivane::test::MakeSampleSorV2({.points = kPoints})}) {
    SCOPED_TRACE(IsSorV2(source) ? "revision 2" : "revision 1");
    const auto record = ReadImage(source);
    ASSERT_EQ(InspectSorFile(source, *record), SorFileFinding::kSamplesCut);
    ASSERT_EQ(record->DataPts.Traces[0].PointCount, kSorMaxSamples);
    const Bytes written = Assemble(*record);
    // The block as the file held it: a revision-1 body gets the identifier that revision leaves out.
    Bytes expected;
    if (!IsSorV2(source)) expected = {'D', 'a', 't', 'a', 'P', 't', 's', 0};
    for (const auto& [name, bytes] : Blocks(source)) {
      if (name == "DataPts") expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    for (const auto& [name, bytes] : Blocks(written)) {
      if (name == "DataPts") {
        EXPECT_EQ(bytes, expected);
      }
    }
    const auto reread = ReadImage(written);
    EXPECT_EQ(InspectSorFile(written, *reread), SorFileFinding::kSamplesCut) << "still more samples than shown";
    EXPECT_TRUE(lumivane::test::SameBytes(reread->DataPts, record->DataPts));
    EXPECT_EQ(Assemble(*reread), written);
  }
}

}  // namespace
