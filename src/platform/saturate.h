#pragma once
// Conversions and integer arithmetic that never invoke undefined behaviour: NaN and infinity give 0,
// values outside the target range give the nearest bound.
#include <cstdint>

namespace lumivane {

/// Rounds half away from zero ("half up" for the magnitudes stored in files) and saturates.
std::int32_t RoundToInt32(double value);
std::int16_t RoundToInt16(double value);
std::uint16_t RoundToUInt16(double value);
std::uint32_t RoundToUInt32(double value);

/// Truncates toward zero and saturates.
std::int32_t TruncToInt32(double value);

/// Sum and difference of two 32-bit integers, saturated to 32 bits: times and offsets read from a
/// file can be any two values.
std::int32_t SaturatedSum(std::int32_t a, std::int32_t b);
std::int32_t SaturatedDifference(std::int32_t a, std::int32_t b);

/// Clamps an index read from a file or computed from doubles into [0, count - 1]; 0 when count <= 0.
/// Inline: the analysis clamps every sample it reads.
inline int ClampIndex(long long index, int count) {
  if (count <= 0 || index <= 0) return 0;
  if (index >= count) return count - 1;
  return static_cast<int>(index);
}

}  // namespace lumivane
