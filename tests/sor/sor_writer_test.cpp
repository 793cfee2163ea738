#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "sor/sor_block_builders.h"
#include "sor/sor_text.h"
#include "sor_image_builder.h"
#include "sor_test_util.h"
#include "temp_dir.h"
#include "unprivileged_child.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::NewRecord;
using lumivane::test::ReadImage;
using lumivane::test::SorImageBuilder;

std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

/// The file of an all-zero record, assembled field by field.
Bytes ExpectedSmallestFile() {
  SorImageBuilder b;
  b.Block("GenParams").Fixed("", 2).Text("").Text("").I16(0).I16(0).Text("").Text("").Text("").Fixed("", 2);
  b.I32(0).I32(0).Text("").Text("");
  b.Block("SupParams").Text("").Text("").Text("").Text("").Text("").Text("").Text("");
  b.Block("FxdParams").U32(0).Fixed("", 2).I16(0).I32(0).I32(0).I16(0).I32(0).I16(0).I32(0).I16(0).I32(0).I32(0);
  b.I32(0).U16(0).I16(0).U16(0).U16(0).U16(0).U16(0).Fixed("", 2).I32(0).I32(0).I32(0).I32(0);
  b.Block("DataPts").I32(0).I16(0);
  b.Block("KeyEvents").I16(0).I32(0).I32(0).I32(0).U16(0).I32(0).I32(0);
  b.EmptyEntry("LnkParams");
  b.EmptyEntry("UserName");
  b.Block("NorvalexParams").Text("").Text("");
  b.Block("Cksum");
  Bytes image = b.BuildV2();
  image[10] = 10;  // the Map counts itself
  const std::uint16_t crc = SorCrc16(image.data(), image.size() - 2);
  image[image.size() - 2] = static_cast<std::uint8_t>(crc & 0xFF);
  image[image.size() - 1] = static_cast<std::uint8_t>(crc >> 8);
  return image;
}

TEST(WriteSorFile, SmallestFileIsByteForByteTheDocumentedLayout) {
  const auto record = NewRecord();
  const Bytes image = lumivane::test::Assemble(*record);
  ASSERT_EQ(image.size(), 359u);
  EXPECT_EQ(image, ExpectedSmallestFile());
  EXPECT_EQ(U32At(image, 6), 154u);  // map size
  EXPECT_EQ(image[10], 10);           // block count: nine entries and the Map
  // Block bodies at their documented offsets.
  for (auto [offset, name] : {std::pair{154, "GenParams"}, {187, "SupParams"}, {204, "FxdParams"}, {286, "DataPts"},
                              {300, "KeyEvents"}, {334, "NorvalexParams"}, {351, "Cksum"}}) {
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[offset])), name) << offset;
  }
  const std::uint16_t crc = SorCrc16(image.data(), image.size() - 2);
  EXPECT_EQ(image[357], crc & 0xFF);  // checksum over every byte but its own two, low byte first
  EXPECT_EQ(image[358], crc >> 8);
}

TEST(WriteSorFile, UserNameBlockSizeFollowsVersionAndValidity) {
  struct Case {
    std::int32_t userVer;
    std::int32_t magic;
    std::int32_t size;
  };
  for (const Case c : {Case{199, kSorUserMagic, 0}, Case{203, 1234, 0}, Case{200, kSorUserMagic, 153},
                       Case{201, kSorUserMagic, 153}, Case{202, kSorUserMagic, 961}, Case{203, kSorUserMagic, 961}}) {
    auto record = NewRecord();
    record->UserName.UserVer = c.userVer;
    record->UserName.Magic = c.magic;
    SorBlockBuffer block;
    EXPECT_EQ(BuildUserNameBlock(*record, block), c.size) << c.userVer;
    EXPECT_EQ(block.size(), static_cast<std::size_t>(c.size));
    const Bytes image = lumivane::test::Assemble(*record);
    EXPECT_EQ(static_cast<std::int32_t>(U32At(image, 12 + 5 * 16 + 14 + 9 + 2)), c.size) << "map entry 6";
  }
}

