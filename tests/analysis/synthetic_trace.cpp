#include "synthetic_trace.h"

#include <algorithm>
#include <cmath>
#include <random>

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

 private:
  std::mt19937 engine_;
};

int IndexOf(const SyntheticTraceSpec& spec, double distanceKm) {
  return static_cast<int>(std::lround(distanceKm / spec.spacingKm));
}

}  // namespace

int PulseSamples(const SyntheticTraceSpec& spec) {
  return std::max(1, static_cast<int>(spec.pulseWidthNs / 10000.0 / spec.spacingKm));
}

double ReflectionHeightDb(const SyntheticTraceSpec& spec, double reflectanceDb) {
  const double k = spec.backscatterCoefficient - 10.0 * std::log10(static_cast<double>(spec.pulseWidthNs));
  const double correction =
      ReflectanceCorrection(static_cast<int>(spec.wavelengthNm), spec.pulseWidthNs, spec.rangeKm);
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

std::vector<TracePoint> MakeSyntheticTrace(const SyntheticTraceSpec& spec) {
  const int n = spec.pointCount;
  std::vector<double> backscatter(static_cast<std::size_t>(n));
  std::vector<double> peak(static_cast<std::size_t>(n), 0.0);
  const int pulse = PulseSamples(spec);

  // Losses accumulate behind each event; reflections add their height on a flat top.
  std::vector<std::pair<int, double>> losses;
  for (const SyntheticStep& s : spec.steps) losses.emplace_back(IndexOf(spec, s.distanceKm), s.lossDb);
  for (const SyntheticReflection& r : spec.reflections) {
    const int at = IndexOf(spec, r.distanceKm);
    const int width = r.widthSamples > 0 ? r.widthSamples : pulse;
    losses.emplace_back(at + width, r.lossDb);
    const double height = ReflectionHeightDb(spec, r.reflectanceDb);
    for (int i = at; i < std::min(at + width, n); ++i) peak[static_cast<std::size_t>(i)] = height;
  }
  const int launch = spec.launchSamples > 0 ? spec.launchSamples : pulse;
  for (int i = 0; i < std::min(launch, n); ++i) peak[static_cast<std::size_t>(i)] = spec.launchHeightDb;

  const int end = spec.fibreEndKm < 1e8 ? IndexOf(spec, spec.fibreEndKm) : n;
  Noise noise(spec.seed);
  std::vector<TracePoint> points(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = i * spec.spacingKm;
    double level = spec.launchLevelDb + spec.slopeDbPerKm * x;
    for (const auto& [at, loss] : losses) {
      if (i >= at) level -= loss;
    }
    level += peak[static_cast<std::size_t>(i)];
    // The receiver adds its floor in power, and its noise shrinks as the signal rises above it.
    level = i < end ? 10.0 * std::log10(std::pow(10.0, level / 10.0) + std::pow(10.0, spec.noiseFloorDb / 10.0))
                    : spec.noiseFloorDb;
    if (spec.noiseSigmaDb > 0.0) {
      const double sigma = spec.noiseSigmaDb * std::pow(10.0, -(level - spec.noiseFloorDb) / 10.0);
      level += sigma * noise.Next();
    }
    if (spec.quantise) level = std::clamp(std::round(level * 1000.0) / 1000.0, kMinFileLevel, 0.0);
    points[static_cast<std::size_t>(i)] = TracePoint{static_cast<float>(x), static_cast<float>(level)};
  }
  return points;
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
