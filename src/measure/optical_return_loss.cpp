#include "measure/optical_return_loss.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "trace/wavelength.h"

namespace {

// Rayleigh fraction of the pulse returned by unit length, and the exponent's constant.
constexpr double kRayleighFraction = 0.0005;
constexpr double kAttenuationExponent = 0.46;
// Reflections the link ORL counts lie strictly between these magnitudes (dB).
constexpr double kLinkReflectionFloor = 6.0;
constexpr double kLinkReflectionCeiling = 70.0;

struct LengthBand {
  double upTo;  // km, inclusive; the last band of a wavelength has no bound
  float c;
  float d;
  double adjust;  // dB taken off T
};

struct WavelengthBand {
  std::int32_t band;  // listed wavelength, nm; 0 for any other band
  float attenuation;  // dB/km
  std::span<const LengthBand> lengths;
};

constexpr double kOpen = HUGE_VAL;
constexpr LengthBand k1310[] = {{1.6, 0.981f, -0.1877f, 0.0},
                                {27.0, 0.7187f, -0.0264f, 0.0},
                                {85.0, -0.006375f, 0.000455f, 0.0},
                                {kOpen, 0.0f, 0.0f, 0.0}};
constexpr LengthBand k1550[] = {{27.0, 0.7978f, -0.008599f, 0.0}, {kOpen, 0.0f, 0.0f, 3.0}};
constexpr LengthBand k1490[] = {{1.6, 1.525f, -0.9418f, 0.0},
                                {27.0, 0.7665f, -0.01f, 0.0},
                                {85.0, 0.00309f, 0.000241f, 0.0},
                                {kOpen, 0.0f, 0.0f, 3.0}};
constexpr LengthBand kOther[] = {{80.0, 0.4022f, -0.00501f, 0.0}, {kOpen, 0.0f, 0.0f, 3.0}};

// The constants of the trace's band: a 1308.4 nm laser measures a 1310 nm link.
const WavelengthBand& BandOf(float wavelengthNm) {
  static const WavelengthBand bands[] = {{1310, 0.30f, k1310}, {1550, 0.19f, k1550}, {1490, 0.19f, k1490}};
  static const WavelengthBand other{0, 0.19f, kOther};
  const std::int32_t band = WavelengthBandNm(wavelengthNm);
  for (const WavelengthBand& b : bands) {
    if (b.band == band) return b;
  }
  return other;
}

const LengthBand& LengthBandOf(const WavelengthBand& band, double lengthKm) {
  for (const LengthBand& b : band.lengths) {
    if (lengthKm <= b.upTo) return b;
  }
  return band.lengths.back();
}

// The ORL of a stretch of `lengthKm` whose reflections add up to `reflectionSum` (linear).
float OrlOf(float wavelengthNm, double lengthKm, double reflectionSum) {
  // A stretch without length returns no backscatter; the formula would give infinity.
  if (!(lengthKm > 0.0)) return 0.0f;
  const WavelengthBand& band = BandOf(wavelengthNm);
  const LengthBand& constants = LengthBandOf(band, lengthKm);
  const double t =
      -10.0 * std::log10(kRayleighFraction * (1.0 - std::exp(-kAttenuationExponent * band.attenuation * lengthKm))) -
      constants.adjust;
  const double p = std::pow(10.0, static_cast<float>(t / 10.0));
  const double x = 1.0 / (1.0 / p + reflectionSum * (constants.c + constants.d * lengthKm));
  const double orl = x > 0.0 ? 10.0 * std::log10(x) : 10.0 * std::log10(p);
  return std::isfinite(orl) ? static_cast<float>(orl) : 0.0f;
}

double ReflectionPower(float reflectance) { return std::pow(10.0, -std::fabs(reflectance) / 10.0); }

std::optional<int> FirstEndRow(std::span<const EventRow> rows, int n) {
  for (int i = 0; i < n; ++i) {
    if (rows[static_cast<std::size_t>(i)].Type == kEventEnd) return i;
  }
  return std::nullopt;
}

int RowsInUse(std::span<const EventRow> rows, int rowCount) {
  return std::clamp(rowCount, 0, static_cast<int>(rows.size()));
}

}  // namespace

float ComputeLinkOrl(std::span<const EventRow> rows, int rowCount, float wavelengthNm) {
  const int n = RowsInUse(rows, rowCount);
  const std::optional<int> end = FirstEndRow(rows, n);
  if (!end || *end == 0) return 0.0f;
  double sum = 0.0;
  for (int i = 0; i <= *end; ++i) {
    const EventRow& row = rows[static_cast<std::size_t>(i)];
    const double magnitude = std::fabs(row.Reflectance);
    if (row.Type != kEventNonReflective && magnitude > kLinkReflectionFloor && magnitude < kLinkReflectionCeiling) {
      sum += ReflectionPower(row.Reflectance);
    }
  }
  return OrlOf(wavelengthNm, rows[static_cast<std::size_t>(*end)].Distance, sum);
}

float EstimateOrl(std::span<const EventRow> rows, int rowCount, float wavelengthNm, float distanceAKm,
                  float distanceBKm) {
  if (distanceAKm == distanceBKm) return 0.0f;
  const int n = RowsInUse(rows, rowCount);
  float a = distanceAKm;
  float b = distanceBKm;
  // Past the end of the fibre nothing returns light. Without an end row the whole stretch counts.
  if (const std::optional<int> end = FirstEndRow(rows, n)) {
    const float endKm = rows[static_cast<std::size_t>(*end)].Distance;
    if (*end != 0 && std::min(a, b) >= endKm) return 0.0f;
    a = std::min(a, endKm);
    b = std::min(b, endKm);
  }
  const float nearKm = std::min(a, b);
  const float farKm = std::max(a, b);
  // The stretch is measured like a whole link that starts at the near distance.
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    const EventRow& row = rows[static_cast<std::size_t>(i)];
    if (row.Type == kEventNonReflective || row.Distance < nearKm || row.Distance > farKm) continue;
    const double magnitude = std::fabs(row.Reflectance);
    if (magnitude > kLinkReflectionFloor && magnitude < kLinkReflectionCeiling) sum += ReflectionPower(row.Reflectance);
  }
  return OrlOf(wavelengthNm, std::fabs(a - b), sum);
}
