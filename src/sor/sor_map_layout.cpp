#include "sor/sor_map_layout.h"

#include <algorithm>
#include <cstring>

#include "sor/byte_reader.h"
#include "sor/sor_crc.h"
#include "sor/sor_format.h"

namespace {

// Revision, map size and block count follow the identifier (revision 2) or open the file.
constexpr std::int64_t kMapHeaderBytes = 8;
// Room for the entries of any instrument's map at once, so reading one allocates once.
constexpr std::size_t kUsualEntries = 16;

}  // namespace

const SorMappedBlock* SorMapLayout::Listed(std::string_view name) const {
  const auto it = std::find_if(blocks.begin(), blocks.end(),
                               [&](const SorMappedBlock& block) { return block.size > 0 && block.name == name; });
  return it == blocks.end() ? nullptr : &*it;
}

bool SorMapLayout::RepeatsAnEntry() const {
  for (auto it = blocks.begin(); it != blocks.end(); ++it) {
    const std::string_view name = it->name;
    if (std::any_of(blocks.begin(), it, [&](const SorMappedBlock& earlier) { return earlier.name == name; })) return true;
  }
  return false;
}

SorMapLayout ReadSorMapLayout(std::span<const std::uint8_t> image) {
  SorMapLayout layout;
  const std::int64_t length = static_cast<std::int64_t>(image.size());
  const std::int64_t headerStart = IsSorV2(image) ? static_cast<std::int64_t>(kSorBlockMap.size()) + 1 : 0;
  lumivane::ByteReader in(image, headerStart);
  layout.revision = in.U16();
  layout.mapSize = in.U32();
  layout.blockCount = in.I16();
  if (layout.mapSize < headerStart + kMapHeaderBytes || layout.mapSize > length) return layout;

  const char* const text = reinterpret_cast<const char*>(image.data());
  layout.blocks.reserve(kUsualEntries);
  std::int64_t offset = layout.mapSize;
  while (in.Position() < layout.mapSize) {
    const std::int64_t nameStart = in.Position();
    const auto* zero = static_cast<const char*>(
        std::memchr(text + nameStart, 0, static_cast<std::size_t>(layout.mapSize - nameStart)));
    if (zero == nullptr) return layout;  // a name that runs to the map's end is no entry
    const auto nameLength = static_cast<std::size_t>(zero - (text + nameStart));
    in.Seek(nameStart + static_cast<std::int64_t>(nameLength) + 1);
    SorMappedBlock block{std::string_view(text + nameStart, nameLength), in.U16(), offset, 0};
    block.size = in.I32();
    if (in.Position() > layout.mapSize || block.size < 0) return layout;
    offset += block.size;
    layout.blocks.push_back(block);
  }
  layout.end = offset;
  layout.readable = true;
  return layout;
}
