#include "analysis/slope_departure.h"

#include <algorithm>
#include <cmath>

#include "analysis/analysis_terms.h"
#include "analysis/robust_spread.h"

namespace {

// A slope departs only beyond this many standard deviations of the slope noise.
constexpr double kDepartureNoiseSigmas = 4.0;
constexpr int kBlockSamples = 500;      // samples over which the slope noise is measured
// Within this many dB of the noise reference the trace is the noise's.
constexpr double kNoiseDominatedAbove = 8.0;
// The gap smoothing ties the slopes of neighbouring samples together over about this many samples:
// a stretch shorter than that averages no noise away.
constexpr int kSmoothingReach = 20;

// Neighbouring slopes share their noise through the smoothing, so every fourth of them tells as
// much about their noise and their median as all of them, at a quarter of the cost.
constexpr int kNoiseStride = 4;

// The differences between the values `at(k)` over [first, last) that lie `lag` samples apart, into
// `differences` (working storage that every block of a gap reuses): neither the few samples of a step
// nor a slow trend show in them, only the noise.
template <class ValueAt>
void DifferencesOf(ValueAt at, int first, int last, int lag, std::vector<double>& differences) {
  differences.clear();
  for (int k = first; k + lag < last; k += kNoiseStride) differences.push_back(at(k + lag) - at(k));
}

// Standard deviation of the noise of single values from the robust one of their differences.
double ValueNoise(double differenceSigma) { return differenceSigma / std::sqrt(2.0); }

}  // namespace

inline double SlopeDeparture::StretchSlopeFromSums(int i) const {
  const int sumsLast = sumsFirst_ + static_cast<int>(sums_.size()) - 1;
  const int first = std::clamp(i - halfStretch_, sumsFirst_, sumsLast);
  const int last = std::clamp(i + halfStretch_ + 1, sumsFirst_, sumsLast);
  if (last <= first) return Slope(i);
  return (sums_[static_cast<std::size_t>(last - sumsFirst_)] - sums_[static_cast<std::size_t>(first - sumsFirst_)]) /
         (last - first);
}

SlopeDeparture::SlopeDeparture(std::span<const TracePoint> points, std::span<const SlopeSample> slopes, int from,
                               int to, double backscatterSlope, double tolerance, int pulseWidth, float reference)
    : points_(points),
      slopes_(slopes),
      from_(from),
      backscatter_(backscatterSlope),
      tolerance_(tolerance),
      reference_(reference) {
  const int pulseSamples = lumivane::TruncToInt32(PulseLengthKm(pulseWidth) / SampleSpacing(points));
  halfStretch_ = std::max(pulseSamples, kSmoothingReach) / 2;
  // Running sums over the gap and the stretch around it only: a trace has many gaps.
  const int n = static_cast<int>(slopes.size());
  sumsFirst_ = std::clamp(from - halfStretch_, 0, n);
  const int sumsLast = std::clamp(to + halfStretch_ + 1, sumsFirst_, n);
  sums_.assign(static_cast<std::size_t>(sumsLast - sumsFirst_) + 1, 0.0);
  double sum = 0.0;
  for (int i = sumsFirst_; i < sumsLast; ++i) {
    sum += Slope(i);
    sums_[static_cast<std::size_t>(i - sumsFirst_) + 1] = sum;
  }
  // A short last block joins the one before it.
  const int count = std::max(1, (to - from) / kBlockSamples);
  const auto gapSamples = static_cast<std::size_t>(std::max(to - from, 0));
  stretch_.reserve(gapSamples);
  departs_.reserve(gapSamples);
  blocks_.reserve(static_cast<std::size_t>(count));
  std::vector<double> work;
  const auto slopeAt = [this](int k) { return Slope(k); };
  const auto stretchAt = [this](int k) { return stretch_[static_cast<std::size_t>(k - from_)]; };
  const auto departsFromNoise = [tolerance](double sigma) { return kDepartureNoiseSigmas * ValueNoise(sigma) > tolerance; };
  for (int b = 0; b < count; ++b) {
    const int first = from + b * kBlockSamples;
    const int last = b == count - 1 ? to : first + kBlockSamples;
    Block block;
    // Slopes steadier than the tolerance leave the block to the plain rule; no stretch is needed.
    DifferencesOf(slopeAt, first, last, kSmoothingReach, work);
    if (RobustSigmaAbove(work, departsFromNoise)) {
      block.stretched = true;
      for (int k = first; k < last; ++k) stretch_.push_back(StretchSlopeFromSums(k));
      DifferencesOf(stretchAt, first, last, 2 * halfStretch_ + 1, work);
      const double stretchNoise = ValueNoise(RobustSigmaInPlace(work));
      block.allowance = std::max(tolerance, kDepartureNoiseSigmas * stretchNoise);
      // The block runs along the backscatter when the median of its stretch slopes does, within
      // what the noise leaves of a median over that many independent stretches.
      const double stretches = std::max(1.0, static_cast<double>(last - first) / (2 * halfStretch_ + 1));
      const double medianAllowance = std::max(tolerance, kDepartureNoiseSigmas * stretchNoise / std::sqrt(stretches));
      work.clear();
      for (int k = first; k < last; k += kNoiseStride) work.push_back(stretchAt(k));
      block.noiseDecides = std::fabs(Median(work) - backscatterSlope) <= medianAllowance;
    } else {
      stretch_.resize(stretch_.size() + static_cast<std::size_t>(last - first));  // never read
    }
    blocks_.push_back(block);
    // The scan judges every sample of the gap in turn, most of them once: judged here, where their
    // block is at hand, each costs the scan a lookup.
    for (int k = first; k < last; ++k) departs_.push_back(DepartsIn(block, k) ? 1 : 0);
  }
}

