#include "analysis/step_scan.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "analysis/analysis_terms.h"
#include "analysis/pulse_noise.h"
#include "analysis/robust_spread.h"

namespace {

// Stretches each side reach this many pulse lengths at most: longer ones would take in the fibre's
// own changes of slope.
constexpr int kWindowPulses = 32;
// A step is read over at least this many pulse lengths (and samples) each side.
constexpr int kLeastWindowPulses = 2;
constexpr int kLeastWindowSamples = 10;
// Times its noise a step stands out by: over the thousands of pulse lengths of a long fibre the
// noise alone reaches this height about once in a thousand traces.
constexpr double kStandOut = 5.5;
// The noise is measured over this many pulse lengths around a place, never fewer samples than a
// robust spread needs.
constexpr int kNoisePulses = 32;
constexpr int kLeastNoiseSpan = 500;
// Starts of the pulse means per pulse length: more would add work and no steadiness.
constexpr int kStartsPerPulse = 2;
// A step has straight fibre on both sides: the lines of its two windows read it within this many
// times their noise, or within this share of it.
constexpr double kBendSigmas = 3.0;
constexpr double kBendShare = 0.5;
// Readings per pulse length in the search for the largest step, first along the stretch, then
// around the largest: over long windows a reading a fraction of a pulse length off a step's place
// reads it all but whole, and the step is placed on its ramp afterwards.
constexpr int kCoarseStartsPerPulse = 1;
constexpr int kFineStartsPerPulse = 4;
// The slope under a small step is fitted over up to this many times its windows each side.
constexpr int kSlopeWindows = 4;
// A step is placed within this many pulse lengths of where the long windows read it.
constexpr int kPlacePulses = 4;
// Readings over full windows that tell how far the trace wanders, at least.
constexpr int kLeastWanderingReadings = 12;
// Readings on either side of one that tell how far the trace wanders around it.
constexpr int kWanderingReach = 8;
// Quantisation and rounding of the stored levels: no step is read finer.
constexpr double kLeastSigma = 0.002;

int LeastWindow(int p) { return std::max(kLeastWindowPulses * p, kLeastWindowSamples); }

// A stretch of trace as a line fit sees it: its centre and the spread about it.
struct Window {
  double n = 0.0;
  double meanX = 0.0;  // samples from the scanned stretch's start
  double meanY = 0.0;
  double sxx = 0.0;    // sums of squares and products about the centre
  double sxy = 0.0;
};

// Sums of the levels and of their products with the place, for any stretch of [first, last).
class StretchSums {
 public:
  StretchSums(std::span<const TracePoint> raw, int first, int last, StepScanBuffers& buffers)
      : raw_(raw), first_(first), y_(buffers.levelSums), xy_(buffers.placedLevelSums) {
    y_.resize(static_cast<std::size_t>(last - first + 1));
    xy_.resize(y_.size());
    double y = 0.0;
    double xy = 0.0;
    y_[0] = xy_[0] = 0.0;
    for (int i = first; i < last; ++i) {
      const auto k = static_cast<std::size_t>(i - first);
      const double level = raw[static_cast<std::size_t>(i)].level;
      y += level;
      xy += static_cast<double>(k) * level;
      y_[k + 1] = y;
      xy_[k + 1] = xy;
    }
  }

  double Level(int i) const { return LevelAt(raw_, i); }

  // The stretch [a, b).
  Window Of(int a, int b) const {
    const auto ka = static_cast<std::size_t>(a - first_);
    const auto kb = static_cast<std::size_t>(b - first_);
    Window w;
    w.n = b - a;
    w.meanX = (static_cast<double>(ka) + static_cast<double>(kb) - 1.0) / 2.0;
    w.meanY = (y_[kb] - y_[ka]) / w.n;
    w.sxx = w.n * (w.n * w.n - 1.0) / 12.0;
    w.sxy = (xy_[kb] - xy_[ka]) - w.n * w.meanX * w.meanY;
    return w;
  }

