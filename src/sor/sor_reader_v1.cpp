#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "sor/byte_reader.h"
#include "sor/sor_block_parsers.h"
#include "sor/sor_format.h"
#include "sor/sor_reader.h"
#include "sor/sor_text.h"

namespace {

// The blocks whose map entries the record keeps, in the order they are looked for.
constexpr std::array<std::string_view, 6> kRecordedEntries = {kSorBlockGenParams, kSorBlockSupParams,
                                                              kSorBlockFxdParams, kSorBlockKeyEvents,
                                                              kSorBlockDataPts,   kSorBlockCksum};

constexpr std::int64_t kV1FirstEntry = 8;

struct PlacedBlock {
  std::size_t index;  // in kSorBlockParsers
  std::int64_t offset;
  std::int64_t end;
};

std::optional<std::size_t> KnownBlock(std::u16string_view name) {
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    const auto& block = kSorBlockParsers[index];
    if (block.revision1 != SorRevision1Place::kNever && SorTextEquals(name, block.name)) return index;
  }
  return std::nullopt;
}

// Instruments write revision-1 blocks in their own order (DataPts before KeyEvents) with blocks of
// their own between them, so the map's sizes place each block. Only a map whose entries end inside
// it and whose blocks add up within the file is trusted; anything else falls back to the fixed order.
// The entries are those the map's size holds: a block count that disagrees is damage, but the
// blocks the map lists are read all the same.
bool PlaceBlocksByMap(SorImage image, std::int64_t mapSize, std::vector<PlacedBlock>& placed) {
  lumivane::ByteReader in(image, kV1FirstEntry);
  std::int64_t offset = mapSize;
  const std::int64_t entriesEnd = std::min(mapSize, static_cast<std::int64_t>(image.size()));
  while (in.Position() < entriesEnd) {
    char16_t name[kSorNameCapacity];
    in.Text(name, kSorNameCapacity);
    in.Skip(2);
    const std::int32_t size = in.I32();
    if (in.Position() > mapSize) break;
    if (size < 0) return false;
    // A block the map lists twice is read where it is first listed, as in revision 2.
    const auto index = KnownBlock(SorTextView(name));
    const bool placedBefore = index && std::any_of(placed.begin(), placed.end(),
                                                   [&](const PlacedBlock& block) { return block.index == *index; });
    if (index && size > 0 && !placedBefore) placed.push_back({*index, offset, offset + size});
    offset += size;
  }
  return !placed.empty() && offset <= static_cast<std::int64_t>(image.size());
}

}  // namespace

SorReadResult ReadSorV1(std::span<const std::uint8_t> image, SorRecord& target) {
  if (image.size() > static_cast<std::size_t>(MaxTraceFileSize)) return SorReadResult::kTooLarge;
  ClearSorRecord(target);
  KeepSorSource(image, target.Source);
  auto& map = target.Map;
  SetSorText(map.Name, kSorBlockMap);
  lumivane::ByteReader in(image);
  map.Revision = in.U16();
  const std::uint32_t mapSize = in.U32();
  map.MapSize = static_cast<std::int32_t>(mapSize);
  const std::int16_t blockCount = in.I16();
  map.BlockCount = static_cast<std::int16_t>(ClampSorCount(blockCount, kSorMaxMapEntries));

  in.Seek(kV1FirstEntry);
  int stored = 0;
  std::int64_t searchFrom = 0;
  // Each name is looked for from where the one before was found (from the start after a miss); a
  // list of every name in the file answers all of them with one pass over the image.
  const std::vector<SorBlockName> names = ListSorBlockNames(image);
  for (const auto name : kRecordedEntries) {
    const auto found = std::find_if(names.begin(), names.end(), [&](const SorBlockName& candidate) {
      return candidate.at >= searchFrom && kSorBlockNames[candidate.index] == name;
    });
    const std::int64_t at = found == names.end() ? -1 : found->at;
    searchFrom = std::max<std::int64_t>(at, 0);
    if (at < 0 || stored >= kSorMaxMapEntries) continue;
    SorMapEntry& entry = map.Entries[stored++];
    in.Text(entry.Name, kSorNameCapacity);
    entry.Revision = in.U16();
    entry.Size = in.I32();
  }

  std::vector<PlacedBlock> placed;
  if (PlaceBlocksByMap(image, mapSize, placed)) {
    for (const auto& [index, offset, end] : placed) ParseSourceBlock(index, image, offset, end, target);
    return SorReadResult::kOk;
  }
  // A parser that finds its start beyond the image ends the chain: starting the next block over
  // at position 0 would read the map as block fields.
  std::int64_t position = mapSize;
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    if (kSorBlockParsers[index].revision1 != SorRevision1Place::kChained) continue;
    position = ParseSourceBlock(index, image, position, static_cast<std::int64_t>(image.size()), target);
    if (position == 0) break;
  }
  return SorReadResult::kOk;
}
