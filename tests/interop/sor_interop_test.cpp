#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "kept_blocks.h"
#include "sample_files.h"
#include "sor/byte_reader.h"
#include "sor/sor_block_parsers.h"
#include "sor/sor_crc.h"
#include "sor/sor_reader.h"
#include "sor/sor_text.h"
#include "sor/sor_writer.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::SampleSorFiles;

const char* ChecksumText(SorChecksumStatus status) {
  switch (status) {
    case SorChecksumStatus::kTooShort:
      return "too short";
    case SorChecksumStatus::kMismatch:
      return "mismatch";
    case SorChecksumStatus::kAllButCksumBlock:
      return "ok (all but the Cksum block)";
    case SorChecksumStatus::kAllButChecksumValue:
      return "ok (all but the value)";
    case SorChecksumStatus::kAllButChecksumValueZero:
      return "ok (all but the value, from 0)";
  }
  return "?";
}

/// The fields a written file carries: map, checksum, source and block names are the writer's.
std::unique_ptr<SorRecord> WrittenContent(const SorRecord& record) {
  auto content = std::make_unique<SorRecord>(record);
  content->Map = {};
  content->Cksum = {};
  content->Source = {};
  for (char16_t* name : {content->GenParams.Name, content->SupParams.Name, content->FxdParams.Name,
                         content->KeyEvents.Name, content->LnkParams.Name, content->DataPts.Name,
                         content->UserName.Name, content->NorvalexParams.Name}) {
    std::memset(name, 0, sizeof(char16_t) * kSorNameCapacity);
  }
  return content;
}

struct MappedBlock {
  std::u16string name;
  std::int64_t offset;
  std::int64_t size;
};

/// The blocks as the file's own map lays them out, one after the other from the map size on.
std::vector<MappedBlock> MappedBlocks(const std::vector<std::uint8_t>& file) {
  lumivane::ByteReader in(file, IsSorV2(file) ? 4 : 0);  // past "Map\0" in revision 2
  in.Skip(2);                                             // revision
  const std::int64_t mapSize = in.U32();
  in.Skip(2);  // block count, which some writers count the Map in and others not
  std::vector<MappedBlock> blocks;
  std::int64_t offset = mapSize;
  while (in.Position() < std::min(mapSize, in.Length())) {
    char16_t name[kSorNameCapacity];
    in.Text(name, kSorNameCapacity);
    in.Skip(2);  // block revision
    const std::int64_t size = in.I32();
    blocks.push_back({std::u16string(SorTextView(name)), offset, size});
    offset += size;
  }
  return blocks;
}

TEST(SorInterop, EveryBlockReadEndsWhereTheFilesMapSaysItEnds) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    const bool revision2 = IsSorV2(file.bytes);
    auto record = std::make_unique<SorRecord>();
    ASSERT_EQ(ReadSorImage(file.bytes, *record), SorReadResult::kOk);
    for (const MappedBlock& block : MappedBlocks(file.bytes)) {
      for (const SorBlockParserEntry& parser : kSorBlockParsers) {
        if (block.size <= 0 || !SorTextEquals(block.name, parser.name) || !(revision2 || parser.revision1 != SorRevision1Place::kNever)) continue;
        auto scratch = std::make_unique<SorRecord>(*record);
        EXPECT_EQ(parser.parse(file.bytes, block.offset, *scratch, nullptr), block.offset + block.size) << parser.name;
      }
    }
  }
}

TEST(SorInterop, EveryFileReadsAndReportsItsChecksum) {
  SKIP_WITHOUT_SAMPLES();
  ASSERT_FALSE(SampleSorFiles().empty()) << "no .sor file in " << lumivane::test::SampleDir();
  for (const auto& file : SampleSorFiles()) {
    auto record = std::make_unique<SorRecord>();
    const SorReadResult result = ReadSorImage(file.bytes, *record);
    EXPECT_EQ(result, SorReadResult::kOk) << file.name;
    std::cout << file.name << ": " << file.bytes.size() << " bytes, revision " << (IsSorV2(file.bytes) ? 2 : 1)
              << ", " << record->KeyEvents.KeyEventCount << " events, " << record->DataPts.Traces[0].PointCount
              << " points, checksum " << ChecksumText(VerifySorChecksum(file.bytes)) << '\n';
  }
}

TEST(SorInterop, WritingKeepsEveryBlockOfTheSourceAndReadsBackAsTheSameRecord) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    auto read = std::make_unique<SorRecord>();
    ASSERT_EQ(ReadSorImage(file.bytes, *read), SorReadResult::kOk);
    std::vector<std::uint8_t> written;
    ASSERT_EQ(AssembleSorImage(*read, written), SorWriteResult::kOk);
    EXPECT_EQ(lumivane::test::BlocksNotKept(file.bytes, written), std::vector<std::string>{});
    auto reread = std::make_unique<SorRecord>();
    ASSERT_EQ(ReadSorImage(written, *reread), SorReadResult::kOk);
    EXPECT_TRUE(lumivane::test::SameBytes(*WrittenContent(*read), *WrittenContent(*reread)));
    std::cout << file.name << ": " << file.bytes.size() << " bytes read, " << written.size() << " written\n";
  }
}

}  // namespace
