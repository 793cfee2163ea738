#include "sor/sor_crc.h"

#include <algorithm>
#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "sor/sor_format.h"

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

/// a * b modulo the generator polynomial (carry-less).
constexpr std::uint16_t MultiplyModPolynomial(std::uint16_t a, std::uint16_t b) {
  std::uint32_t product = 0;
  for (int bit = 0; bit < 16; ++bit) product ^= (std::uint32_t{a} << bit) & (0u - ((b >> bit) & 1u));
  // The upper half h stands for h * x^16, which the table rows for one and two bytes reduce.
  const std::uint32_t high = product >> 16;
  return static_cast<std::uint16_t>(product ^ kTables[0][high & 0xFF] ^ kTables[1][high >> 8]);
}

/// x^(2^k) modulo the generator polynomial.
constexpr std::array<std::uint16_t, 64> kPowersOfTwo = [] {
  std::array<std::uint16_t, 64> powers{};
  powers[0] = 2;  // x
  for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = MultiplyModPolynomial(powers[k - 1], powers[k - 1]);
  return powers;
}();

/// x^bits modulo the generator polynomial.
constexpr std::uint16_t PowerOfX(std::uint64_t bits) {
  std::uint16_t result = 1;
  for (std::size_t k = 0; bits != 0; ++k, bits >>= 1) {
    if (bits & 1) result = MultiplyModPolynomial(result, kPowersOfTwo[k]);
  }
  return result;
}

#if defined(__x86_64__)

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

/// Factors that move a lane forward by Bits: x^(Bits+64) in the low half, x^Bits in the high one.
template <std::uint64_t Bits>
LUMIVANE_CLMUL inline __m128i LaneFactors() {
  constexpr std::uint16_t kHigh = PowerOfX(Bits);
  constexpr std::uint16_t kLow = PowerOfX(Bits + 64);
  return _mm_set_epi64x(kHigh, kLow);
}

/// Folds the 128-bit remainder `joined` over the 16-byte lanes from p on, then the rest through
/// the table.
LUMIVANE_CLMUL std::uint16_t FinishLanes(__m128i joined, const std::uint8_t* p, std::size_t length) {
  const __m128i kFold128 = LaneFactors<128>();
  std::size_t i = 0;
  for (; i + kLane <= length; i += kLane) joined = FoldLane(joined, kFold128, LoadLane(p + i));
  alignas(16) std::uint8_t remainder[kLane];
  _mm_store_si128(reinterpret_cast<__m128i*>(remainder), joined);
  std::reverse(remainder, remainder + kLane);
  return FoldBytes(FoldBytes(0, remainder, kLane), p + i, length - i);
}

/// The initial register value enters as an XOR into the first two bytes.
LUMIVANE_CLMUL inline __m128i InitialLane(std::uint16_t initial) {
  return _mm_set_epi64x(static_cast<long long>(std::uint64_t{initial} << 48), 0);
}

LUMIVANE_CLMUL std::uint16_t ClmulCrc16(const std::uint8_t* p, std::size_t length, std::uint16_t initial) {
  const __m128i kFold512 = LaneFactors<512>();
  const __m128i kFold128 = LaneFactors<128>();
  __m128i acc[kLanes];
  for (std::size_t k = 0; k < kLanes; ++k) acc[k] = LoadLane(p + k * kLane);
  acc[0] = _mm_xor_si128(acc[0], InitialLane(initial));
  std::size_t i = kLanes * kLane;
  for (; i + kLanes * kLane <= length; i += kLanes * kLane) {
    for (std::size_t k = 0; k < kLanes; ++k) acc[k] = FoldLane(acc[k], kFold512, LoadLane(p + i + k * kLane));
  }
  __m128i joined = acc[0];
  for (std::size_t k = 1; k < kLanes; ++k) joined = FoldLane(joined, kFold128, acc[k]);
  return FinishLanes(joined, p + i, length - i);
}

// The same folding four lanes to a 512-bit register and four registers at a time, where the
// processor multiplies 512 bits in one instruction.
constexpr std::size_t kBlock = 64;
constexpr std::size_t kBlocks = 4;

#define LUMIVANE_CLMUL512 __attribute__((target("pclmul,ssse3,vpclmulqdq,avx512f,avx512bw")))