 private:
  std::span<const TracePoint> raw_;
  int first_;
  std::vector<double>& y_;
  std::vector<double>& xy_;
};

// The pulse noise along [first, last): one spread of the pulse-mean differences per stretch of
// `span` samples, from those within `span` of its centre. A receiver's noise is constant in power,
// so in dB it grows as the backscatter falls: the noise at a place is its stretch's spread carried
// from the stretch's level to the place's.
class NoiseAlong {
 public:
  NoiseAlong(const StretchSums& sums, int first, int last, int p, int span) : first_(first), span_(span) {
    const int stride = std::max(1, p / kStartsPerPulse);
    std::vector<double> differences;
    for (int b = first; b < last; b += span) {
      differences.clear();
      const int centre = b + span / 2;
      const int from = std::max(first, centre - span);
      const int to = std::min(last, centre + span);
      AddPulseMeanDifferences([&](int k) { return sums.Of(k, k + p).meanY; }, from, to, p, stride, differences);
      const double level = to > from ? sums.Of(from, to).meanY : 0.0;
      powerSigmas_.push_back(PulseNoiseOfDifferences(differences) * PowerOfLevel(level));
    }
  }
  // Noise (dB) of a pulse mean at sample i where the trace stands at `level`.
  double At(int i, double level) const {
    return powerSigmas_[static_cast<std::size_t>((i - first_) / span_)] / PowerOfLevel(level);
  }

 private:
  int first_;
  int span_;
  std::vector<double> powerSigmas_;
};

// The fibre's slope as the pieces of a stretch between its changes read it: their mean, each piece
// weighed by its noise, and how far the slope at any one place may lie from that mean, which is the
// mean's own uncertainty and the spread of the pieces beyond their noise. One fibre along the
// stretch gives the slope with little more than the noise of the whole stretch; fibres of other
// kinds, or a step no change marks, spread the pieces, and each place keeps more of its own.
struct StretchSlope {
  double slope = 0.0;     // dB per sample
  double variance = 0.0;  // (dB per sample)²; 0: none known
};

// A step as read, with what placing it needs.
struct Reading {
  ScannedStep step;
  double fibre = 0.0;  // dB per sample
  Window front;
  Window back;
  double sampleSigma = 0.0;  // noise of one sample, as long means see it
  int spanFirst = 0;         // the samples read, slope fit included
  int spanLast = 0;
};

// A reading as the coarse search keeps it, with the samples it stands on.
struct Probe {
  std::optional<ScannedStep> step;
  int spanFirst = 0;
  int spanLast = 0;
};

struct Scanner {
  const StretchSums& sums;
  int first;
  const NoiseAlong& noise;
  int p;
  int cap;
  int least;
  double threshold;
  // Changes known in the stretch, in order and apart: the fibre's slope at a reading is fitted
  // from its windows out to the changes on either side, at most `slopeCap` samples each side.
  std::vector<SampleSpan> changes;
  int slopeCap;
  // The slope the whole stretch reads; the slope at a reading leans on it as far as the reading's
  // own fit is less certain.
  StretchSlope stretchSlope;
  // How much more the trace wanders over a window than its pulse noise tells (at least 1), at
  // readings spaced along the stretch; empty: as the pulse noise tells.
  std::vector<std::pair<int, double>> wandering;

  double Excess(int k) const {
    if (wandering.empty()) return 1.0;
    const auto next = std::lower_bound(wandering.begin(), wandering.end(), k,
                                       [](const std::pair<int, double>& w, int at) { return w.first < at; });
    if (next == wandering.end()) return wandering.back().second;
    if (next == wandering.begin()) return next->second;
    return k - std::prev(next)->first < next->first - k ? std::prev(next)->second : next->second;
  }

  // The noise of one sample at k, where the trace stands at `level`, as means over many pulse
  // lengths see it: noise correlated over a pulse length weighs on a mean of w samples as w / (1.5 p)
  // independent pulse means would.
  double SampleSigma(int k, double level) const { return Excess(k) * noise.At(k, level) * std::sqrt(1.5 * p); }

