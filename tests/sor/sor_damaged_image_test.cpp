#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sor/sor_block_parsers.h"
#include "sor_image_builder.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::ExpectSound;
using lumivane::test::MakeSampleSorV1;
using lumivane::test::MakeSampleSorV2;
using lumivane::test::MakeSorV2WithBlock;
using lumivane::test::PatchU16;
using lumivane::test::PatchU32;
using lumivane::test::SorImageBuilder;

std::size_t Find(const Bytes& b, const std::string& name) {
  return static_cast<std::size_t>(FindSorBlock(b, 154, name));
}

/// Reads the image, expects the outcome, and checks that what was read is sound and can be
/// written back.
void ReadDamaged(const Bytes& image, SorReadResult expected = SorReadResult::kOk) {
  auto record = lumivane::test::NewRecord();
  ASSERT_EQ(ReadSorImage(image, *record), expected);
  ExpectSound(*record);
  Bytes written;
  const SorWriteResult result = AssembleSorImage(*record, written);
  EXPECT_TRUE(result == SorWriteResult::kOk || result == SorWriteResult::kTooLarge);
  if (result == SorWriteResult::kOk) {
    auto again = lumivane::test::NewRecord();
    EXPECT_EQ(ReadSorImage(written, *again), SorReadResult::kOk);
  }
}

TEST(SorDamagedImage, TruncatedAnywhereReadsSoundly) {
  for (const Bytes& whole : {MakeSampleSorV2({.points = 40, .events = 3}), MakeSampleSorV1({.points = 40})}) {
    for (std::size_t length = 0; length <= whole.size(); ++length) {
      SCOPED_TRACE(testing::Message() << "length " << length);
      // However short, a revision-2 file is read as one: cut inside "Map\0" or the map's revision
      // (whose high byte is 0) it is refused.
      const bool revision2 = whole[0] == 'M';
      const SorReadResult expected = !revision2 || length < 3 || length > 4 ? SorReadResult::kOk
                                     : length == 3                         ? SorReadResult::kNotSorFile
                                                                           : SorReadResult::kWrongVersion;
      ReadDamaged(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)), expected);
    }
  }
}

TEST(SorDamagedImage, EventsPastTheEndAreNotReadAndFieldsPastItReadAsZero) {
  const Bytes whole = MakeSampleSorV2({.points = 40, .events = 3});
  const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(Find(whole, "KeyEvents") + 12));
  const auto r = lumivane::test::ReadImage(cut);
  EXPECT_EQ(r->KeyEvents.KeyEventCount, 0);
  EXPECT_EQ(r->KeyEvents.OpticalReturnLoss, 0);
  EXPECT_NE(r->Source.DamagedBlocks, 0);
}

struct Damage {
  const char* what;
  std::function<Bytes()> make;
  SorReadResult expected;
};

Bytes Sample() { return MakeSampleSorV2({.points = 60, .events = 3}); }

Bytes Patched(const std::function<void(Bytes&)>& patch) {
  Bytes b = Sample();
  patch(b);
  return b;
}

