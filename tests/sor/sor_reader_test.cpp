#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

#include "sor/sor_block_parsers.h"
#include "sor/sor_text.h"
#include "sor_image_builder.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::ExpectSound;
using lumivane::test::MakeSampleSorV1;
using lumivane::test::MakeSampleSorV2;
using lumivane::test::MakeSorV2WithBlock;
using lumivane::test::NewRecord;
using lumivane::test::PatchU16;
using lumivane::test::PatchU32;
using lumivane::test::ReadImage;
using lumivane::test::SameBytes;
using lumivane::test::SorImageBuilder;

// Offset of the UserName map entry's size in files whose map lists the blocks in written order.
constexpr std::size_t kUserNameEntrySize = 12 + 5 * 16 + 14 + 9 + 2;

TEST(ReadSorV2, ReadsEveryBlockOfARepresentativeFile) {
  const Bytes image = MakeSampleSorV2({.points = 500, .events = 3, .userVer = 203});
  const auto r = ReadImage(image);
  EXPECT_EQ(SorTextView(r->Map.Name), u"Map");
  EXPECT_EQ(r->Map.Revision, 200);
  EXPECT_EQ(r->Map.MapSize, 154);
  EXPECT_EQ(r->Map.BlockCount, 9);
  EXPECT_EQ(SorTextView(r->Map.Entries[9].Name), u"GenParams");  // the one entry read beyond the map
  EXPECT_EQ(SorTextView(r->GenParams.LanguageCode), u"EN");
  EXPECT_EQ(SorTextView(r->GenParams.CableId), u"CABLE-7");
  EXPECT_EQ(r->GenParams.FiberType, 652);
  EXPECT_EQ(SorTextView(r->GenParams.Comment), u"Span test");
  EXPECT_EQ(SorTextView(r->SupParams.Other), u"other");
  EXPECT_EQ(r->FxdParams.DateTime, 1700000000u);
  EXPECT_EQ(r->FxdParams.ActualWavelength, 15500);
  EXPECT_EQ(r->FxdParams.DataPointCounts[0], 500);
  EXPECT_EQ(r->FxdParams.AveragingTime, 300);
  EXPECT_EQ(r->FxdParams.WindowCoordinates[3], 4);
  EXPECT_EQ(r->KeyEvents.KeyEventCount, 3);
  EXPECT_EQ(SorTextView(r->KeyEvents.Events[2].EventCode), u"1E9999");
  EXPECT_EQ(SorTextView(r->KeyEvents.Events[1].Comment), u"splice");
  EXPECT_EQ(r->KeyEvents.Events[1].MarkerLocations[4], 10400);
  EXPECT_EQ(r->KeyEvents.OrlMarker2, 30000);
  EXPECT_EQ(r->DataPts.Traces[0].PointCount, 500);
  EXPECT_EQ(r->DataPts.Traces[0].Samples[499], 1000 + 499 * 7);
  EXPECT_EQ(r->UserName.StoredCursorB, 800);
  EXPECT_EQ(r->UserName.DistanceCorrection, -35);
  EXPECT_EQ(r->UserName.StoredLaunchLevel, 12345);
  EXPECT_EQ(r->UserName.EventLossTable[199], 1990);
  EXPECT_EQ(SorTextView(r->NorvalexParams.Customer), u"ACME Fibre");
  EXPECT_EQ(r->Cksum.Checksum, SorCrc16(image.data(), image.size() - 8));
}