// The masked forms of broadcast and extract (every lane kept) avoid the plain forms' undefined
// source operand, which the compiler reports as read uninitialised.
LUMIVANE_CLMUL512 inline __m512i Broadcast(__m128i lane) { return _mm512_maskz_broadcast_i32x4(0xFFFF, lane); }

template <int Index>
LUMIVANE_CLMUL512 inline __m128i Extract(__m512i block) {
  return _mm512_maskz_extracti32x4_epi32(0xFF, block, Index);
}

LUMIVANE_CLMUL512 inline __m512i LoadBlock(const std::uint8_t* at) {
  const __m512i reverse =
      Broadcast(_mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
  return _mm512_shuffle_epi8(_mm512_loadu_si512(at), reverse);
}

LUMIVANE_CLMUL512 inline __m512i FoldBlock(__m512i value, __m512i factors, __m512i next) {
  return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(value, factors, 0x01),
                                   _mm512_clmulepi64_epi128(value, factors, 0x10), next, 0x96);
}

/// Factors that move every lane of a block forward by Bits.
template <std::uint64_t Bits>
LUMIVANE_CLMUL512 inline __m512i BlockFactors() {
  return Broadcast(LaneFactors<Bits>());
}

LUMIVANE_CLMUL512 std::uint16_t WideClmulCrc16(const std::uint8_t* p, std::size_t length, std::uint16_t initial) {
  const __m512i kFold2048 = BlockFactors<8 * kBlocks * kBlock>();
  const __m512i kFold512 = BlockFactors<8 * kBlock>();
  const __m128i kFold128 = LaneFactors<128>();
  __m512i acc[kBlocks];
  for (std::size_t k = 0; k < kBlocks; ++k) acc[k] = LoadBlock(p + k * kBlock);
  acc[0] = _mm512_xor_si512(acc[0], _mm512_zextsi128_si512(InitialLane(initial)));
  std::size_t i = kBlocks * kBlock;
  for (; i + kBlocks * kBlock <= length; i += kBlocks * kBlock) {
    for (std::size_t k = 0; k < kBlocks; ++k) acc[k] = FoldBlock(acc[k], kFold2048, LoadBlock(p + i + k * kBlock));
  }
  __m512i joined = acc[0];
  for (std::size_t k = 1; k < kBlocks; ++k) joined = FoldBlock(joined, kFold512, acc[k]);
  for (; i + kBlock <= length; i += kBlock) joined = FoldBlock(joined, kFold512, LoadBlock(p + i));
  __m128i lane = Extract<0>(joined);
  lane = FoldLane(lane, kFold128, Extract<1>(joined));
  lane = FoldLane(lane, kFold128, Extract<2>(joined));
  lane = FoldLane(lane, kFold128, Extract<3>(joined));
  return FinishLanes(lane, p + i, length - i);
}

#undef LUMIVANE_CLMUL512
#undef LUMIVANE_CLMUL

bool HasClmul() {
  static const bool supported = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  return supported;
}

bool HasWideClmul() {
  static const bool supported = HasClmul() && __builtin_cpu_supports("vpclmulqdq") &&
                                __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return supported;
}

#endif

}  // namespace

std::uint16_t SorCrc16(const std::uint8_t* bytes, std::size_t length, std::uint16_t initial) {
#if defined(__x86_64__)
  if (length >= kBlocks * kBlock && HasWideClmul()) return WideClmulCrc16(bytes, length, initial);
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
  const std::uint16_t allButValue = FoldBytes(beforeCksumBlock, file.data() + n - 8, 6);
  if (allButValue == stored) return SorChecksumStatus::kAllButChecksumValue;
  if (beforeCksumBlock == stored) return SorChecksumStatus::kAllButCksumBlock;
  // The register's start value reaches the result only as start * x^(8 * bytes): the same range
  // from 0 differs from the one from 0xFFFF by that term alone, so no second pass is needed.
  const std::uint16_t startTerm = MultiplyModPolynomial(0xFFFF, PowerOfX(8 * std::uint64_t{n - 2}));
  if ((allButValue ^ startTerm) == stored) return SorChecksumStatus::kAllButChecksumValueZero;
  return SorChecksumStatus::kMismatch;
}

bool IsSorV2(std::span<const std::uint8_t> file) {
  return file.size() >= kSorBlockMap.size() && std::equal(kSorBlockMap.begin(), kSorBlockMap.end(), file.begin());
}
