#include <gtest/gtest.h>

#include "sor/sor_crc.h"
#include "sor/sor_text.h"
#include "sor_image_builder.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::Assemble;
using lumivane::test::Bytes;
using lumivane::test::ImageDifference;
using lumivane::test::MakeSampleSorV1;
using lumivane::test::MakeSampleSorV2;
using lumivane::test::ReadImage;
using lumivane::test::SameBytes;

/// The fixture as this system writes it: the Map counted among the blocks, the checksum over every
/// byte but its own two.
Bytes WithTheStandardMapCountAndChecksum(Bytes image) {
  image[10] = static_cast<std::uint8_t>(image[10] + 1);
  const std::uint16_t crc = SorCrc16(image.data(), image.size() - 2);
  image[image.size() - 2] = static_cast<std::uint8_t>(crc & 0xFF);
  image[image.size() - 1] = static_cast<std::uint8_t>(crc >> 8);
  return image;
}

TEST(SorRoundTrip, FileOfThisSystemReadAndWrittenGivesTheSameBytes) {
  for (const int userVer : {0, 201, 202, 203}) {
    const Bytes original = MakeSampleSorV2({.points = 1000, .events = 5, .userVer = userVer});
    EXPECT_EQ(ImageDifference(Assemble(*ReadImage(original)), WithTheStandardMapCountAndChecksum(original)), "")
        << "user block version " << userVer;
  }
}

TEST(SorRoundTrip, WriteReadWriteGivesIdenticalBytesAndReadWriteReadIdenticalRecords) {
  const auto first = ReadImage(MakeSampleSorV1({.points = 700, .events = 6}));
  SetSorText(first->NorvalexParams.JobID, u"J\u4E00");  // a typed character the file cannot hold
  const Bytes written = Assemble(*first);
  const auto second = ReadImage(written);
  EXPECT_EQ(ImageDifference(Assemble(*second), written), "");
  const auto third = ReadImage(Assemble(*second));
  EXPECT_TRUE(SameBytes(*third, *second));
  EXPECT_EQ(SorTextView(second->NorvalexParams.JobID), u"J?");
}

TEST(SorRoundTrip, TextsThatEqualBlockNamesDoNotMisplaceTheBlocks) {
  auto record = ReadImage(MakeSampleSorV2({.points = 300, .events = 3}));
  SetSorText(record->GenParams.CableId, u"DataPts");
  SetSorText(record->GenParams.Comment, u"KeyEvents");
  SetSorText(record->SupParams.Other, u"Cksum");
  const auto reread = ReadImage(Assemble(*record));
  EXPECT_TRUE(SameBytes(reread->DataPts, record->DataPts));
  EXPECT_TRUE(SameBytes(reread->KeyEvents, record->KeyEvents));
  EXPECT_EQ(reread->Cksum.Checksum, SorCrc16(Assemble(*record).data(), Assemble(*record).size() - 2));
  EXPECT_EQ(SorTextView(reread->GenParams.CableId), u"DataPts");
}

TEST(SorRoundTrip, ChecksumOfAWrittenFileVerifies) {
  const Bytes written = Assemble(*ReadImage(MakeSampleSorV1({.points = 4000})));
  EXPECT_EQ(VerifySorChecksum(written), SorChecksumStatus::kAllButChecksumValue);
  const std::uint16_t crc = SorCrc16(written.data(), written.size() - 2);
  EXPECT_EQ(written[written.size() - 2], crc & 0xFF);
  EXPECT_EQ(written[written.size() - 1], crc >> 8);
  EXPECT_EQ(ReadImage(written)->Cksum.Checksum, crc);
}

}  // namespace