TEST(ReadSorV1, SameContentReadsIntoTheSameFieldsWithRevision2OnlyFieldsZeroOrStandard) {
  const lumivane::test::SampleSorSpec spec{.points = 300, .events = 4};
  const auto v2 = ReadImage(MakeSampleSorV2(spec));
  const auto v1 = ReadImage(MakeSampleSorV1(spec));

  auto expected = std::make_unique<SorRecord>(*v2);
  expected->GenParams.FiberType = 0;
  expected->GenParams.UserOffsetDistance = 0;
  expected->FxdParams.AcquisitionOffsetDistance = 0;
  expected->FxdParams.AveragingTime = 0;
  expected->FxdParams.FrontPanelOffset = 0;
  // The trace type revision 1 lacks reads as the standard's "ST", as the revision-2 fixture holds.
  ASSERT_EQ(SorTextView(v1->FxdParams.TraceType), u"ST");
  for (auto& w : expected->FxdParams.WindowCoordinates) w = 0;
  for (auto& e : expected->KeyEvents.Events) {
    for (auto& m : e.MarkerLocations) m = 0;
  }
  EXPECT_TRUE(SameBytes(v1->GenParams, expected->GenParams));
  EXPECT_TRUE(SameBytes(v1->SupParams, expected->SupParams));
  EXPECT_TRUE(SameBytes(v1->FxdParams, expected->FxdParams));
  EXPECT_TRUE(SameBytes(v1->KeyEvents, expected->KeyEvents));
  EXPECT_TRUE(SameBytes(v1->DataPts, expected->DataPts));
  EXPECT_TRUE(SameBytes(v1->UserName, SorUserName{}));  // revision 1 has no blocks of our own
  EXPECT_TRUE(SameBytes(v1->NorvalexParams, SorVendorParams{}));
  EXPECT_EQ(v1->Cksum.Checksum, 0xBEEF);
  EXPECT_EQ(SorTextView(v1->Map.Entries[4].Name), u"LnkParams");  // entries are taken in map order
}

TEST(ReadSorV1, MapPlacesBlocksInTheInstrumentsOrderAndPassesOverUnknownOnes) {
  const lumivane::test::SampleSorSpec spec{.points = 200, .events = 3};
  const auto fixedOrder = ReadImage(MakeSampleSorV1(spec));
  // DataPts before KeyEvents with a vendor block between, as instruments write revision 1.
  SorImageBuilder b;
  b.Block("GenParams", false).Fixed("EN", 2).Text("CABLE-7").Text("F012").I16(1550).Text("North Hub");
  b.Text("Pole 44").Text("CC1").Fixed("BC", 2).I32(12).Text("R. Tech").Text("Span test");
  b.Block("DataPts", false).I32(3).I16(1).I32(3).I16(1000).U16(7).U16(8).U16(9);
  b.Block("Vendor9", false).Raw(Bytes(40, 0xEE));
  b.Block("KeyEvents", false).I16(1).I16(1).I32(500).I16(0).I16(0).I32(0).Fixed("1E9999", 6).Fixed("LS", 2).Text("");
  b.I32(1).I32(2).I32(3).U16(4).I32(5).I32(6);
  b.Block("Cksum", false).U16(0x1234);
  const auto r = ReadImage(b.BuildV1());
  EXPECT_EQ(r->GenParams.UserOffset, 12);
  EXPECT_EQ(SorTextView(r->GenParams.Operator), u"R. Tech") << "no user offset distance in revision 1";
  EXPECT_EQ(SorTextView(r->GenParams.Comment), u"Span test");
  EXPECT_EQ(r->DataPts.Traces[0].PointCount, 3);
  EXPECT_EQ(r->DataPts.Traces[0].Samples[2], 9);
  EXPECT_EQ(r->KeyEvents.KeyEventCount, 1);
  EXPECT_EQ(r->KeyEvents.Events[0].TimeOfFlight, 500);
  EXPECT_EQ(r->KeyEvents.OrlMarker2, 6);
  EXPECT_EQ(r->Cksum.Checksum, 0x1234);

  // A map whose sizes do not add up within the file is not trusted: the fixed order reads it.
  Bytes lying = MakeSampleSorV1(spec);
  lying[8 + 10 + 2] = 0xFF;  // GenParams entry size
  lying[8 + 10 + 3] = 0xFF;
  const auto chained = ReadImage(lying);
  EXPECT_TRUE(SameBytes(chained->GenParams, fixedOrder->GenParams));
  EXPECT_TRUE(SameBytes(chained->KeyEvents, fixedOrder->KeyEvents));
  EXPECT_TRUE(SameBytes(chained->DataPts, fixedOrder->DataPts));
}

