#pragma once
// The actual-wavelength field of FxdParams is meant to hold tenths of a nanometre, yet many files
// store whole nanometres. No optical wavelength in use lies below 200 nm or at 2000 nm and above, so
// a field below 2000 is taken as whole nanometres and any other as tenths. Every reader of the field
// (the display model, the preview, reanalysis, the limits) goes through these helpers.
#include <array>
#include <cstdint>

struct SorRecord;

/// Field values from here on are tenths of a nanometre.
inline constexpr std::int32_t kWavelengthTenthsFrom = 2000;

/// No optical wavelength in use lies below this: a smaller value (0 above all) means the file gives none.
inline constexpr double kLowestWavelengthNm = 200.0;

/// Tenths of a nanometre of an actual-wavelength field (1625 gives 16250, 16250 stays).
inline constexpr std::int32_t WavelengthFieldTenths(std::int16_t field) {
  return field < kWavelengthTenthsFrom ? field * 10 : field;
}

/// Whole nanometres of an actual-wavelength field: tenths rounded half up (13105 gives 1311),
/// whole-nanometre fields as they are (1625 gives 1625).
std::int32_t ConvertWavelengthField(std::int16_t field);

/// The wavelengths (nm) that the analysis, the link ORL and the pass/fail limits know rules for.
inline constexpr std::array<std::int32_t, 8> kListedWavelengthsNm = {850, 1300, 1310, 1383, 1490, 1550, 1625, 1650};

/// The band of a trace whose file gives no wavelength: single-mode 1310 nm. The nearest listed one, 850 nm,
/// would hold a single-mode fibre to the multimode slopes of 2 dB/km and more and lose every splice.
inline constexpr std::int32_t kUnstatedBandNm = 1310;

/// Position in kListedWavelengthsNm of the listed wavelength nearest `wavelengthNm` (the lower one on a
/// tie); that of kUnstatedBandNm where the value is no wavelength.
int WavelengthBandIndex(double wavelengthNm);

/// The trace's band: the listed wavelength nearest `wavelengthNm`. Lasers sit a few nanometres off
/// nominal (1308.4 nm is a 1310 nm trace), so rules keyed by wavelength look up the band, never the
/// exact value.
std::int32_t WavelengthBandNm(double wavelengthNm);

/// The band of an actual-wavelength field in either unit (13084 tenths give 1310, 1625 gives 1625):
/// the nominal wavelength whose typical attenuation a trace takes.
std::int32_t NominalWavelengthNm(std::int16_t field);

/// A trace's band, from the tenths its record stores (13054 gives 1310): the band the analysis
/// works at and the band whose limits judge the trace. The whole nanometres shown (1305) may lie
/// nearer another listed wavelength, so no band is taken from them.
std::int32_t TraceBandNm(const SorRecord& record);