TEST(WriteSorFile, UserNameWritesOwnCorrectionCursorsFromVersion203AndLaunchLevelMagnitude) {
  auto record = NewRecord();
  auto& user = record->UserName;
  user.UserVer = 202;
  user.Magic = kSorUserMagic;
  user.StoredCursorA = 77;
  user.StoredCursorB = 88;
  user.DistanceCorrection = -35;
  user.StoredLaunchLevel = -12345;
  SorBlockBuffer block;
  BuildUserNameBlock(*record, block);
  const auto i32 = [&](std::size_t index) { return static_cast<std::int32_t>(U32At(block, 9 + 4 * index)); };
  EXPECT_EQ(i32(10), 0);  // cursors only from version 203
  EXPECT_EQ(i32(11), 0);
  EXPECT_EQ(i32(12), -35);
  EXPECT_EQ(i32(37), 12345);

  user.UserVer = 203;
  user.StoredLaunchLevel = INT32_MIN;  // has no magnitude in 32 bits
  block.clear();
  BuildUserNameBlock(*record, block);
  EXPECT_EQ(i32(10), 77);
  EXPECT_EQ(i32(11), 88);
  EXPECT_EQ(i32(37), INT32_MAX);
}

TEST(WriteSorFile, TextsNeverCarryAZeroByteAndAreCutToCapacity) {
  auto record = NewRecord();
  SetSorText(record->GenParams.CableId, u"A\u0100B\u3000C\u00B5");
  for (auto& c : record->GenParams.Comment) c = u'x';  // no terminator inside the capacity
  SetSorText(record->GenParams.Operator, u"op");
  SorBlockBuffer block;
  BuildGenParamsBlock(*record, block);
  const std::string written(block.begin() + 12, block.begin() + 12 + 7);
  EXPECT_EQ(written, std::string("A?B?C\xB5", 6) + '\0');

  const auto read = ReadImage(lumivane::test::Assemble(*record));
  EXPECT_EQ(SorTextView(read->GenParams.Operator), u"op");  // the fields after the texts stay in place
  EXPECT_EQ(SorTextLength(read->GenParams.Comment), static_cast<std::size_t>(kSorTextCapacity - 1));
}

TEST(WriteSorFile, CountsBeyondCapacityAreClampedSoNoArrayIsOverrun) {
  auto record = NewRecord();
  record->FxdParams.PulseWidthCount = 7;
  record->KeyEvents.KeyEventCount = 1200;
  record->KeyEvents.Events.resize(1200);
  record->DataPts.TraceCount = 1;
  record->DataPts.Traces[0].PointCount = 90000;
  record->DataPts.Traces[0].Samples.resize(kSorMaxSamples);
  record->DataPts.Traces[0].Samples[kSorMaxSamples - 1] = 0x1234;
  const auto read = ReadImage(lumivane::test::Assemble(*record));
  EXPECT_EQ(read->FxdParams.PulseWidthCount, kSorMaxPulseWidths);
  EXPECT_EQ(read->KeyEvents.KeyEventCount, kSorMaxKeyEvents);
  EXPECT_EQ(read->DataPts.Traces[0].PointCount, kSorMaxSamples);
  EXPECT_EQ(read->DataPts.Traces[0].Samples[kSorMaxSamples - 1], 0x1234);

  record->KeyEvents.KeyEventCount = -3;
  record->DataPts.Traces[0].PointCount = -1;
  const auto negative = ReadImage(lumivane::test::Assemble(*record));
  EXPECT_EQ(negative->KeyEvents.KeyEventCount, 0);
  EXPECT_EQ(negative->DataPts.Traces[0].PointCount, 0);
}

/// A record read from a file that holds a trace: what every save writes.
std::unique_ptr<SorRecord> TraceRecord() { return ReadImage(lumivane::test::MakeSampleSorV2()); }