TEST(ReadSorV2, BlockCountThatIncludesTheMapAndForeignBlocksReadLikeOurOwnLayout) {
  const auto addDataPts = [](SorImageBuilder& b) {
    b.Block("DataPts").I32(3).I16(1).I32(3).I16(1000).U16(7).U16(8).U16(9);
  };
  const auto ours = ReadImage(MakeSorV2WithBlock(addDataPts));
  // Other instruments count the Map among the blocks, so two entries are read beyond the map,
  // and add blocks of their own.
  Bytes theirs = MakeSorV2WithBlock([&](SorImageBuilder& b) {
    b.Block("VendorX").Raw(Bytes(30, 0xAB));
    addDataPts(b);
  });
  PatchU16(theirs, 10, static_cast<std::uint16_t>(theirs[10] + 1));
  const auto r = ReadImage(theirs);
  EXPECT_EQ(r->Map.BlockCount, 5);
  EXPECT_EQ(SorTextView(r->Map.Entries[1].Name), u"VendorX");
  EXPECT_TRUE(SameBytes(r->GenParams, ours->GenParams));
  EXPECT_TRUE(SameBytes(r->DataPts, ours->DataPts));
  EXPECT_EQ(r->DataPts.Traces[0].Samples[2], 9);
}

TEST(ReadSorV2, BlockOrderInTheFileDoesNotMatter) {
  const auto usual = ReadImage(MakeSorV2WithBlock([](SorImageBuilder& b) {
    b.Block("FxdParams").U32(5).Fixed("ft", 2).I16(13100).I32(0).I32(0).I16(1).I16(30).I32(7).I32(9).Raw(Bytes(54, 0));
  }));
  SorImageBuilder b;
  b.Block("FxdParams").U32(5).Fixed("ft", 2).I16(13100).I32(0).I32(0).I16(1).I16(30).I32(7).I32(9).Raw(Bytes(54, 0));
  b.Block("GenParams").Fixed("EN", 2).Text("c").Text("f").I16(652).I16(1310).Text("o").Text("t").Text("cc");
  b.Fixed("BC", 2).I32(1).I32(2).Text("op").Text("comment");
  b.Block("Cksum");
  Bytes swapped = b.BuildV2();
  swapped.insert(swapped.end() - 8, 300 - swapped.size(), 0);
  const auto reordered = ReadImage(swapped);
  EXPECT_TRUE(SameBytes(reordered->GenParams, usual->GenParams));
  EXPECT_EQ(reordered->FxdParams.PulseWidths[0], 30);
  EXPECT_EQ(SorTextView(reordered->FxdParams.DistanceUnits), u"ft");
}

TEST(ReadSorV2, RefusalLeavesTheTargetUntouched) {
  const Bytes good = MakeSampleSorV2({.points = 50});
  Bytes notMap = good;
  notMap[0] = 'X';
  Bytes revision100 = good;
  revision100[4] = 100;
  revision100[5] = 0;
  auto target = ReadImage(good);
  const auto before = std::make_unique<SorRecord>(*target);
  EXPECT_EQ(ReadSorV2(notMap, *target), SorReadResult::kNotSorFile);
  EXPECT_EQ(ReadSorV2(revision100, *target), SorReadResult::kWrongVersion);
  EXPECT_TRUE(SameBytes(*target, *before));
}

