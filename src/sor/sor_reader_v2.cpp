#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "sor/byte_reader.h"
#include "sor/sor_block_parsers.h"
#include "sor/sor_crc.h"
#include "sor/sor_format.h"
#include "sor/sor_map_layout.h"
#include "sor/sor_reader.h"
#include "sor/sor_text.h"

namespace {

/// Where a block whose identifier stands where the map's sizes place it lies.
struct StandingBlock {
  std::int64_t offset;
  std::int64_t end;
};

/// Whether a block search can find blocks of this name.
bool IsSearchedName(std::string_view name) {
  return std::find(kSorBlockNames.begin(), kSorBlockNames.end(), name) != kSorBlockNames.end();
}

/// Whether the entry lists a body and its identifier stands where the map's sizes place it.
bool Stands(SorImage image, const SorMappedBlock& block) {
  return block.size > 0 && lumivane::ByteReader(image).NameAt(block.offset, block.name);
}

std::vector<StandingBlock> StandingBlocks(SorImage image, const SorMapLayout& layout) {
  std::vector<StandingBlock> standing;
  for (const SorMappedBlock& block : layout.blocks) {
    if (Stands(image, block)) standing.push_back({block.offset, block.offset + block.size});
  }
  return standing;
}

bool InsideStandingBlock(const std::vector<StandingBlock>& standing, std::int64_t at) {
  return std::any_of(standing.begin(), standing.end(),
                     [&](const StandingBlock& block) { return at > block.offset && at < block.end; });
}

/// Whether one of the block names, with its zero byte, stands at `at`.
bool StandsAnyName(SorImage image, std::int64_t at) {
  const lumivane::ByteReader in(image);
  return std::any_of(kSorBlockNames.begin(), kSorBlockNames.end(), [&](std::string_view name) { return in.NameAt(at, name); });
}

/// Where each parsed block is read, and how far. Blocks are found by name; a text that equals a block
/// name (a cable ID typed as "DataPts") is found before the block itself, so where the map's sizes put
/// a block and its identifier stands there, that position wins, and a name inside another block that
/// stands where the map puts it is text. A block read anywhere but where the map places it, or listed
/// by the map but not found there, means map and blocks disagree: the file is damaged, and such a block
/// is read up to the next block found. A block the map places where no identifier stands is read there
/// as that block (`mended`) when its fields fill it.
struct BlockPlacement {
  std::int64_t at = -1;
  std::int64_t end = 0;
  bool damaged = false;
  bool mended = false;
};

using Placements = std::array<BlockPlacement, kSorParsedBlockCount>;

/// Whether the map alone places every block: each entry of a searched name with a body has its
/// identifier where the map's sizes put it, the bodies fill the file and the search starts past the
/// map. Another maker's block need not begin with its name (a revision-1 file's blocks saved as
/// revision 2 keep their bytes): the blocks around it fix its place. Every position a search can
/// reach then lies at a block's start or inside a block placed so, and a name inside another maker's
/// block is that maker's data, never one of the blocks read here.
bool MapPlacesEveryBlock(SorImage image, const SorMapLayout& layout, std::int64_t searchStart) {
  if (!layout.readable || searchStart < layout.mapSize || layout.end != static_cast<std::int64_t>(image.size())) {
    return false;
  }
  return std::all_of(layout.blocks.begin(), layout.blocks.end(), [&](const SorMappedBlock& block) {
    return block.size == 0 || !IsSearchedName(block.name) || Stands(image, block);
  });
}

Placements PlaceByMap(const SorMapLayout& layout) {
  Placements placed;
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    if (const SorMappedBlock* listed = layout.Listed(kSorBlockParsers[index].name)) {
      placed[index].at = listed->offset;
      placed[index].end = listed->offset + listed->size;
    }
  }
  return placed;
}

/// Whether the block of kSorBlockParsers[index], read as if its identifier stood at `listed`, fills
/// the place the map gives it to the byte, where no other block stands. The block's own bytes and
/// its map entry decide, nothing around it: a save copies a block it could not read back with both,
/// while it puts the blocks around it where its map says, and the copy must read as the file did.
bool FitsWhereListed(std::size_t index, SorImage image, const SorMappedBlock& listed, const SorMapBlock& map) {
  const std::int64_t end = listed.offset + listed.size;
  if (listed.offset + static_cast<std::int64_t>(listed.name.size()) + 1 > end ||
      end > static_cast<std::int64_t>(image.size()) || StandsAnyName(image, listed.offset)) {
    return false;
  }
  auto trial = std::make_unique<SorRecord>();
  trial->Map = map;
  const std::vector<std::uint8_t> mended = WithBlockIdentifier(image, listed.offset, end, listed.name);
  return ParseSourceBlock(index, mended, listed.offset, end, *trial) == end && trial->Source.DamagedBlocks == 0;
}

Placements PlaceBlocksByName(SorImage image, const SorMapLayout& layout, std::int64_t searchStart,
                             const SorMapBlock& map) {
  const std::vector<StandingBlock> standing = StandingBlocks(image, layout);
  const std::vector<SorBlockName> names = ListSorBlockNames(image);
  Placements placed;
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    const std::string_view name = kSorBlockParsers[index].name;
    const SorMappedBlock* listed = layout.Listed(name);
    BlockPlacement& block = placed[index];
    for (const SorBlockName& found : names) {
      if (found.at < searchStart || kSorBlockNames[found.index] != name) continue;
      if (listed != nullptr && found.at == listed->offset) {
        block.at = found.at;
        break;
      }
      if (block.at < 0 && !InsideStandingBlock(standing, found.at)) block.at = found.at;
    }
    if (block.at < 0 && listed != nullptr && layout.readable && FitsWhereListed(index, image, *listed, map)) {
      block.at = listed->offset;
      block.mended = true;
    }
    const bool whereListed = listed != nullptr && block.at == listed->offset;
    block.damaged = (listed != nullptr || block.at > 0) && (!whereListed || block.mended);
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
  const SorMapLayout layout = ReadSorMapLayout(image);
  const Placements placed = MapPlacesEveryBlock(image, layout, searchStart)
                                ? PlaceByMap(layout)
                                : PlaceBlocksByName(image, layout, searchStart, target.Map);
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    const BlockPlacement& block = placed[index];
    const std::string_view name = kSorBlockParsers[index].name;
    if (block.damaged) target.Source.DamagedBlocks |= SorBlockBit(name);
    if (block.at <= 0) continue;
    if (block.mended) {
      ParseSourceBlock(index, WithBlockIdentifier(image, block.at, block.end, name), block.at, block.end, target);
    } else {
      ParseSourceBlock(index, image, block.at, block.end, target);
    }
  }
  return SorReadResult::kOk;
}

SorReadResult ReadSorImage(std::span<const std::uint8_t> image, SorRecord& target) {
  return IsSorV2(image) ? ReadSorV2(image, target) : ReadSorV1(image, target);
}
