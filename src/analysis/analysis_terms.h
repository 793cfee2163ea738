#pragma once
// Terms every analysis stage shares: range and wavelength classes, the pulse length, bounded sample
// access. Arithmetic rule of the whole engine: values stored as 32-bit floats stay 32-bit; every other
// intermediate is computed in double from them, and "/" between numbers is a real division unless the
// code divides integers on purpose. Truncation to an index goes through the saturating helpers, so a
// non-finite intermediate becomes 0 and never an undefined conversion.
#include <algorithm>
#include <cmath>
#include <span>

#include "analysis/analysis_types.h"
#include "platform/saturate.h"
#include "trace/wavelength.h"

/// True when the acquisition range is within 0.1 km of 160 or 240 km.
inline bool IsLongRange(double rangeKm) {
  return std::fabs(rangeKm - 160.0) < 0.1 || std::fabs(rangeKm - 240.0) < 0.1;
}

/// True when the trace is analysed at the band `bandNm`. Lasers sit a few nanometres off nominal, so
/// every wavelength rule of the engine keys on the band: a 1308.4 nm trace is analysed as a 1310 nm one.
inline bool IsBand(double wavelengthNm, int bandNm) { return WavelengthBandNm(wavelengthNm) == bandNm; }

/// Typical fibre attenuation (dB/km) of the band: 3.0, 0.5 and 0.32 in the 850, 1300 and 1310 nm
/// bands, 0.22 in every other. It stands in where the trace gives no plausible slope.
inline double BandDefaultAttenuation(double wavelengthNm) {
  if (IsBand(wavelengthNm, 850)) return 3.0;
  if (IsBand(wavelengthNm, 1300)) return 0.5;
  if (IsBand(wavelengthNm, 1310)) return 0.32;
  return 0.22;
}

/// True for the multimode bands (850 and 1300 nm), which have estimators of their own.
inline bool IsMultimodeWavelength(double wavelengthNm) {
  return IsBand(wavelengthNm, 850) || IsBand(wavelengthNm, 1300);
}

/// True for the single-mode bands whose rules the engine lists: 1310, 1383, 1490, 1550, 1625, 1650 nm.
inline bool IsListedWavelength(double wavelengthNm) { return !IsMultimodeWavelength(wavelengthNm); }

/// The length of fibre a pulse occupies: 0.1 m per ns, in km.
inline double PulseLengthKm(int pulseWidthNs) { return pulseWidthNs / 10000.0; }

/// The power a receiver saw at `level` on the trace's 5·log10 scale.
inline double PowerOfLevel(double level) { return std::pow(10.0, level / 5.0); }

/// Sample spacing dx in km, from samples 0 and 1 (0 for fewer than two samples).
inline double SampleSpacing(std::span<const TracePoint> points) {
  if (points.size() < 2) return 0.0;
  return static_cast<double>(points[1].distance) - static_cast<double>(points[0].distance);
}

/// Samples one pulse spans, never more than the trace holds (damaged settings give any width).
inline int PulseSamples(std::span<const TracePoint> points, int pulseWidthNs) {
  return std::clamp(lumivane::TruncToInt32(PulseLengthKm(pulseWidthNs) / SampleSpacing(points)), 1,
                    std::max(static_cast<int>(points.size()), 1));
}

/// The sample at an index clamped into the array; scans that overrun read the last sample.
inline const TracePoint& PointAt(std::span<const TracePoint> points, long long index) {
  return points[static_cast<std::size_t>(lumivane::ClampIndex(index, static_cast<int>(points.size())))];
}

/// Level of the sample at a clamped index.
inline double LevelAt(std::span<const TracePoint> points, long long index) {
  return PointAt(points, index).level;
}

/// Mean level of the `count` samples from `first` on (indices clamped), at least one.
inline double MeanLevel(std::span<const TracePoint> points, int first, int count) {
  double sum = 0.0;
  for (int k = first; k < first + count; ++k) sum += LevelAt(points, k);
  return sum / std::max(count, 1);
}

/// Distance of the sample at a clamped index.
inline double DistanceAt(std::span<const TracePoint> points, long long index) {
  return PointAt(points, index).distance;
}

/// Index of the highest level over [first, last) (the first on ties); `first` when the range is empty.
inline int HighestSample(std::span<const TracePoint> points, int first, int last) {
  const int end = last < static_cast<int>(points.size()) ? last : static_cast<int>(points.size());
  int best = first;
  for (int k = first + 1; k < end; ++k) {
    if (LevelAt(points, k) > LevelAt(points, best)) best = k;
  }
  return best;
}

/// Lowest and highest level of a run of samples.
struct LevelBounds {
  double lowest;
  double highest;

  double Spread() const { return highest - lowest; }
};

/// Lowest and highest level over [first, last], both clamped into the array.
inline LevelBounds LevelRange(std::span<const TracePoint> points, long long first, long long last) {
  const int n = static_cast<int>(points.size());
  const int a = lumivane::ClampIndex(first, n);
  const int b = lumivane::ClampIndex(last, n);
  LevelBounds bounds{LevelAt(points, a), LevelAt(points, a)};
  for (int k = a + 1; k <= b; ++k) {
    bounds.lowest = std::min(bounds.lowest, LevelAt(points, k));
    bounds.highest = std::max(bounds.highest, LevelAt(points, k));
  }
  return bounds;
}

/// Centre of a reflection's flat top: walks down from the peak while the level stays within
/// 0.0001 dB of it, not below the start; returns (j + peak + 1) / 2.
inline int FlatTopCentre(std::span<const TracePoint> points, int start, int peak) {
  const double top = LevelAt(points, peak);
  int j = peak;
  while (j > start && std::fabs(LevelAt(points, j) - top) <= 0.0001) --j;
  return (j + peak + 1) / 2;
}
