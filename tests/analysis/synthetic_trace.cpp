#include "synthetic_trace.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "analysis/analysis_terms.h"
#include "analysis/reflectance.h"

namespace {

constexpr double kMinFileLevel = -65.535;

// Box-Muller on the standard engine, so every library gives the same noise.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : engine_(seed) {}
  double Next() {
    const double u1 = (static_cast<double>(engine_()) + 1.0) / 4294967297.0;
    const double u2 = static_cast<double>(engine_()) / 4294967296.0;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * 3.14159265358979323846 * u2);
  }
  double Uniform() { return static_cast<double>(engine_()) / 4294967296.0; }

 private:
  std::mt19937 engine_;
};

int IndexOf(const SyntheticTraceSpec& spec, double distanceKm) {
  return static_cast<int>(std::lround(distanceKm / spec.spacingKm));
}

// An event at a distance leaves the sample there untouched and shows from the next one on: the
// sample of an event is the last in front of it, as instruments store events and the engine reports
// them.
int FirstSampleBehind(const SyntheticTraceSpec& spec, double distanceKm) { return IndexOf(spec, distanceKm) + 1; }

}  // namespace

int PulseSamples(const SyntheticTraceSpec& spec) {
  return std::max(1, static_cast<int>(spec.pulseWidthNs / 10000.0 / spec.spacingKm));
}

double ReflectionHeightDb(const SyntheticTraceSpec& spec, double reflectanceDb) {
  const double k = spec.backscatterCoefficient - 10.0 * std::log10(static_cast<double>(spec.pulseWidthNs));
  const double correction =
      ReflectanceCorrection(WavelengthBandNm(spec.wavelengthNm), spec.pulseWidthNs, spec.rangeKm);
  return 5.0 * std::log10(std::pow(10.0, (reflectanceDb + k - correction) / 10.0) + 1.0);
}

SyntheticTraceSpec CleanFibreSpec(int pointCount, double slopeDbPerKm) {
  SyntheticTraceSpec spec;
  spec.pointCount = pointCount;
  spec.slopeDbPerKm = slopeDbPerKm;
  spec.launchHeightDb = 0.0;
  spec.noiseFloorDb = -200.0;
  spec.quantise = false;
  return spec;
}

