#pragma once
// Assembles SR-4731 images field by field for test fixtures, apart from the production writer, so
// the writer and the readers do not merely confirm each other.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::test {

using Bytes = std::vector<std::uint8_t>;

class SorImageBuilder {
 public:
  /// Starts a block listed in the map; withIdentifier writes "name\0" first.
  SorImageBuilder& Block(std::string_view name, bool withIdentifier = true);
  /// A map entry of size 0 with no body (a block the file does not carry).
  SorImageBuilder& EmptyEntry(std::string_view name);

  SorImageBuilder& U8(std::uint8_t value);
  SorImageBuilder& U16(std::uint16_t value);
  SorImageBuilder& I16(std::int16_t value) { return U16(static_cast<std::uint16_t>(value)); }
  SorImageBuilder& U32(std::uint32_t value);
  SorImageBuilder& I32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }
  /// The bytes of text, then a zero byte.
  SorImageBuilder& Text(std::string_view text);
  /// Exactly length bytes: text cut or padded with zeros.
  SorImageBuilder& Fixed(std::string_view text, std::size_t length);
  SorImageBuilder& Raw(const Bytes& bytes);

  /// "Map\0", revision, map size, block count (the blocks, Map not counted), one entry per block,
  /// the bodies in order; a last block named "Cksum" gets the CRC of all bytes before it.
  Bytes BuildV2(std::uint16_t mapRevision = 200) const;
  /// Map without identifier (revision, size, count, entries from offset 8), then the bodies.
  Bytes BuildV1(std::uint16_t mapRevision = 100) const;

 private:
  struct Entry {
    std::string name;
    Bytes body;
  };
  Bytes& Body();
  std::vector<Entry> entries_;
};

/// Content of a representative trace file, written in either revision.
struct SampleSorSpec {
  int points = 2000;     // samples of the one trace
  int events = 3;        // key events
  int userVer = 203;     // UserName version; 0 leaves the block out (revision 2 only)
  bool withVendor = true;  // NorvalexParams block (revision 2 only)
  std::string comment = "Span test";   // GenParams comment, written as given
  std::string supplier = "Supplier";   // SupParams supplier name, written as given
  std::string eventComment = "splice"; // comment of key event 1
  std::string foreignBlock = {};       // name of another maker's block before Cksum; empty: none
};

/// A revision-2 file of a small GenParams, the block addBlock writes and Cksum, padded before the
/// Cksum block to the 300 bytes that make it revision 2.
Bytes MakeSorV2WithBlock(const std::function<void(SorImageBuilder&)>& addBlock);

/// Overwrites a little-endian value of a fixture in place.
void PatchU16(Bytes& bytes, std::size_t at, std::uint16_t value);
void PatchU32(Bytes& bytes, std::size_t at, std::uint32_t value);

/// The image with its FxdParams distance units (two characters, as "ft") replaced.
Bytes WithDistanceUnits(Bytes image, std::string_view units);

/// Appends the FxdParams block of the representative file below, for a trace of `points` samples.
void AddSampleFxdParams(SorImageBuilder& b, bool v2, int points);

/// A revision-2 file as an instrument of this system's family writes it (blocks in written order).
Bytes MakeSampleSorV2(const SampleSorSpec& spec = {});
/// The same content as a revision-1 file: no identifiers, no revision-2-only fields.
Bytes MakeSampleSorV1(const SampleSorSpec& spec = {});

}  // namespace lumivane::test
