#pragma once
// The SR-4731 checksum and the tests that tell a file's revision and checksum apart.
#include <cstddef>
#include <cstdint>
#include <span>

/// CRC-16/CCITT (polynomial 0x1021, no reflection, no final XOR); with the initial value 0xFFFF it
/// is CRC-16/CCITT-FALSE, the trace-file checksum.
std::uint16_t SorCrc16(const std::uint8_t* bytes, std::size_t length, std::uint16_t initial = 0xFFFF);

/// Which convention the stored checksum of a file was found to follow.
enum class SorChecksumStatus {
  kTooShort,                 // fewer than kSorMinV2Length bytes
  kMismatch,                 // no convention matches
  kAllButChecksumValue,      // every byte but the stored value itself (instruments; what this system writes)
  kAllButCksumBlock,         // every byte before the "Cksum" identifier (older files of this system)
  kAllButChecksumValueZero,  // as kAllButChecksumValue, the register starting at 0
};

/// Smallest file given a checksum test.
inline constexpr std::size_t kSorMinV2Length = 300;

/// Tests the u16 in the last two bytes against the three checksum conventions.
SorChecksumStatus VerifySorChecksum(std::span<const std::uint8_t> file);

/// True when the status names a matching convention.
inline bool IsChecksumValid(SorChecksumStatus status) {
  return status != SorChecksumStatus::kTooShort && status != SorChecksumStatus::kMismatch;
}

/// True when the file starts with "Map": it is read as revision 2, however short (a revision-1 file
/// opens with its map's revision number, never with those letters).
bool IsSorV2(std::span<const std::uint8_t> file);
