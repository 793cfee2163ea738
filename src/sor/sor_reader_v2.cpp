#include <algorithm>
#include <array>
#include <vector>

#include "sor/byte_reader.h"
#include "sor/sor_block_parsers.h"
#include "sor/sor_crc.h"
#include "sor/sor_format.h"
#include "sor/sor_map_layout.h"
#include "sor/sor_reader.h"
#include "sor/sor_text.h"

namespace {

/// A block of the map whose identifier stands where the map's sizes place it.
struct StandingBlock {
  std::int64_t offset;
  std::int64_t end;
};

std::vector<StandingBlock> StandingBlocks(SorImage image, const SorMapLayout& layout) {
  const lumivane::ByteReader in(image);
  std::vector<StandingBlock> standing;
  for (const SorMappedBlock& block : layout.blocks) {
    if (block.size > 0 && in.NameAt(block.offset, block.name)) standing.push_back({block.offset, block.offset + block.size});
  }
  return standing;
}

bool InsideStandingBlock(const std::vector<StandingBlock>& standing, std::int64_t at) {
  return std::any_of(standing.begin(), standing.end(),
                     [&](const StandingBlock& block) { return at > block.offset && at < block.end; });
}

const SorMappedBlock* ListedBody(const SorMapLayout& layout, std::string_view name) {
  const auto it = std::find_if(layout.blocks.begin(), layout.blocks.end(),
                               [&](const SorMappedBlock& block) { return block.name == name && block.size > 0; });
  return it == layout.blocks.end() ? nullptr : &*it;
}

/// Where each parsed block is read, and how far. Blocks are found by name; a text that equals a block
/// name (a cable ID typed as "DataPts") is found before the block itself, so where the map's sizes put
/// a block and its identifier stands there, that position wins, and a name inside another block that
/// stands where the map puts it is text. A block read anywhere but where the map places it, or listed
/// by the map but not found there, means map and blocks disagree: the file is damaged, and such a block
/// is read up to the next block found.
struct BlockPlacement {
  std::int64_t at = -1;
  std::int64_t end = 0;
  bool damaged = false;
};

std::array<BlockPlacement, kSorParsedBlockCount> PlaceBlocks(SorImage image, std::int64_t searchStart) {
  const SorMapLayout layout = ReadSorMapLayout(image);
  const std::vector<StandingBlock> standing = StandingBlocks(image, layout);
  const std::vector<SorBlockName> names = ListSorBlockNames(image);
  std::array<BlockPlacement, kSorParsedBlockCount> placed;
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    const std::string_view name = kSorBlockParsers[index].name;
    const SorMappedBlock* listed = ListedBody(layout, name);
    BlockPlacement& block = placed[index];
    for (const SorBlockName& found : names) {
      if (found.at < searchStart || kSorBlockNames[found.index] != name) continue;
      if (listed != nullptr && found.at == listed->offset) {
        block.at = found.at;
        break;
      }
      if (block.at < 0 && !InsideStandingBlock(standing, found.at)) block.at = found.at;
    }
    const bool whereListed = listed != nullptr && block.at == listed->offset;
    block.damaged = (listed != nullptr || block.at > 0) && !whereListed;
    if (whereListed) block.end = listed->offset + listed->size;
  }
  // A block the map does not place ends where the next block begins.
  for (BlockPlacement& block : placed) {
    if (block.at <= 0 || block.end > 0) continue;
    block.end = static_cast<std::int64_t>(image.size());
    for (const BlockPlacement& other : placed) {
      if (other.at > block.at) block.end = std::min(block.end, other.at);
    }
    for (const StandingBlock& other : standing) {
      if (other.offset > block.at) block.end = std::min(block.end, other.offset);
    }
  }
  return placed;
}

}  // namespace

SorReadResult ReadSorV2(std::span<const std::uint8_t> image, SorRecord& target) {
  if (image.size() > static_cast<std::size_t>(MaxTraceFileSize)) return SorReadResult::kTooLarge;
  lumivane::ByteReader in(image);
  if (!in.NameAt(0, kSorBlockMap)) return SorReadResult::kNotSorFile;
  in.Skip(static_cast<std::int64_t>(kSorBlockMap.size()) + 1);
  const std::uint16_t revision = in.U16();
  if (revision != kSorRevision2) return SorReadResult::kWrongVersion;

  ClearSorRecord(target);
  KeepSorSource(image, target.Source);
  auto& map = target.Map;
  SetSorText(map.Name, kSorBlockMap);
  map.Revision = revision;
  const std::uint32_t mapSize = in.U32();
  map.MapSize = static_cast<std::int32_t>(mapSize);
  const std::int16_t blockCount = in.I16();
  map.BlockCount = static_cast<std::int16_t>(ClampSorCount(blockCount, kSorMaxMapEntries));
  // The count leaves out the Map itself, yet block count + 1 entries are read; the extra entry is
  // the start of the first block and only moves the search start, which the map size then caps.
  const int entries = blockCount < 0 ? 0 : blockCount + 1;
  SorMapEntry ignored{};
  for (int k = 0; k < entries; ++k) {
    SorMapEntry& entry = k < kSorMaxMapEntries ? map.Entries[k] : ignored;
    in.Text(entry.Name, kSorNameCapacity);
    entry.Revision = in.U16();
    entry.Size = in.I32();
  }

  const std::int64_t searchStart = std::min<std::int64_t>(in.Position(), mapSize);
  const auto placed = PlaceBlocks(image, searchStart);
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    const BlockPlacement& block = placed[index];
    if (block.damaged) target.Source.DamagedBlocks |= SorBlockBit(kSorBlockParsers[index].name);
    if (block.at > 0) ParseSourceBlock(index, image, block.at, block.end, target);
  }
  return SorReadResult::kOk;
}

SorReadResult ReadSorImage(std::span<const std::uint8_t> image, SorRecord& target) {
  return IsSorV2(image) ? ReadSorV2(image, target) : ReadSorV1(image, target);
}
