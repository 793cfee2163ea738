#pragma once
// Changes made to an image (either revision) for fixtures: damage to its map, a block added, a field
// set. The map is walked here, apart from the production reader.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sor_image_builder.h"

namespace lumivane::test {

/// The names of the map's entries, in map order.
std::vector<std::string> MapEntryNames(const Bytes& image);

/// The image with the map's block count field set to `count`.
Bytes WithMapCount(Bytes image, std::int16_t count);

/// The image with the size of the first map entry named `name` set to `size`.
Bytes WithMapEntrySize(Bytes image, std::string_view name, std::uint32_t size);

/// The image with one more entry named `name`, of size 0, ahead of the first entry of that name;
/// the map's count and size grow with it.
Bytes WithMapEntryRepeated(Bytes image, std::string_view name);

/// The image with the first character of block `name`'s own identifier (not its map entry), where
/// the map places the block, replaced by `character`.
Bytes WithBlockNameDamaged(Bytes image, std::string_view name, char character);

/// The image with one more block, `body` as given, listed (block revision 200) and placed just ahead
/// of the first block named `before`; the map's count and size grow with it.
Bytes WithBlockInserted(Bytes image, std::string_view before, std::string_view name, const Bytes& body);

/// The bytes where the map places the first block named `name`, as far as the image holds them.
Bytes MappedBlockBytes(const Bytes& image, std::string_view name);

/// The image with the GenParams user offset set to `offset`, in either revision's layout.
Bytes WithUserOffset(Bytes image, std::int32_t offset);

}  // namespace lumivane::test