namespace {

// Linear power of a level on the trace's 5·log10 scale, and back.
double Power(double levelDb) { return std::pow(10.0, levelDb / 5.0); }
double LevelOf(double power) { return 5.0 * std::log10(power); }

// Losses accumulate behind each event. Sharp traces put a reflection's loss behind its flat top; a
// pulse-shaped one puts it at the reflection and lets the pulse spread it.
std::vector<double> BackscatterLevels(const SyntheticTraceSpec& spec) {
  const int pulse = PulseSamples(spec);
  std::vector<std::pair<int, double>> losses;
  for (const SyntheticStep& s : spec.steps) losses.emplace_back(FirstSampleBehind(spec, s.distanceKm), s.lossDb);
  for (const SyntheticReflection& r : spec.reflections) {
    const int width = r.widthSamples > 0 ? r.widthSamples : pulse;
    losses.emplace_back(FirstSampleBehind(spec, r.distanceKm) + (spec.pulseShaped ? 0 : width), r.lossDb);
  }
  std::vector<double> levels(static_cast<std::size_t>(spec.pointCount));
  for (int i = 0; i < spec.pointCount; ++i) {
    double level = spec.launchLevelDb + spec.slopeDbPerKm * i * spec.spacingKm;
    for (const auto& [at, loss] : losses) {
      if (i >= at) level -= loss;
    }
    levels[static_cast<std::size_t>(i)] = level;
  }
  return levels;
}

// Height above the backscatter per sample: reflections and the launch as flat tops.
std::vector<double> PeakHeights(const SyntheticTraceSpec& spec) {
  const int n = spec.pointCount;
  const int pulse = PulseSamples(spec);
  std::vector<double> peak(static_cast<std::size_t>(n), 0.0);
  for (const SyntheticReflection& r : spec.reflections) {
    const int at = FirstSampleBehind(spec, r.distanceKm);
    const int width = r.widthSamples > 0 ? r.widthSamples : pulse;
    const double height = ReflectionHeightDb(spec, r.reflectanceDb);
    for (int i = std::max(at, 0); i < std::min(at + width, n); ++i) peak[static_cast<std::size_t>(i)] = height;
  }
  const int launch = spec.launchSamples > 0 ? spec.launchSamples : pulse;
  for (int i = 0; i < std::min(launch, n); ++i) peak[static_cast<std::size_t>(i)] = spec.launchHeightDb;
  return peak;
}

// The signal without floor and noise, in dB; -inf where no light returns.
std::vector<double> SharpSignal(const SyntheticTraceSpec& spec, int end) {
  std::vector<double> level = BackscatterLevels(spec);
  const std::vector<double> peak = PeakHeights(spec);
  for (std::size_t i = 0; i < level.size(); ++i) {
    level[i] = static_cast<int>(i) < end ? level[i] + peak[i] : -HUGE_VAL;
  }
  return level;
}

// Each sample holds the light of the pulse length of fibre in front of it, the reflections arrive
// as a pulse, and the receiver's bandwidth rounds every edge and leaves a tail behind a reflection.
std::vector<double> PulseShapedSignal(const SyntheticTraceSpec& spec, int end) {
  const int n = spec.pointCount;
  const int pulse = PulseSamples(spec);
  const std::vector<double> backscatter = BackscatterLevels(spec);
  const std::vector<double> peak = PeakHeights(spec);
  std::vector<double> fibre(static_cast<std::size_t>(n), 0.0);
  for (int i = 0; i < std::min(end, n); ++i) fibre[static_cast<std::size_t>(i)] = Power(backscatter[static_cast<std::size_t>(i)]);
  std::vector<double> power(static_cast<std::size_t>(n));
  double window = 0.0;
  // The receiver recovers from a reflection's light only slowly: its power dies away behind it.
  const double recovery = spec.recoveryKm > 0.0 ? std::exp(-spec.spacingKm / spec.recoveryKm) : 0.0;
  double tail = 0.0;
  for (int i = 0; i < n; ++i) {
    window += fibre[static_cast<std::size_t>(i)];
    if (i >= pulse) window -= fibre[static_cast<std::size_t>(i - pulse)];
    const double backscatterPower = window / std::min(i + 1, pulse);
    // A reflection's height is measured against the backscatter in front of it.
    const double reflected = peak[static_cast<std::size_t>(i)] > 0.0
                                 ? Power(backscatter[static_cast<std::size_t>(i)]) *
                                       (Power(peak[static_cast<std::size_t>(i)]) - 1.0)
                                 : 0.0;
    tail = std::max(tail * recovery, reflected);
    power[static_cast<std::size_t>(i)] = backscatterPower + tail;
  }
  const double smoothing = 1.0 / std::max(1.0, pulse / 20.0);
  double received = power[0];
  std::vector<double> level(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    received += smoothing * (power[static_cast<std::size_t>(i)] - received);
    level[static_cast<std::size_t>(i)] = received > 0.0 ? LevelOf(received) : -HUGE_VAL;
  }
  return level;
}

// dB of a noise of relative power `ratio` (standard deviation over mean signal power), for small ratios.
constexpr double kDbPerPowerRatio = 5.0 / 2.302585092994046;
// Spikes in the noise: how often, how strong (in standard deviations of the noise) and how wide.
constexpr double kSpikesPerSample = 1.0 / 2000.0;
constexpr double kSpikeLeast = 2.0;
constexpr double kSpikeMost = 5.0;
constexpr int kSpikePulseDivisor = 4;

// Receiver noise in units of its own standard deviation: white, averaged over one pulse length
// (the receiver's bandwidth follows the pulse) and scaled back to unit variance, with spikes in the
// noise behind the fibre's end at `end`.
std::vector<double> ReceiverNoise(const SyntheticTraceSpec& spec, int end, Noise& noise) {
  const int n = spec.pointCount;
  const int pulse = PulseSamples(spec);
  std::vector<double> white(static_cast<std::size_t>(n));
  for (double& w : white) w = noise.Next();
  std::vector<double> filtered(static_cast<std::size_t>(n));
  double window = 0.0;
  for (int i = 0; i < n; ++i) {
    window += white[static_cast<std::size_t>(i)];
    if (i >= pulse) window -= white[static_cast<std::size_t>(i - pulse)];
    filtered[static_cast<std::size_t>(i)] = window / std::sqrt(static_cast<double>(pulse));
  }
  const int spikeWidth = std::max(1, pulse / kSpikePulseDivisor);
  for (int i = std::max(end, 0); i < n; ++i) {
    if (noise.Uniform() >= kSpikesPerSample) continue;
    const double height = kSpikeLeast + (kSpikeMost - kSpikeLeast) * noise.Uniform();
    for (int k = i; k < std::min(n, i + spikeWidth); ++k) filtered[static_cast<std::size_t>(k)] += height;
  }
  return filtered;
}

// The floor's mean power and the noise's standard deviation are the same: where the backscatter
// sinks to the floor the trace is as much noise as signal.
std::vector<TracePoint> WithInstrumentNoise(const SyntheticTraceSpec& spec, const std::vector<double>& signal,
                                            int end) {
  Noise noise(spec.seed);
  const std::vector<double> receiver = ReceiverNoise(spec, end, noise);
  const double floor = Power(spec.noiseFloorDb);
  const double least = Power(kMinFileLevel);
  std::vector<TracePoint> points(static_cast<std::size_t>(spec.pointCount));
  for (int i = 0; i < spec.pointCount; ++i) {
    const double s = signal[static_cast<std::size_t>(i)];
    const double power = (std::isfinite(s) ? Power(s) : 0.0) + floor * (1.0 + receiver[static_cast<std::size_t>(i)]);
    double level = power > least ? LevelOf(power) : kMinFileLevel;
    if (spec.quantise) level = std::clamp(std::round(level * 1000.0) / 1000.0, kMinFileLevel, 0.0);
    points[static_cast<std::size_t>(i)] = TracePoint{static_cast<float>(i * spec.spacingKm), static_cast<float>(level)};
  }
  return points;
}

}  // namespace

