#pragma once
// The FxdParams backscatter field holds 0.1 dB. Most files store the magnitude of the coefficient
// for a 1 ns pulse, 30 dB above the 1 us figure the program shows and measures with; files whose
// UserName backscatter mode is 100 store the 1 us magnitude itself. Every reader and writer of the
// field goes through these helpers, so the fibre parameters, the measured reflectance and the saved
// file cannot disagree, and a file keeps its convention however often it is saved.
#include <cstdint>

#include "platform/saturate.h"

/// UserName backscatter mode whose field already holds the 1 us magnitude.
inline constexpr std::int32_t kBackscatterModeMicrosecond = 100;

/// dB between the 1 ns and the 1 us magnitude of the coefficient (the analysis engine takes the 1 ns one).
inline constexpr double kBackscatterNanosecondOffsetDb = 30.0;

/// Magnitude in dB of the backscatter coefficient for a 1 us pulse (field 800 gives 50, or 80 in
/// mode 100).
inline constexpr double BackscatterMicrosecondDb(std::int16_t field, std::int32_t backscatterMode) {
  const double db = field / 10.0;
  return backscatterMode == kBackscatterModeMicrosecond ? db : db - kBackscatterNanosecondOffsetDb;
}

/// The field holding the 1 us magnitude `microsecondDb` in `backscatterMode`, rounded half up and
/// saturated (50 gives 800, or 500 in mode 100).
inline std::int16_t BackscatterFieldOf(double microsecondDb, std::int32_t backscatterMode) {
  const double db = backscatterMode == kBackscatterModeMicrosecond ? microsecondDb
                                                                   : microsecondDb + kBackscatterNanosecondOffsetDb;
  return lumivane::RoundToInt16(db * 10.0);
}
