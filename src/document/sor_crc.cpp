#include "document/sor_crc.h"

#include <array>

namespace {

constexpr std::uint16_t kPolynomial = 0x1021;
constexpr std::uint16_t kInitial = 0xFFFF;
// Bytes per step of the table-driven loop; a whole trace file is checked on every batch listing.
constexpr int kSlices = 8;

using CrcTables = std::array<std::array<std::uint16_t, 256>, kSlices>;

constexpr CrcTables MakeTables() {
  CrcTables tables{};
  for (int byte = 0; byte < 256; ++byte) {
    auto crc = static_cast<std::uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ kPolynomial : crc << 1);
    }
    tables[0][byte] = crc;
  }
  // tables[k][v]: the register after v followed by k zero bytes, so eight bytes fold in one step.
  for (int k = 1; k < kSlices; ++k) {
    for (int byte = 0; byte < 256; ++byte) {
      const std::uint16_t prev = tables[k - 1][byte];
      tables[k][byte] = static_cast<std::uint16_t>((prev << 8) ^ tables[0][prev >> 8]);
    }
  }
  return tables;
}

constexpr CrcTables kTables = MakeTables();

}  // namespace

std::uint16_t SorCrc16(const std::uint8_t* bytes, std::size_t length) {
  std::uint16_t crc = kInitial;
  std::size_t i = 0;
  for (; i + kSlices <= length; i += kSlices) {
    const std::uint8_t* p = bytes + i;
    crc = static_cast<std::uint16_t>(
        kTables[7][p[0] ^ (crc >> 8)] ^ kTables[6][p[1] ^ (crc & 0xFF)] ^ kTables[5][p[2]] ^ kTables[4][p[3]] ^
        kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]]);
  }
  for (; i < length; ++i) {
    crc = static_cast<std::uint16_t>((crc << 8) ^ kTables[0][(crc >> 8) ^ bytes[i]]);
  }
  return crc;
}

SorChecksumStatus VerifySorChecksum(std::span<const std::uint8_t> file) {
  if (file.size() < kSorMinV2Length) return SorChecksumStatus::kTooShort;
  const std::size_t n = file.size();
  const auto stored = static_cast<std::uint16_t>(file[n - 2] | (file[n - 1] << 8));
  if (SorCrc16(file.data(), n - 8) == stored) return SorChecksumStatus::kAllButCksumBlock;
  if (SorCrc16(file.data(), n - 2) == stored) return SorChecksumStatus::kAllButChecksumValue;
  return SorChecksumStatus::kMismatch;
}

bool IsSorV2(std::span<const std::uint8_t> file) {
  return file.size() >= kSorMinV2Length && file[0] == 'M' && file[1] == 'a' && file[2] == 'p';
}