double BackscatterLevelDb(const SyntheticTraceSpec& spec, double distanceKm) {
  double level = spec.launchLevelDb + spec.slopeDbPerKm * distanceKm;
  for (const SyntheticStep& s : spec.steps) {
    if (s.distanceKm < distanceKm) level -= s.lossDb;
  }
  for (const SyntheticReflection& r : spec.reflections) {
    if (r.distanceKm < distanceKm) level -= r.lossDb;
  }
  return level;
}

double PulseAveragedNoiseDb(const SyntheticTraceSpec& spec, double levelDb) {
  // Averaging noise already averaged over a pulse length once more keeps sqrt(2/3) of it.
  const int p = PulseSamples(spec);
  const double kept = std::sqrt((2.0 * p * p + 1.0) / (3.0 * p * p));
  return kDbPerPowerRatio * Power(spec.noiseFloorDb) / Power(levelDb) * kept;
}

double LevelWithNoiseDb(double noiseFloorDb, double rmsDb) {
  return noiseFloorDb + 5.0 * std::log10(kDbPerPowerRatio / rmsDb);
}

std::vector<TracePoint> MakeSyntheticTrace(const SyntheticTraceSpec& spec) {
  const int n = spec.pointCount;
  const int end = spec.fibreEndKm < 1e8 ? IndexOf(spec, spec.fibreEndKm) : n;
  const std::vector<double> signal = spec.pulseShaped ? PulseShapedSignal(spec, end) : SharpSignal(spec, end);
  if (spec.instrumentNoise) return WithInstrumentNoise(spec, signal, end);
  Noise noise(spec.seed);
  std::vector<TracePoint> points(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = i * spec.spacingKm;
    // The receiver adds its floor in power, and its noise shrinks as the signal rises above it.
    double level = 10.0 * std::log10(std::pow(10.0, signal[static_cast<std::size_t>(i)] / 10.0) +
                                      std::pow(10.0, spec.noiseFloorDb / 10.0));
    if (spec.noiseSigmaDb > 0.0) {
      const double sigma = spec.noiseSigmaDb * std::pow(10.0, -(level - spec.noiseFloorDb) / 10.0);
      level += sigma * noise.Next();
    }
    if (spec.quantise) level = std::clamp(std::round(level * 1000.0) / 1000.0, kMinFileLevel, 0.0);
    points[static_cast<std::size_t>(i)] = TracePoint{static_cast<float>(x), static_cast<float>(level)};
  }
  return points;
}

