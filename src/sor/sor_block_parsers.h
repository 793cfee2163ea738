#pragma once
// One parser per trace-file block. Each reads its block at a start position of the file image,
// stores the fields in the record (counts clamped to the record's capacities first) and returns
// the position just after the block, or 0, having read nothing, when start lies beyond the image.
// The image a parser gets ends where its block ends: a count whose records would run past it keeps
// only the records that lie inside, and the block is noted as damaged in the record's source.
// A block that begins with its identifier is read in the revision-2 layout, one without it in the
// revision-1 layout.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "sor/byte_reader.h"
#include "sor/sor_format.h"
#include "sor/sor_record.h"

using SorImage = std::span<const std::uint8_t>;
/// The variable texts a parser read, in reading order (a save writes unedited texts from them).
using SorTextLog = std::vector<lumivane::TextSpan>;
/// `log`, when not null, receives the block's variable texts.
using SorBlockParser = std::int64_t (*)(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log);

/// Where a revision-1 file holds a block.
enum class SorRevision1Place {
  kChained,  // where its map places it, else in the fixed order of the bodies
  kMapped,   // only where its map places it: this system's job block, the same in both revisions
  kNever,    // this system's user block is revision 2 only
};

/// A block name with the parser of its body.
struct SorBlockParserEntry {
  std::string_view name;
  SorBlockParser parse;
  SorRevision1Place revision1;
};

/// Position of the first "name\0" at or after start, or -1; only the ten block names are found.
std::int64_t FindSorBlock(SorImage image, std::int64_t start, std::string_view name);

/// One block name found in an image: its index in kSorBlockNames and its position.
struct SorBlockName {
  std::size_t index;
  std::int64_t at;
};

/// Every "name\0" of kSorBlockNames in the image, in file order, in one pass.
std::vector<SorBlockName> ListSorBlockNames(SorImage image);

std::int64_t ParseGenParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log = nullptr);
std::int64_t ParseSupParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log = nullptr);
std::int64_t ParseFxdParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log = nullptr);
std::int64_t ParseKeyEvents(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log = nullptr);
std::int64_t ParseLnkParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log = nullptr);
std::int64_t ParseDataPts(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log = nullptr);
/// Revision 2 only: the identifier is taken as present. Needs the record's map already read: the
/// later groups are read only when the map gives the block room for them.
std::int64_t ParseUserName(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log = nullptr);
std::int64_t ParseVendorParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log = nullptr);
std::int64_t ParseChecksum(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log = nullptr);

/// The image up to `end` with the identifier of `name` written at `start`: a revision-2 block whose
/// identifier is damaged where the map places it reads as that block.
std::vector<std::uint8_t> WithBlockIdentifier(SorImage image, std::int64_t start, std::int64_t end,
                                              std::string_view name);

/// Takes the image as the record's source, no block read yet.
void KeepSorSource(SorImage image, SorSource& source);

/// Every block the readers parse, in the order they parse them; revision-1 bodies follow one
/// another in this order when the map cannot place them. SorSource::BlockOffsets follows it too.
inline constexpr std::array<SorBlockParserEntry, 9> kSorBlockParsers = {{
    {kSorBlockGenParams, ParseGenParams, SorRevision1Place::kChained},
    {kSorBlockSupParams, ParseSupParams, SorRevision1Place::kChained},
    {kSorBlockFxdParams, ParseFxdParams, SorRevision1Place::kChained},
    {kSorBlockKeyEvents, ParseKeyEvents, SorRevision1Place::kChained},
    {kSorBlockLnkParams, ParseLnkParams, SorRevision1Place::kChained},
    {kSorBlockDataPts, ParseDataPts, SorRevision1Place::kChained},
    {kSorBlockUserName, ParseUserName, SorRevision1Place::kNever},
    {kSorBlockVendor, ParseVendorParams, SorRevision1Place::kMapped},
    {kSorBlockCksum, ParseChecksum, SorRevision1Place::kChained},
}};

static_assert(kSorBlockParsers.size() == kSorParsedBlockCount);

/// The index of the parsed block `name` in kSorBlockParsers; its size for a name no parser reads.
std::size_t SorParserIndex(std::string_view name);

/// The bit of the parsed block `name` in SorSource::DamagedBlocks; 0 for a name no parser reads.
std::uint16_t SorBlockBit(std::string_view name);

/// Parses the block of kSorBlockParsers[index] at start, reading nothing at or past end (those bytes
/// read as 0), and notes where it was read; a block whose fields run past end is noted as damaged.
std::int64_t ParseSourceBlock(std::size_t index, SorImage image, std::int64_t start, std::int64_t end,
                              SorRecord& record);
