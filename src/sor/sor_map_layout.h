#pragma once
// The blocks of a trace file as its own map lays them out: the bodies follow the map one after the
// other, in the order and with the sizes of its entries. Both revisions; the block count is not
// consulted (writers disagree on whether it counts the Map), the map size bounds the entries.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

struct SorMappedBlock {
  std::string_view name;    // the entry's name, every byte of it, inside the image the map was read from
  std::uint16_t revision;   // the entry's block revision
  std::int64_t offset;      // where the map's sizes place the body
  std::int64_t size;        // bytes, identifier included
};

struct SorMapLayout {
  bool readable = false;  // the map lies within the file and its entries within the map
  std::uint16_t revision = 0;  // of the map: 200 for revision 2.00
  std::int64_t mapSize = 0;
  std::int16_t blockCount = 0;  // as the map states it
  std::vector<SorMappedBlock> blocks;  // in map order
  std::int64_t end = 0;   // where the last block ends

  /// The first entry that lists a block of this name with a body, or null.
  const SorMappedBlock* Listed(std::string_view name) const;
  /// Whether some name is listed by more than one entry (a damaged map).
  bool RepeatsAnEntry() const;
};

/// Reads the map at the start of a file image (with "Map\0" first in revision 2). The names in the
/// layout point into `image`, which must outlive it.
SorMapLayout ReadSorMapLayout(std::span<const std::uint8_t> image);
