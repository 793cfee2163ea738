#pragma once
// Test-only OTDR traces in the engine's level scale: a launch reflection, a fibre of constant
// attenuation with non-reflective steps and reflections of known reflectance, and a noise floor
// behind the end of the fibre. Levels are quantised like file samples (0.001 dB, -65.535 .. 0 dB).
#include <cstdint>
#include <vector>

#include "analysis/analysis_types.h"

struct SyntheticStep {
  double distanceKm;
  double lossDb;  // positive loss, negative gain
};

struct SyntheticReflection {
  double distanceKm;
  double reflectanceDb;  // as the engine reports it
  double lossDb = 0.0;   // step behind the reflection
  int widthSamples = 0;  // flat top; 0 = one pulse length
};

struct SyntheticTraceSpec {
  int pointCount = 20000;
  double spacingKm = 0.001;
  double launchLevelDb = -10.0;   // backscatter level at distance 0
  double slopeDbPerKm = -0.33;    // backscatter slope (negative)
  double launchHeightDb = 10.0;   // front-panel reflection above the backscatter
  int launchSamples = 0;          // 0 = one pulse length
  std::vector<SyntheticStep> steps;
  std::vector<SyntheticReflection> reflections;
  double fibreEndKm = 1e9;        // beyond it only the noise floor remains
  double noiseFloorDb = -48.5;    // level of the noise floor
  double noiseSigmaDb = 0.0;      // noise at the floor, falling 10-fold per 10 dB above it
  // As a receiver sees the fibre: every step and the fibre end spread over one pulse length, every
  // reflection a pulse whose edges the receiver rounds, with a tail behind it. Off: one-sample steps
  // and flat-topped reflections.
  bool pulseShaped = false;
  // Pulse-shaped only: the receiver's recovery behind every reflection, the distance over which the
  // reflection's light dies away by a factor e (a dead zone tens of metres long); 0 for none.
  double recoveryKm = 0.0;
  // Noise as an instrument's receiver makes it, in place of `noiseSigmaDb`: white in linear power,
  // low-pass filtered over one pulse length, as strong as the noise floor's own mean power and added
  // to the backscatter in power, so in dB it grows as the backscatter falls towards the floor; now
  // and then a spike in the noise behind the fibre's end.
  bool instrumentNoise = false;
  std::uint32_t seed = 1;
  bool quantise = true;

  // Acquisition settings, also used to turn reflectances into peak heights.
  int pulseWidthNs = 100;
  float wavelengthNm = 1550.0f;
  float rangeKm = 20.0f;
  float backscatterCoefficient = 80.0f;
};

/// A straight fibre without launch reflection, noise or quantisation, at -10 dB at distance 0 and
/// 1 m spacing; tests add steps and reflections.
SyntheticTraceSpec CleanFibreSpec(int pointCount, double slopeDbPerKm);

/// The samples of the described trace.
std::vector<TracePoint> MakeSyntheticTrace(const SyntheticTraceSpec& spec);

/// A parameter block for the described trace (thresholds as the settings dialog proposes them).
AnalysisParams MakeSyntheticParams(const SyntheticTraceSpec& spec);

/// Peak height above the backscatter that the engine reports as `reflectanceDb` under these settings.
double ReflectionHeightDb(const SyntheticTraceSpec& spec, double reflectanceDb);

/// Samples one pulse occupies under these settings (at least 1).
int PulseSamples(const SyntheticTraceSpec& spec);

/// Backscatter level at a distance, without reflections, floor or noise.
double BackscatterLevelDb(const SyntheticTraceSpec& spec, double distanceKm);

/// Root mean square in dB of instrument noise averaged over one pulse length, where the backscatter
/// stands at `levelDb`.
double PulseAveragedNoiseDb(const SyntheticTraceSpec& spec, double levelDb);

/// Backscatter level at which instrument noise over a floor at `noiseFloorDb` has a root mean square
/// of `rmsDb` (before averaging over a pulse length).
double LevelWithNoiseDb(double noiseFloorDb, double rmsDb);

/// 80 km at 2 m spacing, 1 us: splices of 0.4 dB at 10 km and 1.0 dB at 30 km, then the fibre ends
/// at 50 km straight into the noise.
SyntheticTraceSpec LongLinkSpec(std::uint32_t seed);

/// A 4 km link measured with a short pulse (`pulseWidthNs`, 10 ns as instruments use on short links)
/// at `spacingM` metres: a -0.3 dB gainer at 0.5 km, a 0.3 dB splice at 1.2 km, a -45 dB connector
/// with 0.5 dB at 2 km and a -20 dB end at 3 km, pulse-shaped, with `noiseDb` of noise on the
/// backscatter at the launch that grows towards the floor.
SyntheticTraceSpec ShortPulseLinkSpec(double spacingM, double noiseDb, float wavelengthNm, int pulseWidthNs = 10);

/// The noise floor a little below the engine's noise reference, as many instruments record on its scale.
inline constexpr double kInstrumentFloorDb = -50.0;

/// A short link as instruments record it (`pulseWidthNs` at `spacingM`, wavelength as the laser's),
/// with instrument noise of `noiseDb` at the 0.3 dB splice: a -0.3 dB gainer at 0.5 km, splices of
/// 0.3 dB at 1.2 km, 0.15 dB at 1.6 km and 0.1 dB at 2.4 km, a -45 dB connector with 0.5 dB at
/// 2 km and a -20 dB end at 3.63 km that drops the trace into the noise floor at `noiseFloorDb`.
SyntheticTraceSpec InstrumentShortLinkSpec(int pulseWidthNs, double spacingM, double noiseDb, float wavelengthNm,
                                           double noiseFloorDb = kInstrumentFloorDb);

/// 40 km at 1550 nm with splices of 0.1, 0.15 and 0.2 dB in turn every 4 km and a -30 dB end,
/// instrument noise of `farEndNoiseDb` in front of the end, less towards the launch.
SyntheticTraceSpec InstrumentLongLinkSpec(int pulseWidthNs, double spacingM, double farEndNoiseDb);

/// A link as instruments record it: pulse-shaped events and noise, `pointCount` samples 1 m apart,
/// with splices, a gainer, two connectors and a reflective fibre end at three quarters of the trace.
SyntheticTraceSpec RealisticLinkSpec(int pointCount);
