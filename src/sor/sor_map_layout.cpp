#include "sor/sor_map_layout.h"

#include <algorithm>

#include "sor/byte_reader.h"
#include "sor/sor_crc.h"
#include "sor/sor_format.h"

namespace {

// Revision, map size and block count follow the identifier (revision 2) or open the file.
constexpr std::int64_t kMapHeaderBytes = 8;

}  // namespace

bool SorMapLayout::Lists(std::string_view name) const {
  return std::any_of(blocks.begin(), blocks.end(),
                     [&](const SorMappedBlock& block) { return block.name == name && block.size > 0; });
}

SorMapLayout ReadSorMapLayout(std::span<const std::uint8_t> image) {
  SorMapLayout layout;
  const std::int64_t length = static_cast<std::int64_t>(image.size());
  const std::int64_t headerStart = IsSorV2(image) ? static_cast<std::int64_t>(kSorBlockMap.size()) + 1 : 0;
  lumivane::ByteReader in(image, headerStart);
  layout.revision = in.U16();
  layout.mapSize = in.U32();
  in.Skip(2);  // block count
  if (layout.mapSize < headerStart + kMapHeaderBytes || layout.mapSize > length) return layout;

  std::int64_t offset = layout.mapSize;
  while (in.Position() < layout.mapSize) {
    SorMappedBlock block{};
    for (std::uint8_t b = in.U8(); b != 0 && in.Position() <= layout.mapSize; b = in.U8()) {
      block.name.push_back(static_cast<char>(b));
    }
    block.revision = in.U16();
    block.size = in.I32();
    if (in.Position() > layout.mapSize || block.size < 0) return layout;
    block.offset = offset;
    offset += block.size;
    layout.blocks.push_back(std::move(block));
  }
  layout.end = offset;
  layout.readable = true;
  return layout;
}