SyntheticTraceSpec LongLinkSpec(std::uint32_t seed) {
  SyntheticTraceSpec spec;
  spec.pointCount = 40000;
  spec.spacingKm = 0.002;
  spec.pulseWidthNs = 1000;
  spec.rangeKm = 80.0f;
  spec.noiseSigmaDb = 0.5;
  spec.seed = seed;
  spec.steps = {{10.0, 0.4}, {30.0, 1.0}};
  spec.fibreEndKm = 50.0;
  return spec;
}

SyntheticTraceSpec ShortPulseLinkSpec(double spacingM, double noiseDb, float wavelengthNm, int pulseWidthNs) {
  // The level at the launch: 23.5 dB above the floor, as a short pulse reaches.
  constexpr double kLaunchLevelDb = -25.0;
  SyntheticTraceSpec spec;
  spec.spacingKm = spacingM / 1000.0;
  spec.pointCount = static_cast<int>(4.0 / spec.spacingKm);
  spec.pulseWidthNs = pulseWidthNs;
  spec.rangeKm = 5.0f;
  spec.wavelengthNm = wavelengthNm;
  spec.launchLevelDb = kLaunchLevelDb;
  spec.slopeDbPerKm = -0.33;
  spec.steps = {{0.5, -0.3}, {1.2, 0.3}};
  spec.reflections = {{2.0, -45.0, 0.5}, {3.0, -20.0}};
  spec.fibreEndKm = 3.0 + 0.002;
  spec.pulseShaped = true;
  // The receiver's noise grows tenfold for every 10 dB the signal sinks towards the floor.
  spec.noiseSigmaDb = noiseDb * std::pow(10.0, (kLaunchLevelDb - spec.noiseFloorDb) / 10.0);
  return spec;
}

namespace {

// How slowly instruments' receivers recover behind a reflection, whatever the pulse.
constexpr double kRecoveryKm = 0.005;

double FibreSlopeDbPerKm(float wavelengthNm) {
  if (wavelengthNm < 1400.0f) return -0.33;
  return wavelengthNm < 1600.0f ? -0.19 : -0.22;
}

}  // namespace

SyntheticTraceSpec InstrumentShortLinkSpec(int pulseWidthNs, double spacingM, double noiseDb, float wavelengthNm,
                                           double noiseFloorDb) {
  constexpr double kSpliceKm = 1.2;
  constexpr double kEndKm = 3.63;
  SyntheticTraceSpec spec;
  spec.spacingKm = spacingM / 1000.0;
  spec.pointCount = static_cast<int>(4.2 / spec.spacingKm);
  spec.pulseWidthNs = pulseWidthNs;
  spec.rangeKm = 5.0f;
  spec.wavelengthNm = wavelengthNm;
  spec.slopeDbPerKm = FibreSlopeDbPerKm(wavelengthNm);
  spec.noiseFloorDb = noiseFloorDb;
  spec.steps = {{0.5, -0.3}, {kSpliceKm, 0.3}, {1.6, 0.15}, {2.4, 0.1}};
  spec.reflections = {{2.0, -45.0, 0.5}, {kEndKm, -20.0}};
  spec.fibreEndKm = kEndKm + spec.spacingKm;
  spec.pulseShaped = true;
  spec.instrumentNoise = true;
  spec.recoveryKm = kRecoveryKm;
  // The gainer in front of the splice raises the level there by its 0.3 dB.
  spec.launchLevelDb = LevelWithNoiseDb(spec.noiseFloorDb, noiseDb) - spec.slopeDbPerKm * kSpliceKm - 0.3;
  return spec;
}

