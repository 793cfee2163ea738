#include "sor_map_edits.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace lumivane::test {
namespace {

// "Map\0" (revision 2 only), revision (2 bytes), map size (4), block count (2), then the entries.
std::size_t MapHeaderAt(const Bytes& image) {
  return image.size() >= 4 && std::memcmp(image.data(), "Map", 4) == 0 ? 4 : 0;
}
std::size_t MapSizeAt(const Bytes& image) { return MapHeaderAt(image) + 2; }
std::size_t CountAt(const Bytes& image) { return MapHeaderAt(image) + 6; }
std::size_t FirstEntryAt(const Bytes& image) { return MapHeaderAt(image) + 8; }

struct MapEntry {
  std::string name;
  std::size_t at;      // where the entry's name starts
  std::size_t sizeAt;  // where its size field lies
  std::uint32_t size;
  std::size_t body;    // where the map places the block
};

std::uint32_t U32At(const Bytes& image, std::size_t at) {
  return image.at(at) | (image.at(at + 1) << 8) | (image.at(at + 2) << 16) |
         (static_cast<std::uint32_t>(image.at(at + 3)) << 24);
}

std::vector<MapEntry> MapEntries(const Bytes& image) {
  const std::size_t mapSize = U32At(image, MapSizeAt(image));
  std::vector<MapEntry> entries;
  std::size_t at = FirstEntryAt(image);
  std::size_t body = mapSize;
  while (at < mapSize) {
    MapEntry entry{{}, at, 0, 0, body};
    while (image.at(at) != 0) entry.name.push_back(static_cast<char>(image.at(at++)));
    entry.sizeAt = at + 1 + 2;
    entry.size = U32At(image, entry.sizeAt);
    body += entry.size;
    at = entry.sizeAt + 4;
    entries.push_back(entry);
  }
  return entries;
}

MapEntry EntryNamed(const Bytes& image, std::string_view name) {
  for (const MapEntry& entry : MapEntries(image)) {
    if (entry.name == name) return entry;
  }
  throw std::invalid_argument("no map entry " + std::string(name));
}

// The map's size and count after an entry of `bytes` was inserted into it.
void CountAddedEntry(Bytes& image, std::size_t bytes) {
  const std::size_t sizeAt = MapSizeAt(image);
  const std::size_t countAt = CountAt(image);
  PatchU32(image, sizeAt, U32At(image, sizeAt) + static_cast<std::uint32_t>(bytes));
  PatchU16(image, countAt, static_cast<std::uint16_t>(image[countAt] + (image[countAt + 1] << 8) + 1));
}

}  // namespace

std::vector<std::string> MapEntryNames(const Bytes& image) {
  std::vector<std::string> names;
  for (const MapEntry& entry : MapEntries(image)) names.push_back(entry.name);
  return names;
}

Bytes WithMapCount(Bytes image, std::int16_t count) {
  PatchU16(image, CountAt(image), static_cast<std::uint16_t>(count));
  return image;
}

Bytes WithMapEntrySize(Bytes image, std::string_view name, std::uint32_t size) {
  PatchU32(image, EntryNamed(image, name).sizeAt, size);
  return image;
}

Bytes WithMapEntryRepeated(Bytes image, std::string_view name) {
  const MapEntry entry = EntryNamed(image, name);
  Bytes added(name.begin(), name.end());
  added.push_back(0);
  added.insert(added.end(), image.begin() + static_cast<std::ptrdiff_t>(entry.sizeAt) - 2,
               image.begin() + static_cast<std::ptrdiff_t>(entry.sizeAt));  // the same revision
  added.insert(added.end(), 4, 0);
  image.insert(image.begin() + static_cast<std::ptrdiff_t>(entry.at), added.begin(), added.end());
  CountAddedEntry(image, added.size());
  return image;
}

Bytes WithBlockNameDamaged(Bytes image, std::string_view name, char character) {
  image.at(EntryNamed(image, name).body) = static_cast<std::uint8_t>(character);
  return image;
}

Bytes WithBlockInserted(Bytes image, std::string_view before, std::string_view name, const Bytes& body) {
  const MapEntry next = EntryNamed(image, before);
  Bytes entry(name.begin(), name.end());
  entry.push_back(0);
  entry.insert(entry.end(), {200, 0});
  for (int i = 0; i < 4; ++i) entry.push_back(static_cast<std::uint8_t>(body.size() >> (8 * i)));
  // The body first: inserting the entry moves every body by the entry's length.
  image.insert(image.begin() + static_cast<std::ptrdiff_t>(next.body), body.begin(), body.end());
  image.insert(image.begin() + static_cast<std::ptrdiff_t>(next.at), entry.begin(), entry.end());
  CountAddedEntry(image, entry.size());
  return image;
}

Bytes MappedBlockBytes(const Bytes& image, std::string_view name) {
  const MapEntry entry = EntryNamed(image, name);
  const std::size_t from = std::min(entry.body, image.size());
  const std::size_t to = std::min(entry.body + entry.size, image.size());
  return Bytes(image.begin() + static_cast<std::ptrdiff_t>(from), image.begin() + static_cast<std::ptrdiff_t>(to));
}

Bytes WithUserOffset(Bytes image, std::int32_t offset) {
  constexpr std::string_view kGenParams = "GenParams";
  std::size_t at = EntryNamed(image, kGenParams).body;
  // A block that carries its identifier is laid out as revision 2, with the fibre type.
  const bool revision2 = std::memcmp(image.data() + at, kGenParams.data(), kGenParams.size() + 1) == 0;
  const auto skipText = [&] {
    while (image.at(at) != 0) ++at;
    ++at;
  };
  if (revision2) at += kGenParams.size() + 1;
  at += 2;  // language code
  skipText();  // cable ID
  skipText();  // fiber ID
  if (revision2) at += 2;  // fibre type
  at += 2;  // nominal wavelength
  skipText();  // originating location
  skipText();  // terminating location
  skipText();  // cable code
  at += 2;  // current data flag
  PatchU32(image, at, static_cast<std::uint32_t>(offset));
  return image;
}

}  // namespace lumivane::test
