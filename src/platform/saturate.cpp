#include "platform/saturate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumivane {
namespace {

template <typename T>
T Saturate(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double lo = static_cast<double>(std::numeric_limits<T>::min());
  constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
  if (value <= lo) return std::numeric_limits<T>::min();
  if (value >= hi) return std::numeric_limits<T>::max();
  return static_cast<T>(value);
}

std::int32_t SaturateToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t RoundToInt32(double value) { return Saturate<std::int32_t>(std::round(value)); }
std::int16_t RoundToInt16(double value) { return Saturate<std::int16_t>(std::round(value)); }
std::uint16_t RoundToUInt16(double value) { return Saturate<std::uint16_t>(std::round(value)); }
std::uint32_t RoundToUInt32(double value) { return Saturate<std::uint32_t>(std::round(value)); }
std::int32_t TruncToInt32(double value) { return Saturate<std::int32_t>(std::trunc(value)); }

std::int32_t SaturatedSum(std::int32_t a, std::int32_t b) {
  return SaturateToInt32(static_cast<std::int64_t>(a) + b);
}

std::int32_t SaturatedDifference(std::int32_t a, std::int32_t b) {
  return SaturateToInt32(static_cast<std::int64_t>(a) - b);
}

}  // namespace lumivane