const Damage kDamages[] = {
    {"wrong map revision", [] { return Patched([](Bytes& b) { PatchU16(b, 4, 201); }); }, SorReadResult::kWrongVersion},
    {"no Map identifier", [] { return Patched([](Bytes& b) { b[3] = 'x'; }); }, SorReadResult::kNotSorFile},
    {"bad checksum", [] { return Patched([](Bytes& b) { b[b.size() - 1] ^= 0xFF; }); }, SorReadResult::kOk},
    {"over the largest file", [] { return Patched([](Bytes& b) { b.resize(MaxTraceFileSize + 1); }); },
     SorReadResult::kTooLarge},
    {"map size 0x80000000", [] { return Patched([](Bytes& b) { PatchU32(b, 6, 0x80000000u); }); }, SorReadResult::kOk},
    {"map size 0", [] { return Patched([](Bytes& b) { PatchU32(b, 6, 0); }); }, SorReadResult::kOk},
    {"negative block count", [] { return Patched([](Bytes& b) { PatchU16(b, 10, 0x8000); }); }, SorReadResult::kOk},
    {"huge block count", [] { return Patched([](Bytes& b) { PatchU16(b, 10, 0x7FFF); }); }, SorReadResult::kOk},
    {"no block found", [] { return Patched([](Bytes& b) {
       for (std::size_t i = 154; i < b.size(); ++i) b[i] = b[i] == 0 ? 1 : b[i];
     }); }, SorReadResult::kOk},
    {"missing blocks", [] { return Patched([](Bytes& b) {
       for (const char* name : {"GenParams", "FxdParams", "KeyEvents", "NorvalexParams"}) b[Find(b, name)] = 'x';
     }); }, SorReadResult::kOk},
    {"user block at the very end", [] { return Patched([](Bytes& b) {
       b.resize(Find(b, "UserName") + 9);
     }); }, SorReadResult::kOk},
    {"negative pulse-width count",
     [] { return Patched([](Bytes& b) { PatchU16(b, Find(b, "FxdParams") + 26, 0xFFFF); }); }, SorReadResult::kOk},
    {"huge pulse-width count",
     [] { return Patched([](Bytes& b) { PatchU16(b, Find(b, "FxdParams") + 26, 0x7FFF); }); }, SorReadResult::kOk},
    {"negative event count", [] { return Patched([](Bytes& b) { PatchU16(b, Find(b, "KeyEvents") + 10, 0x8000); }); },
     SorReadResult::kOk},
    {"huge event count", [] { return Patched([](Bytes& b) { PatchU16(b, Find(b, "KeyEvents") + 10, 0x7FFF); }); },
     SorReadResult::kOk},
    {"huge trace and point counts", [] { return MakeSorV2WithBlock([](SorImageBuilder& b) {
       b.Block("DataPts").I32(-1).I16(32767).I32(INT32_MAX).I16(1).U16(5);
     }); }, SorReadResult::kOk},
    {"negative point count", [] { return MakeSorV2WithBlock([](SorImageBuilder& b) {
       b.Block("DataPts").I32(0).I16(2).I32(-5).I16(1).I32(1).I16(1).U16(9);
     }); }, SorReadResult::kOk},
    {"negative trace count", [] { return MakeSorV2WithBlock([](SorImageBuilder& b) {
       b.Block("DataPts").I32(0).I16(-1).I32(1).I16(1).U16(9);
     }); }, SorReadResult::kOk},
    {"huge landmark count", [] { return MakeSorV2WithBlock([](SorImageBuilder& b) {
       b.Block("LnkParams").I16(32767).I16(1).Fixed("AB", 2).I32(1000).Text("first landmark");
     }); }, SorReadResult::kOk},
    {"events with unterminated comments", [] { return MakeSorV2WithBlock([](SorImageBuilder& b) {
       b.Block("KeyEvents").I16(32767).Raw(Bytes(4000, 'e'));
     }); }, SorReadResult::kOk},
    {"revision-1 map size past the end", [] { return Patched([](Bytes& b) {
       b = MakeSampleSorV1({.points = 10});
       PatchU32(b, 2, 0xFFFFFFF0u);
     }); }, SorReadResult::kOk},
};

TEST(SorDamagedImage, EachDamageGivesARefusalOrASoundRecord) {
  for (const Damage& damage : kDamages) {
    SCOPED_TRACE(damage.what);
    ReadDamaged(damage.make(), damage.expected);
  }
}

TEST(SorDamagedImage, HostileCountsStoreOnlyWhatFits) {
  auto r = lumivane::test::ReadImage(MakeSorV2WithBlock([](SorImageBuilder& b) {
    b.Block("DataPts").I32(0).I16(2).I32(-5).I16(3).I32(1).I16(4).U16(9);
  }));
  EXPECT_EQ(r->DataPts.TraceCount, 2);
  EXPECT_EQ(r->DataPts.Traces[0].PointCount, 0);
  EXPECT_EQ(r->DataPts.Traces[1].ScaleFactor, 4) << "a negative count skips nothing";
  EXPECT_EQ(r->DataPts.Traces[1].Samples[0], 9);

  r = lumivane::test::ReadImage(MakeSorV2WithBlock([](SorImageBuilder& b) {
    b.Block("LnkParams").I16(25);
    for (int k = 0; k < 25; ++k) {
      b.I16(static_cast<std::int16_t>(k)).Fixed("AB", 2).I32(k * 100).I16(0).I32(0).I32(0).I16(0).I32(0).I32(0);
      b.Fixed("mt", 2).I16(0).Text("landmark comment longer than twenty");
    }
  }));
  EXPECT_EQ(r->LnkParams.LandmarkCount, kSorMaxLandmarks);
  EXPECT_EQ(r->LnkParams.Landmarks[19].Location, 1900);
  EXPECT_EQ(std::u16string(r->LnkParams.Landmarks[19].Comment), u"landmark comment lon");
}

}  // namespace