double SlopeDeparture::Slope(int i) const {
  return i >= 0 && i < static_cast<int>(slopes_.size()) ? slopes_[static_cast<std::size_t>(i)].slope : 0.0;
}

double SlopeDeparture::StretchSlope(int i) const { return StretchSlopeIn(BlockOf(i), i); }

double SlopeDeparture::StretchSlopeIn(const Block& block, int i) const {
  if (block.stretched && i >= from_ && i - from_ < static_cast<int>(stretch_.size())) {
    return stretch_[static_cast<std::size_t>(i - from_)];
  }
  return StretchSlopeFromSums(i);
}

const SlopeDeparture::Block& SlopeDeparture::BlockOf(int i) const {
  const int b = std::clamp((i - from_) / kBlockSamples, 0, static_cast<int>(blocks_.size()) - 1);
  return blocks_[static_cast<std::size_t>(b)];
}

bool SlopeDeparture::NoiseDecides(const Block& block, int i) const {
  if (!block.noiseDecides) return false;
  // LevelAt's clamp, spelled out for the samples inside the trace: every sample of a gap asks.
  const double level = i >= 0 && i < static_cast<int>(points_.size()) ? points_[static_cast<std::size_t>(i)].level
                                                                        : LevelAt(points_, i);
  return level - reference_ > kNoiseDominatedAbove;
}

bool SlopeDeparture::DepartsIn(const Block& block, int i) const {
  if (!NoiseDecides(block, i)) return std::fabs(Slope(i) - backscatter_) > tolerance_;
  return std::fabs(StretchSlopeIn(block, i) - backscatter_) > block.allowance;
}

bool SlopeDeparture::DepartsAt(int i) const { return DepartsIn(BlockOf(i), i); }

bool SlopeDeparture::Continues(int start, int i) const {
  const Block& block = BlockOf(i);
  if (!NoiseDecides(block, i)) return std::fabs(Slope(i) - backscatter_) > tolerance_;
  const double departure = StretchSlopeIn(block, i) - backscatter_;
  const bool sameSide = (departure > 0.0) == (StretchSlope(start) - backscatter_ > 0.0);
  return sameSide && std::fabs(departure) > std::max(tolerance_, block.allowance / 2.0);
}

int SlopeDeparture::StretchReach(int i) const {
  return NoiseDecides(BlockOf(i), i) ? std::min(halfStretch_, kSmoothingReach / 2) : 0;
}
