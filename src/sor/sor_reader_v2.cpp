#include <algorithm>
#include <array>

#include "sor/byte_reader.h"
#include "sor/sor_block_parsers.h"
#include "sor/sor_crc.h"
#include "sor/sor_format.h"
#include "sor/sor_reader.h"
#include "sor/sor_text.h"

namespace {

std::size_t NameIndex(std::string_view name) {
  return static_cast<std::size_t>(std::find(kSorBlockNames.begin(), kSorBlockNames.end(), name) -
                                  kSorBlockNames.begin());
}

// A text that equals a block name (a cable ID typed as "DataPts") is found by the search before
// the block itself, and the file would read wrongly. Where the map's sizes put a block and its
// identifier stands there, that position wins; elsewhere the search decides.
void PreferMapPositions(SorImage image, const SorMapBlock& map, SorBlockPositions& found) {
  const lumivane::ByteReader in(image);
  std::int64_t offset = static_cast<std::uint32_t>(map.MapSize);
  for (int k = 0; k < map.BlockCount && offset < in.Length(); ++k) {
    const SorMapEntry& entry = map.Entries[k];
    if (entry.Size < 0) return;
    const std::u16string_view entryName = SorTextView(entry.Name);
    for (std::size_t index = 0; index < kSorBlockNames.size(); ++index) {
      const std::string_view name = kSorBlockNames[index];
      if (SorTextEquals(entryName, name) && in.NameAt(offset, name)) {
        found[index] = offset;
      }
    }
    offset += entry.Size;
  }
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
  SorBlockPositions found = FindSorBlocks(image, searchStart);
  PreferMapPositions(image, target.Map, found);
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    const std::int64_t at = found[NameIndex(kSorBlockParsers[index].name)];
    if (at > 0) ParseSourceBlock(index, image, at, target);
  }
  return SorReadResult::kOk;
}

SorReadResult ReadSorImage(std::span<const std::uint8_t> image, SorRecord& target) {
  return IsSorV2(image) ? ReadSorV2(image, target) : ReadSorV1(image, target);
}