SyntheticTraceSpec InstrumentLongLinkSpec(int pulseWidthNs, double spacingM, double farEndNoiseDb) {
  constexpr double kEndKm = 40.0;
  constexpr double kSpliceSpacingKm = 4.0;
  constexpr double kSpliceLossesDb[] = {0.1, 0.15, 0.2};
  SyntheticTraceSpec spec;
  spec.spacingKm = spacingM / 1000.0;
  spec.pointCount = static_cast<int>(44.0 / spec.spacingKm);
  spec.pulseWidthNs = pulseWidthNs;
  spec.rangeKm = 50.0f;
  spec.wavelengthNm = 1550.0f;
  spec.slopeDbPerKm = FibreSlopeDbPerKm(spec.wavelengthNm);
  spec.noiseFloorDb = kInstrumentFloorDb;
  double losses = 0.0;
  for (int k = 1; k * kSpliceSpacingKm < kEndKm; ++k) {
    const double loss = kSpliceLossesDb[(k - 1) % 3];
    spec.steps.push_back({k * kSpliceSpacingKm, loss});
    losses += loss;
  }
  spec.reflections = {{kEndKm, -30.0}};
  spec.fibreEndKm = kEndKm + spec.spacingKm;
  spec.pulseShaped = true;
  spec.instrumentNoise = true;
  spec.recoveryKm = kRecoveryKm;
  spec.launchLevelDb = LevelWithNoiseDb(spec.noiseFloorDb, farEndNoiseDb) - spec.slopeDbPerKm * kEndKm + losses;
  return spec;
}

SyntheticTraceSpec RealisticLinkSpec(int pointCount) {
  SyntheticTraceSpec spec;
  spec.pointCount = pointCount;
  spec.spacingKm = 0.001;
  const double length = pointCount * spec.spacingKm;
  const double end = 0.75 * length;
  spec.slopeDbPerKm = -0.33;
  spec.launchLevelDb = -12.0;
  spec.steps = {{0.2 * end, 0.3}, {0.45 * end, 0.15}, {0.7 * end, -0.2}};
  spec.reflections = {{0.3 * end, -45.0, 0.4}, {0.6 * end, -50.0, 0.3}, {end, -20.0}};
  spec.fibreEndKm = end + 0.002;
  spec.noiseSigmaDb = 0.5;
  spec.pulseShaped = true;
  // Longer links are measured with longer pulses.
  spec.pulseWidthNs = length <= 10.0 ? 100 : (length <= 40.0 ? 300 : 1000);
  spec.rangeKm = static_cast<float>(length);
  return spec;
}

AnalysisParams MakeSyntheticParams(const SyntheticTraceSpec& spec) {
  AnalysisParams p;
  p.range = spec.rangeKm;
  p.pulseWidth = spec.pulseWidthNs;
  // Round-trip time of one sample at group index 1.468, in the file's 100 ps per 10,000 samples, / 10,000.
  p.dataSpacing = std::max(1, static_cast<int>(spec.spacingKm * 1000.0 * 2.0 * 1.468 / 299792458.0 * 1e10));
  p.wavelength = spec.wavelengthNm;
  p.backscatterCoefficient = spec.backscatterCoefficient;
  p.reflectionThreshold = -52.0f;
  p.nonReflectionThreshold = 0.2f;
  p.endThreshold = 3.0f;
  return p;
}