  // The samples the slope at k is fitted over in front of k and behind its pulse length.
  std::pair<int, int> SlopeReach(int k, int from, int to, int w) const {
    int front = std::max(from, k - slopeCap);
    int back = std::min(to, k + p + slopeCap);
    // The changes lie apart, in order of both their ends; one at k itself bounds neither side.
    const auto next = std::partition_point(changes.begin(), changes.end(),
                                           [&](const SampleSpan& c) { return c.first < k + p; });
    if (next != changes.end()) back = std::min(back, next->first);
    const auto behind = std::partition_point(changes.begin(), changes.end(),
                                             [&](const SampleSpan& c) { return c.last <= k; });
    if (behind != changes.begin()) front = std::max(front, std::prev(behind)->last);
    return {std::min(front, k - w), std::max(back, k + p + w)};
  }

  // The step at k over up to `cap` samples each side within [from, to), the lines either side of
  // it and its noise; none when either side is shorter than `least`. With `belowThreshold` false
  // a step under the threshold is not measured further: its noise stays 0.
  std::optional<Reading> Measure(int k, int from, int to, bool belowThreshold = true) const {
    const int w = std::min({cap, k - from, to - (k + p)});
    if (w < least) return std::nullopt;
    const Window front = sums.Of(k - w, k);
    const Window back = sums.Of(k + p, k + p + w);
    const double lever = back.meanX - front.meanX;
    const auto [slopeFront, slopeBack] = SlopeReach(k, from, to, w);
    const Window before = sums.Of(slopeFront, k);
    const Window behind = sums.Of(k + p, slopeBack);
    const double fitted = before.sxx + behind.sxx;
    const double sampleSigma = SampleSigma(k, (front.meanY + back.meanY) / 2.0);
    // The slope fitted here and the stretch's, each weighed by how certain it is; `ownShare` is the
    // weight of the fit here, and also how much of its uncertainty is left.
    const double ownVariance = sampleSigma * sampleSigma / fitted;
    const double stretchVariance = stretchSlope.variance;
    const double ownShare = stretchVariance > 0.0 ? stretchVariance / (stretchVariance + ownVariance) : 1.0;
    const double fibre = ownShare * ((before.sxy + behind.sxy) / fitted) + (1.0 - ownShare) * stretchSlope.slope;
    const double loss = front.meanY - back.meanY + fibre * lever;
    const int spanFirst = std::min(slopeFront, k - w);
    const int spanLast = std::max(slopeBack, k + p + w);
    if (!belowThreshold && std::fabs(loss) < threshold) {
      return Reading{ScannedStep{k, loss, 0.0, w}, fibre, front, back, 0.0, spanFirst, spanLast};
    }
    // The slope adds its own error, carried over the lever.
    const double spread = 1.0 / front.n + 1.0 / back.n + ownShare * lever * lever / fitted;
    const double sigma = std::max(kLeastSigma, sampleSigma * std::sqrt(spread));
    return Reading{ScannedStep{k, loss, sigma, w}, fibre, front, back, sampleSigma, spanFirst, spanLast};
  }

  std::optional<ScannedStep> Read(int k, int from, int to) const { return Examine(k, from, to).step; }

  // The step at k as Measure reads it, when it stands out of the noise and its threshold and both
  // windows lie on straight fibre, and the samples the reading stands on.
  Probe Examine(int k, int from, int to) const {
    const std::optional<Reading> r = Measure(k, from, to, false);
    if (!r) return {std::nullopt, from, to};
    Probe none{std::nullopt, r->spanFirst, r->spanLast};
    const double loss = r->step.loss;
    const double sigma = r->step.sigma;
    // Written so that a reading that is not a number stands out of nothing.
    if (!(std::fabs(loss) >= threshold && std::fabs(loss) >= kStandOut * sigma)) return none;
    // Each window's own line, carried to the middle of the step, reads a step the same within their
    // noise or half of it, whatever the slopes on either side; where the trace bends (a reflection's
    // recovery, the approach of the noise floor) the slope fitted to both windows reads a step the
    // lines do not.
    const Window& front = r->front;
    const Window& back = r->back;
    const double middle = k + p / 2.0 - first;
    const double frontAt = middle - front.meanX;
    const double backAt = middle - back.meanX;
    const double apart = (front.meanY + front.sxy / front.sxx * frontAt) - (back.meanY + back.sxy / back.sxx * backAt);
    const double apartSigma = r->sampleSigma * std::sqrt(1.0 / front.n + frontAt * frontAt / front.sxx + 1.0 / back.n +
                                                         backAt * backAt / back.sxx);
    if (std::fabs(apart - loss) > std::max(kBendSigmas * apartSigma, kBendShare * std::fabs(loss))) return none;
    return {r->step, r->spanFirst, r->spanLast};
  }