TEST(ReadSorV2, SuccessReplacesEveryFieldSoNothingOfAnEarlierFileSurvives) {
  auto target = ReadImage(MakeSampleSorV2({.userVer = 203, .withVendor = true}));
  ASSERT_EQ(target->UserName.DistanceCorrection, -35);
  ASSERT_EQ(ReadSorImage(MakeSampleSorV2({.points = 10, .events = 1, .userVer = 0, .withVendor = false}), *target),
            SorReadResult::kOk);
  EXPECT_TRUE(SameBytes(target->UserName, SorUserName{}));
  EXPECT_EQ(target->UserName.DistanceCorrection, 0);
  EXPECT_TRUE(SameBytes(target->NorvalexParams, SorVendorParams{}));
  EXPECT_EQ(target->DataPts.Traces[0].Samples.size(), 10u) << "samples of the longer earlier trace";
  EXPECT_EQ(target->KeyEvents.Events.size(), 1u) << "key events of the earlier file";

  ASSERT_EQ(ReadSorImage(MakeSampleSorV1({.points = 10}), *target), SorReadResult::kOk);
  EXPECT_EQ(target->GenParams.FiberType, 0) << "absent from revision 1, so not the earlier file's";
}

TEST(ReadSorImage, ChoosesRevisionByMapAndRefusesOversizeImages) {
  // However short, a file that starts with "Map" is revision 2: a map of another revision is refused.
  Bytes short299(299, 0);
  short299[0] = 'M';
  short299[1] = 'a';
  short299[2] = 'p';
  ReadImage(short299, SorReadResult::kWrongVersion);
  lumivane::test::SorImageBuilder small;
  small.Block("DataPts").I32(3).I16(1).I32(3).I16(1000).U16(1).U16(2).U16(3);
  small.Block("Cksum");
  const auto r = ReadImage(small.BuildV2());
  EXPECT_EQ(r->Map.Revision, 200);
  EXPECT_EQ(r->DataPts.Traces[0].Samples, (std::vector<std::uint16_t>{1, 2, 3}));
  ExpectSound(*r);

  Bytes large = MakeSampleSorV2({.points = 10});
  large.resize(static_cast<std::size_t>(MaxTraceFileSize) + 1);
  ReadImage(large, SorReadResult::kTooLarge);
  large.resize(static_cast<std::size_t>(MaxTraceFileSize));
  ReadImage(large, SorReadResult::kOk);
}

TEST(ParseUserName, VersionMagicAndMapSizeGateEachGroup) {
  struct Case {
    int userVer;
    std::int32_t entrySize;  // 0: as written
    bool badMagic;
    bool reflAdjust, group201, cursors, group202;
  };
  const Case cases[] = {
      {203, 0, false, true, true, true, true},      {202, 0, false, true, true, false, true},
      {201, 0, false, true, true, false, false},    {200, 0, false, true, false, false, false},
      {203, 100, false, true, false, false, false}, {203, 0, true, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.userVer << " entry " << c.entrySize << " bad " << c.badMagic);
    Bytes image = MakeSampleSorV2({.points = 10, .userVer = 203});
    const std::size_t block = image.size() - 8 - (15 + 6 + 11) - 961;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(&image[block])), "UserName");
    image[block + 9] = static_cast<std::uint8_t>(c.userVer);
    if (c.badMagic) image[block + 13] ^= 0xFF;
    if (c.entrySize != 0) PatchU32(image, kUserNameEntrySize, static_cast<std::uint32_t>(c.entrySize));
    const auto r = ReadImage(image);
    EXPECT_EQ(r->UserName.UserVer, c.userVer);
    EXPECT_EQ(r->UserName.ReflAdjust, c.reflAdjust ? -150 : 0);
    EXPECT_EQ(r->UserName.T, c.group201 ? 1 : 0);
    EXPECT_EQ(r->UserName.BackscatterMode, c.group201 ? 7 : 0);
    EXPECT_EQ(r->UserName.DistanceCorrection, c.group201 ? -35 : 0);
    EXPECT_EQ(r->UserName.Reserved2[22], c.group201 ? 122 : 0);
    EXPECT_EQ(r->UserName.StoredCursorA, c.cursors ? 400 : 0);
    EXPECT_EQ(r->UserName.StoredLossCount, c.group202 ? 3 : 0);
    EXPECT_EQ(r->UserName.EventLossTable[5], c.group202 ? 50 : 0);
  }
}

