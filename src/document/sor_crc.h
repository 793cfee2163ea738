#pragma once
// The SR-4731 checksum and the tests that tell a file's revision and checksum apart.
#include <cstddef>
#include <cstdint>
#include <span>

/// CRC-16/CCITT-FALSE (polynomial 0x1021, initial 0xFFFF, no reflection, no final XOR).
std::uint16_t SorCrc16(const std::uint8_t* bytes, std::size_t length);

/// Which byte range the stored checksum of a file was found to cover.
enum class SorChecksumStatus {
  kTooShort,             // fewer than kSorMinV2Length bytes
  kMismatch,             // neither convention matches
  kAllButCksumBlock,     // every byte before the "Cksum" identifier (what this system writes)
  kAllButChecksumValue,  // every byte but the stored value itself (what many instruments write)
};

/// Smallest file taken as revision 2 and given a checksum test.
inline constexpr std::size_t kSorMinV2Length = 300;

/// Tests the u16 in the last two bytes against both checksum conventions.
SorChecksumStatus VerifySorChecksum(std::span<const std::uint8_t> file);

/// True when the status names a matching convention.
inline bool IsChecksumValid(SorChecksumStatus status) {
  return status == SorChecksumStatus::kAllButCksumBlock || status == SorChecksumStatus::kAllButChecksumValue;
}

/// True when the file is long enough and starts with "Map": it is read as revision 2.
bool IsSorV2(std::span<const std::uint8_t> file);