  // Where within a few pulse lengths of k the step starts: the place whose ramp over one pulse
  // length, between the lines read at k, lies closest to the trace. The means over long windows
  // place a step only as well as the noise at their far edges allows; the ramp itself holds where
  // it lies.
  int Place(int k, int from, int to) const {
    const std::optional<Reading> r = Measure(k, from, to);
    if (!r) return k;
    // Against the front line, the trace with a ramp at t has the misfit sum over i of
    // (e(i) + loss · c(i - t))², e(i) the trace less the front line, c the ramp's share (0 before t,
    // 1 a pulse length on); of that only loss · (2 · sum e·c + sum c²) moves with t, and sums of e
    // and of i·e from the start give it for every t at once.
    const double loss = r->step.loss;
    const auto frontLine = [&](int i) { return r->front.meanY + r->fibre * (i - first - r->front.meanX); };
    const int reach = kPlacePulses * p;
    const int lo = std::max(k - reach, from);
    const int hi = std::min(k + reach, to - p);
    const int a = lo;
    const int b = std::min(hi + 2 * p, to);
    std::vector<double> sumE(static_cast<std::size_t>(b - a + 1), 0.0);
    std::vector<double> sumIE(sumE.size(), 0.0);
    for (int i = a; i < b; ++i) {
      const auto j = static_cast<std::size_t>(i - a);
      const double e = sums.Level(i) - frontLine(i);
      sumE[j + 1] = sumE[j] + e;
      sumIE[j + 1] = sumIE[j] + (i - a) * e;
    }
    const auto span = [&](const std::vector<double>& v, int x, int y) {
      return v[static_cast<std::size_t>(y - a)] - v[static_cast<std::size_t>(x - a)];
    };
    int best = k;
    double bestMiss = HUGE_VAL;
    for (int t = lo; t <= hi; ++t) {
      const double ramp = (span(sumIE, t, t + p) - (t - a) * span(sumE, t, t + p)) / p;
      const double after = span(sumE, t + p, b);
      const double shares = (p - 1) * (2.0 * p - 1) / (6.0 * p) + (b - t - p);
      const double miss = loss * (2.0 * (ramp + after) + loss * shares);
      if (miss < bestMiss) {
        bestMiss = miss;
        best = t;
      }
    }
    return best;
  }
};

// Binary segmentation of a stretch, with the readings along it kept while they stay valid.
class Splitter {
 public:
  Splitter(const Scanner& scanner, int first, int last)
      : scanner_(scanner),
        first_(first),
        stride_(std::max(1, scanner.p / kCoarseStartsPerPulse)),
        coarse_(static_cast<std::size_t>((last - first) / stride_ + 1)) {}

