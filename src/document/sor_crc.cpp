#include "document/sor_crc.h"

#include <algorithm>
#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr std::uint16_t kPolynomial = 0x1021;
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

/// One step of eight bytes.
inline std::uint16_t Fold8(std::uint16_t crc, const std::uint8_t* p) {
  return static_cast<std::uint16_t>(kTables[7][p[0] ^ (crc >> 8)] ^ kTables[6][p[1] ^ (crc & 0xFF)] ^
                                    kTables[5][p[2]] ^ kTables[4][p[3]] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^
                                    kTables[1][p[6]] ^ kTables[0][p[7]]);
}

std::uint16_t FoldBytes(std::uint16_t crc, const std::uint8_t* p, std::size_t length) {
  std::size_t i = 0;
  for (; i + kSlices <= length; i += kSlices) crc = Fold8(crc, p + i);
  for (; i < length; ++i) crc = static_cast<std::uint16_t>((crc << 8) ^ kTables[0][(crc >> 8) ^ p[i]]);
  return crc;
}

#if defined(__x86_64__)

/// a * b modulo the generator polynomial (carry-less).
std::uint16_t MultiplyModPolynomial(std::uint16_t a, std::uint16_t b) {
  std::uint32_t product = 0;
  for (int bit = 0; bit < 16; ++bit) {
    if (b & (1u << bit)) product ^= static_cast<std::uint32_t>(a) << bit;
  }
  for (int bit = 31; bit >= 16; --bit) {
    if (product & (1u << bit)) product ^= (0x10000u | kPolynomial) << (bit - 16);
  }
  return static_cast<std::uint16_t>(product);
}

/// x^bits modulo the generator polynomial.
std::uint16_t PowerOfX(int bits) {
  std::uint16_t result = 1;
  for (int i = 0; i < bits; ++i) result = MultiplyModPolynomial(result, 2);
  return result;
}

// Carry-less multiplication folds the data 64 bytes per step into four 128-bit remainders that
// stay congruent to the message modulo the polynomial; the last 16 bytes of remainder and the
// tail then go through the table. A whole trace file is checked on every batch listing and every
// save, at a small fraction of the table-driven time.
constexpr std::size_t kLane = 16;
constexpr std::size_t kLanes = 4;

#define LUMIVANE_CLMUL __attribute__((target("pclmul,ssse3")))

/// 16 bytes as a polynomial: the first byte's top bit is the highest coefficient.
LUMIVANE_CLMUL inline __m128i LoadLane(const std::uint8_t* at) {
  const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), reverse);
}

/// value * x^d + next, where factors hold x^(d+64) (low half) and x^d (high half) modulo P.
LUMIVANE_CLMUL inline __m128i FoldLane(__m128i value, __m128i factors, __m128i next) {
  return _mm_xor_si128(
      _mm_xor_si128(_mm_clmulepi64_si128(value, factors, 0x01), _mm_clmulepi64_si128(value, factors, 0x10)), next);
}

LUMIVANE_CLMUL std::uint16_t ClmulCrc16(const std::uint8_t* p, std::size_t length, std::uint16_t initial) {
  static const __m128i kFold512 = _mm_set_epi64x(PowerOfX(512), PowerOfX(576));
  static const __m128i kFold128 = _mm_set_epi64x(PowerOfX(128), PowerOfX(192));
  __m128i acc[kLanes];
  for (std::size_t k = 0; k < kLanes; ++k) acc[k] = LoadLane(p + k * kLane);
  // The initial register value enters as an XOR into the first two bytes.
  acc[0] = _mm_xor_si128(acc[0], _mm_set_epi64x(static_cast<long long>(std::uint64_t{initial} << 48), 0));
  std::size_t i = kLanes * kLane;
  for (; i + kLanes * kLane <= length; i += kLanes * kLane) {
    for (std::size_t k = 0; k < kLanes; ++k) acc[k] = FoldLane(acc[k], kFold512, LoadLane(p + i + k * kLane));
  }
  __m128i joined = acc[0];
  for (std::size_t k = 1; k < kLanes; ++k) joined = FoldLane(joined, kFold128, acc[k]);
  for (; i + kLane <= length; i += kLane) joined = FoldLane(joined, kFold128, LoadLane(p + i));

  alignas(16) std::uint8_t remainder[kLane];
  _mm_store_si128(reinterpret_cast<__m128i*>(remainder), joined);
  std::reverse(remainder, remainder + kLane);
  return FoldBytes(FoldBytes(0, remainder, kLane), p + i, length - i);
}

#undef LUMIVANE_CLMUL

bool HasClmul() {
  static const bool supported = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  return supported;
}

#endif

}  // namespace

std::uint16_t SorCrc16(const std::uint8_t* bytes, std::size_t length, std::uint16_t initial) {
#if defined(__x86_64__)
  if (length >= kLanes * kLane && HasClmul()) return ClmulCrc16(bytes, length, initial);
#endif
  return FoldBytes(initial, bytes, length);
}

SorChecksumStatus VerifySorChecksum(std::span<const std::uint8_t> file) {
  if (file.size() < kSorMinV2Length) return SorChecksumStatus::kTooShort;
  const std::size_t n = file.size();
  const auto stored = static_cast<std::uint16_t>(file[n - 2] | (file[n - 1] << 8));
  // Both conventions that start at 0xFFFF share every byte before the Cksum block: the register
  // goes on over the six bytes between instead of a second pass over the whole file.
  const std::uint16_t beforeCksumBlock = SorCrc16(file.data(), n - 8);
  if (FoldBytes(beforeCksumBlock, file.data() + n - 8, 6) == stored) return SorChecksumStatus::kAllButChecksumValue;
  if (beforeCksumBlock == stored) return SorChecksumStatus::kAllButCksumBlock;
  if (SorCrc16(file.data(), n - 2, 0) == stored) return SorChecksumStatus::kAllButChecksumValueZero;
  return SorChecksumStatus::kMismatch;
}

bool IsSorV2(std::span<const std::uint8_t> file) {
  return file.size() >= kSorMinV2Length && file[0] == 'M' && file[1] == 'a' && file[2] == 'p';
}