TEST(ParseKeyEvents, EventsBeyondCapacityAreReadOverAndTheTrailingFieldsKeepTheirPlace) {
  const auto r = ReadImage(MakeSorV2WithBlock([](SorImageBuilder& b) {
    b.Block("KeyEvents").I16(1002);
    for (int k = 0; k < 1002; ++k) {
      b.I16(static_cast<std::int16_t>(k)).I32(k * 10).I16(0).I16(0).I32(0).Fixed("0F9999", 6).Fixed("LS", 2);
      for (int m = 0; m < 5; ++m) b.I32(m);
      b.Text(k == 1001 ? "a comment longer than nineteen characters" : "c");
    }
    b.I32(111).I32(222).I32(333).U16(444).I32(555).I32(666);
  }));
  EXPECT_EQ(r->KeyEvents.KeyEventCount, 1000);
  EXPECT_EQ(r->KeyEvents.Events[999].TimeOfFlight, 9990);
  EXPECT_EQ(r->KeyEvents.EndToEndLoss, 111);
  EXPECT_EQ(r->KeyEvents.OpticalReturnLoss, 444);
  EXPECT_EQ(r->KeyEvents.OrlMarker2, 666);
}

TEST(ParseDataPts, LongAndSurplusTracesAreCutAndTheNextTraceStartsAfterTheLongOne) {
  const auto r = ReadImage(MakeSorV2WithBlock([](SorImageBuilder& b) {
    b.Block("DataPts").I32(90003).I16(7).I32(90000).I16(1000);
    for (int i = 0; i < 90000; ++i) b.U16(static_cast<std::uint16_t>(i));
    for (int t = 1; t < 7; ++t) b.I32(1).I16(static_cast<std::int16_t>(t)).U16(static_cast<std::uint16_t>(50 + t));
  }));
  EXPECT_EQ(r->DataPts.TraceCount, kSorMaxTraces);
  EXPECT_EQ(r->DataPts.Traces[0].PointCount, kSorMaxSamples);
  EXPECT_EQ(r->DataPts.Traces[0].Samples[kSorMaxSamples - 1], static_cast<std::uint16_t>(kSorMaxSamples - 1));
  EXPECT_EQ(r->DataPts.Traces[1].ScaleFactor, 1);
  EXPECT_EQ(r->DataPts.Traces[1].Samples[0], 51);
  EXPECT_EQ(r->DataPts.Traces[4].Samples[0], 54);
}

TEST(ParseFxdParams, SurplusPulseWidthsAreReadOverAndTheCountClamped) {
  const auto r = ReadImage(MakeSorV2WithBlock([](SorImageBuilder& b) {
    b.Block("FxdParams").U32(1).Fixed("mt", 2).I16(15500).I32(0).I32(0).I16(7);
    for (int i = 0; i < 7; ++i) b.I16(static_cast<std::int16_t>(10 + i));
    for (int i = 0; i < 7; ++i) b.I32(100 + i);
    for (int i = 0; i < 7; ++i) b.I32(1000 + i);
    b.I32(146800).I16(-800);
  }));
  EXPECT_EQ(r->FxdParams.PulseWidthCount, kSorMaxPulseWidths);
  EXPECT_EQ(r->FxdParams.PulseWidths[4], 14);
  EXPECT_EQ(r->FxdParams.DataSpacing[0], 100);
  EXPECT_EQ(r->FxdParams.DataPointCounts[4], 1004);
  EXPECT_EQ(r->FxdParams.GroupIndex, 146800);
  EXPECT_EQ(r->FxdParams.Backscatter, -800);
}