  // The steps of [from, to), in order of place: the largest that stands, then the steps on either
  // side of it, each side read on its own, so that no window takes in a step found before.
  void Split(int from, int to, std::vector<ScannedStep>& steps) {
    std::optional<ScannedStep> largest;
    const auto take = [&](const std::optional<ScannedStep>& step) {
      if (step && (!largest || std::fabs(step->loss) > std::fabs(largest->loss))) largest = step;
    };
    const int lowest = from + scanner_.least;
    const int highest = to - scanner_.p - scanner_.least;
    for (int j = std::max(0, (lowest - first_ + stride_ - 1) / stride_); first_ + j * stride_ <= highest; ++j) {
      Probe& kept = coarse_[static_cast<std::size_t>(j)];
      // A reading stays as it was while the samples it stands on lie within [from, to).
      if (!(kept.spanLast > kept.spanFirst && kept.spanFirst >= from && kept.spanLast <= to)) {
        kept = scanner_.Examine(first_ + j * stride_, from, to);
      }
      take(kept.step);
    }
    if (!largest) return;
    const int at = largest->at;
    const int fine = std::max(1, scanner_.p / kFineStartsPerPulse);
    for (int k = std::max(at - stride_ + fine, lowest); k <= std::min(at + stride_ - fine, highest); k += fine) {
      take(scanner_.Read(k, from, to));
    }
    const ScannedStep step = *largest;
    Split(from, step.at, steps);
    steps.push_back(step);
    Split(step.at + scanner_.p, to, steps);
  }

 private:
  const Scanner& scanner_;
  int first_;
  // A reading changes little over a fraction of a pulse length: the largest is sought that far
  // apart, then sample by sample around it.
  int stride_;
  std::vector<Probe> coarse_;
};

// The steps of [first, last) as `scanner` reads them, each read again between its neighbours.
std::vector<ScannedStep> Scan(const Scanner& scanner, int first, int last) {
  std::vector<ScannedStep> found;
  Splitter(scanner, first, last).Split(first, last, found);
  std::vector<ScannedStep> steps;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const int from = i > 0 ? found[i - 1].at + scanner.p : first;
    const int to = i + 1 < found.size() ? found[i + 1].at : last;
    const int at = scanner.Place(found[i].at, from, to);
    std::optional<ScannedStep> step = scanner.Read(at, from, to);
    if (!step && at != found[i].at) step = scanner.Read(found[i].at, from, to);
    if (step) steps.push_back(*step);
  }
  return steps;
}

// How many times its pulse noise the trace's readings reach between the changes known along
// [first, last), each reading among its neighbours: backscatter wanders over lengths beyond the
// pulse, and bends as it nears the noise floor, and a reading must stand out of that too. A step
// moves few of the readings around it. None where too few readings fit between the changes.
std::vector<std::pair<int, double>> Wandering(const Scanner& scanner, int first, int last) {
  std::vector<std::pair<int, double>> ratios;
  int from = first;
  const auto readBetween = [&](int to) {
    for (int k = from + scanner.least; k + scanner.p + scanner.least <= to; k += std::max(1, scanner.cap / 2)) {
      if (const std::optional<Reading> r = scanner.Measure(k, from, to)) {
        ratios.emplace_back(k, std::fabs(r->step.loss / r->step.sigma));
      }
    }
  };
  for (const SampleSpan& change : scanner.changes) {
    readBetween(std::max(from, change.first));
    from = std::max(from, change.last);
  }
  readBetween(last);
  const int count = static_cast<int>(ratios.size());
  if (count < kLeastWanderingReadings) return {};
  std::vector<std::pair<int, double>> wandering;
  std::vector<double> near;
  for (int i = 0; i < count; ++i) {
    const int a = std::clamp(i - kWanderingReach, 0, count - kLeastWanderingReadings);
    const int b = std::min(count, std::max(i + kWanderingReach + 1, a + kLeastWanderingReadings));
    near.clear();
    for (int j = a; j < b; ++j) near.push_back(ratios[static_cast<std::size_t>(j)].second);
    // Readings of pure noise spread about zero: their median size is 0.6745 of their deviation.
    const double median = Median(near);
    wandering.emplace_back(ratios[static_cast<std::size_t>(i)].first, std::max(1.0, kMadToSigma * median));
  }
  return wandering;
}