// A save the program would refuse to open again never takes the place of the file it was opened from.
TEST(WriteSorFile, AFileThatWouldNotReadBackIsNotWritten) {
  lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("a.sor", std::string_view("old"));
  EXPECT_EQ(WriteSorFile(*NewRecord(), path), SorWriteResult::kUnreadable) << "no data points";
  EXPECT_EQ(lumivane::test::TempDir::ReadFile(path), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary left";
}

TEST(WriteSorFile, OversizeImageIsRefusedAndNothingIsWritten) {
  lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("a.sor", std::string_view("old"));
  auto record = NewRecord();
  record->DataPts.TraceCount = 2;  // two full traces need about 320,000 bytes
  record->DataPts.Traces[0].PointCount = kSorMaxSamples;
  record->DataPts.Traces[1].PointCount = kSorMaxSamples;
  Bytes image = {1, 2, 3};
  EXPECT_EQ(AssembleSorImage(*record, image), SorWriteResult::kTooLarge);
  EXPECT_TRUE(image.empty());
  EXPECT_EQ(WriteSorFile(*record, path), SorWriteResult::kTooLarge);
  EXPECT_EQ(lumivane::test::TempDir::ReadFile(path), Bytes({'o', 'l', 'd'}));

  record->DataPts.TraceCount = 1;
  EXPECT_EQ(WriteSorFile(*record, path), SorWriteResult::kOk);
  EXPECT_LE(lumivane::test::TempDir::ReadFile(path).size(), static_cast<std::size_t>(MaxTraceFileSize));
}

TEST(WriteSorFile, WritesTheAssembledImageAndReplacesAnExistingFile) {
  lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("trace.sor", std::string_view("previous contents"));
  const auto record = ReadImage(lumivane::test::MakeSampleSorV2());
  ASSERT_EQ(WriteSorFile(*record, path), SorWriteResult::kOk);
  EXPECT_EQ(lumivane::test::TempDir::ReadFile(path), lumivane::test::Assemble(*record));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary left";
}

TEST(WriteSorFile, ASaveClearsAwayTheTemporaryOfAKilledSave) {
  lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("trace.sor", std::string_view("previous contents"));
  const pid_t killed = ::fork();
  if (killed == 0) ::_exit(0);
  ::waitpid(killed, nullptr, 0);
  dir.WriteFile("trace.sor." + std::to_string(killed) + ".0.tmp", std::string_view("half a trace"));
  ASSERT_EQ(WriteSorFile(*ReadImage(lumivane::test::MakeSampleSorV2()), path), SorWriteResult::kOk);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "only the trace is left";
}

TEST(WriteSorFile, PlacesThatCannotTakeTheFileAreReported) {
  lumivane::test::TempDir dir;
  std::filesystem::create_directory(dir.Path("folder.sor"));
  const auto record = TraceRecord();
  EXPECT_EQ(WriteSorFile(*record, dir.Path("no such folder/x.sor")), SorWriteResult::kCannotCreate);
  EXPECT_EQ(WriteSorFile(*record, dir.Path("folder.sor")), SorWriteResult::kRenameFailed);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("folder.sor")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "temporary removed";
}

TEST(WriteSorFile, ReplacedFileKeepsItsPermissions) {
  lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("trace.sor", std::string_view("old"));
  std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  const auto record = TraceRecord();
  ASSERT_EQ(WriteSorFile(*record, path), SorWriteResult::kOk);
  EXPECT_EQ(std::filesystem::status(path).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
}

TEST(WriteSorFile, ThroughASymbolicLinkReplacesTheTargetAndKeepsTheLink) {
  lumivane::test::TempDir dir;
  const std::string target = dir.WriteFile("stored.sor", std::string_view("old"));
  const std::string link = dir.Path("link.sor");
  std::filesystem::create_symlink(target, link);
  const auto record = TraceRecord();
  ASSERT_EQ(WriteSorFile(*record, link), SorWriteResult::kOk);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(lumivane::test::TempDir::ReadFile(target), lumivane::test::Assemble(*record));
}

TEST(WriteSorFile, ReadOnlyFileIsRefusedAndKept) {
  if (lumivane::test::RanAsUnprivilegedChild()) return;
  lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("trace.sor", std::string_view("keep"));
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  EXPECT_EQ(WriteSorFile(*TraceRecord(), path), SorWriteResult::kCannotCreate);
  EXPECT_EQ(lumivane::test::TempDir::ReadFile(path), Bytes({'k', 'e', 'e', 'p'}));
}

TEST(WriteSorFile, ShortWriteIsReportedAndLeavesTheExistingFileIntact) {
  lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("trace.sor", std::string_view("keep me"));
  const auto record = TraceRecord();
  // A file-size limit below the image makes write() stop short, then fail.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &small);
  const SorWriteResult result = WriteSorFile(*record, path);
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_EQ(result, SorWriteResult::kWriteFailed);
  EXPECT_EQ(lumivane::test::TempDir::ReadFile(path), Bytes({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "temporary removed";
}

}  // namespace