TEST(ParseGenParams, LongTextsAreCutWithoutShiftingTheFieldsAfterThem) {
  const std::string longText(300, 'L');
  SorImageBuilder b;
  b.Block("GenParams").Fixed("EN", 2).Text(longText).Text("fibre").I16(655).I16(1625).Text("o").Text("t");
  b.Text("cable code longer than nineteen").Fixed("BC", 2).I32(7).I32(8).Text("op").Text("\x01tail");
  b.Block("Cksum");
  Bytes image = b.BuildV2();
  image.insert(image.end() - 8, 300, 0);
  const auto cut = ReadImage(image);
  EXPECT_EQ(SorTextLength(cut->GenParams.CableId), 100u);
  EXPECT_EQ(SorTextView(cut->GenParams.FiberId), u"fibre");
  EXPECT_EQ(cut->GenParams.FiberType, 655);
  EXPECT_EQ(SorTextView(cut->GenParams.CableCode), u"cable code longer t");
  EXPECT_EQ(cut->GenParams.UserOffsetDistance, 8);
  EXPECT_EQ(SorTextView(cut->GenParams.Comment), u"\x01tail") << "only the four named texts are sanitised";
}

TEST(FindSorBlock, FindsOnlyTheTenNamesAndTheFirstOccurrence) {
  const std::string text = std::string("xxCksum") + '\0' + "Foo" + '\0' + "Cksum" + '\0';
  const Bytes bytes(text.begin(), text.end());
  EXPECT_EQ(FindSorBlock(bytes, 0, "Cksum"), 2);
  EXPECT_EQ(FindSorBlock(bytes, 3, "Cksum"), 12);
  EXPECT_EQ(FindSorBlock(bytes, 0, "Foo"), -1);
  EXPECT_EQ(FindSorBlock(bytes, 0, "sum"), -1);
  EXPECT_EQ(FindSorBlock(bytes, 100, "Cksum"), -1);
}

// The names among sample-like bytes: zeros every other byte, name letters before zeros that end no
// name, names at every offset within a sixteen-byte step, cut by the end, and searches from every start.
TEST(ListSorBlockNames, FindsEveryNameAmongSampleBytesWhereverItLies) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    Bytes bytes(300 + random() % 200);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = i % 2 ? 0 : static_cast<std::uint8_t>("spme\x01"[random() % 5]);
    for (int n = 0; n < 4; ++n) {
      const std::string_view name = kSorBlockNames[random() % kSorBlockNames.size()];
      const std::size_t at = random() % bytes.size();
      for (std::size_t k = 0; k <= name.size() && at + k < bytes.size(); ++k) {
        bytes[at + k] = k < name.size() ? static_cast<std::uint8_t>(name[k]) : 0;
      }
    }
    for (const std::int64_t start : {std::int64_t{0}, std::int64_t{1}, std::int64_t{17}, static_cast<std::int64_t>(random() % bytes.size())}) {
      std::vector<std::pair<std::size_t, std::int64_t>> expected;
      for (std::int64_t zero = start + 1; zero < static_cast<std::int64_t>(bytes.size()); ++zero) {
        if (bytes[static_cast<std::size_t>(zero)] != 0) continue;
        for (std::size_t index = 0; index < kSorBlockNames.size(); ++index) {
          const auto length = static_cast<std::int64_t>(kSorBlockNames[index].size());
          if (zero - length >= start &&
              std::string_view(reinterpret_cast<const char*>(bytes.data()) + zero - length, static_cast<std::size_t>(length)) ==
                  kSorBlockNames[index]) {
            expected.emplace_back(index, zero - length);
          }
        }
      }
      if (start == 0) {
        std::vector<std::pair<std::size_t, std::int64_t>> listed;
        for (const SorBlockName& name : ListSorBlockNames(bytes)) listed.emplace_back(name.index, name.at);
        EXPECT_EQ(listed, expected) << "round " << round;
      }
      for (std::size_t index = 0; index < kSorBlockNames.size(); ++index) {
        const auto first = std::find_if(expected.begin(), expected.end(), [&](const auto& e) { return e.first == index; });
        EXPECT_EQ(FindSorBlock(bytes, start, kSorBlockNames[index]), first == expected.end() ? -1 : first->second)
            << "round " << round << " start " << start << " " << kSorBlockNames[index];
      }
    }
  }
}

}  // namespace