// The slope the pieces of [first, last) between `scanner`'s changes read, those long enough to
// read a step on: the random-effects mean of their slopes, each weighed by its noise as the
// scanner measures it. None where fewer than two pieces fit or the trace has no noise to weigh by.
StretchSlope SlopeOfStretch(const Scanner& scanner, int first, int last) {
  struct Piece {
    double slope;
    double weight;  // 1 / variance of the slope
  };
  std::vector<Piece> pieces;
  int start = first;
  const auto add = [&](int end) {
    if (end - start < 2 * scanner.least) return;
    const Window piece = scanner.sums.Of(start, end);
    const int centre = start + (end - start) / 2;
    const double sampleSigma = scanner.SampleSigma(centre, piece.meanY);
    const double weight = piece.sxx / (sampleSigma * sampleSigma);
    if (std::isfinite(weight) && std::isfinite(piece.sxy)) pieces.push_back({piece.sxy / piece.sxx, weight});
  };
  for (const SampleSpan& change : scanner.changes) {
    add(change.first);
    start = std::max(start, change.last);
  }
  add(last);
  if (pieces.size() < 2) return {};
  double weights = 0.0;
  double squaredWeights = 0.0;
  double weighted = 0.0;
  for (const Piece& piece : pieces) {
    weights += piece.weight;
    squaredWeights += piece.weight * piece.weight;
    weighted += piece.weight * piece.slope;
  }
  const double mean = weighted / weights;
  double scatter = 0.0;
  for (const Piece& piece : pieces) scatter += piece.weight * (piece.slope - mean) * (piece.slope - mean);
  const double degrees = static_cast<double>(pieces.size() - 1);
  const double beyondNoise = std::max(0.0, (scatter - degrees) / (weights - squaredWeights / weights));
  return {mean, beyondNoise + 1.0 / weights};
}

// The spans in order, those that overlap made one.
std::vector<SampleSpan> Apart(std::vector<SampleSpan> spans) {
  std::sort(spans.begin(), spans.end(), [](const SampleSpan& a, const SampleSpan& b) { return a.first < b.first; });
  std::vector<SampleSpan> apart;
  for (const SampleSpan& span : spans) {
    if (!apart.empty() && span.first <= apart.back().last) {
      apart.back().last = std::max(apart.back().last, span.last);
    } else {
      apart.push_back(span);
    }
  }
  return apart;
}

}  // namespace

bool ScanReaches(int first, int last, int pulseSamples) {
  const int p = std::max(1, pulseSamples);
  return last - first >= 2 * LeastWindow(p) + p;
}

std::vector<ScannedStep> ScanSteps(std::span<const TracePoint> raw, int first, int last, int pulseSamples,
                                   std::vector<SampleSpan> changes, double threshold, StepScanBuffers& buffers) {
  const int p = std::max(1, pulseSamples);
  first = std::max(first, 0);
  last = std::min(last, static_cast<int>(raw.size()));
  if (!ScanReaches(first, last, p)) return {};
  const int least = LeastWindow(p);
  const int cap = std::max(least, kWindowPulses * p);
  const StretchSums sums(raw, first, last, buffers);
  const NoiseAlong noise(sums, first, last, p, std::max(kNoisePulses * p, kLeastNoiseSpan));
  Scanner scanner{sums, first, noise, p, cap, least, 0.0, {}, 0, {}, {}};
  // The large steps show with a slope fitted to each reading's own windows, those under the
  // threshold too: a slope fitted across any step is bent by it. The slope fitted out to the changes
  // around a reading, those found so and those already known, and leaning on the slope the whole
  // stretch reads between them, then reads the small ones with little more than the noise of the
  // means, once the trace's wandering between them is known.
  const std::vector<ScannedStep> large = Scan(scanner, first, last);
  // Changes known beyond the stretch bound nothing in it.
  for (SampleSpan& change : changes) {
    change.first = std::clamp(change.first, first, last);
    change.last = std::clamp(change.last, first, last);
  }
  std::erase_if(changes, [](const SampleSpan& change) { return change.last <= change.first; });
  for (const ScannedStep& step : large) changes.push_back({step.at, step.at + p});
  scanner.changes = Apart(std::move(changes));
  scanner.slopeCap = kSlopeWindows * cap;
  scanner.threshold = std::max(threshold, 0.0);
  scanner.wandering = Wandering(scanner, first, last);
  scanner.stretchSlope = SlopeOfStretch(scanner, first, last);
  return Scan(scanner, first, last);
}
