#pragma once
// The actual-wavelength field of FxdParams is meant to hold tenths of a nanometre, yet many files
// store whole nanometres. No optical wavelength in use lies below 200 nm or at 2000 nm and above, so
// a field below 2000 is taken as whole nanometres and any other as tenths. Every reader of the field
// (the display model, the preview, reanalysis, the limits) goes through this one helper.
#include <cstdint>

/// Field values from here on are tenths of a nanometre.
inline constexpr std::int32_t kWavelengthTenthsFrom = 2000;

/// Whole nanometres of an actual-wavelength field: tenths rounded half up (13105 gives 1311),
/// whole-nanometre fields as they are (1625 gives 1625).
std::int32_t ConvertWavelengthField(std::int32_t field);
