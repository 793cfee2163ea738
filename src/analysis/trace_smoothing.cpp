#include "analysis/trace_smoothing.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/saturate.h"

namespace {

constexpr double kMicroDbPerDb = 1000000.0;
constexpr int kGapWindowHalf = 2;  // the gap smoother averages 5 samples

// One pass of the gap smoother over read[2 .. length - 3], written to the other copy. The sums and
// the division are exact IEEE operations in any vector width, so where the processor has 256-bit
// vectors the pass takes them and gives the same floats.
__attribute__((target_clones("avx2", "default"))) void GapPass(const float* __restrict read,
                                                               float* __restrict write, int length) {
  for (int k = kGapWindowHalf; k < length - kGapWindowHalf; ++k) {
    double sum = 0.0;
    for (int m = k - kGapWindowHalf; m <= k + kGapWindowHalf; ++m) sum += read[m];
    write[k] = static_cast<float>(sum / (2 * kGapWindowHalf + 1));
  }
}

double Run(const TracePoint* points, int i) {
  return static_cast<double>(points[i + 1].distance) - points[i].distance;
}

// The slope from each sample of [from, to) to the next, 0 where they share a distance. The quotients
// of a block are worked out first, in a loop whose division is exact in any vector width, so where
// the processor has 256-bit vectors it takes them.
__attribute__((target_clones("avx2", "default"))) void SampleSlopes(const TracePoint* __restrict points,
                                                                    SlopeSample* __restrict slopes, int from,
                                                                    int to) {
  constexpr int kBlock = 256;
  std::array<double, kBlock> quotients;
  for (int start = from; start < to; start += kBlock) {
    const int count = std::min(kBlock, to - start);
    for (int k = 0; k < count; ++k) {
      const double rise = static_cast<double>(points[start + k + 1].level) - points[start + k].level;
      quotients[static_cast<std::size_t>(k)] = rise / Run(points, start + k);
    }
    for (int k = 0; k < count; ++k) {
      const double slope = Run(points, start + k) != 0.0 ? quotients[static_cast<std::size_t>(k)] : 0.0;
      slopes[start + k] = SlopeSample{start + k, slope};
    }
  }
}

}  // namespace

int SmoothTrace(std::span<TracePoint> points, int start, int end, int passes, int window,
                SmoothingBuffers& buffers) {
  const int n = static_cast<int>(points.size());
  if (n == 0 || window < 1 || end - start + 1 < 5) return 0;
  start = lumivane::ClampIndex(start, n);
  end = lumivane::ClampIndex(end, n);

  std::vector<std::int32_t>& a = buffers.microDb;
  a.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    a[static_cast<std::size_t>(i)] = lumivane::TruncToInt32(points[static_cast<std::size_t>(i)].level * kMicroDbPerDb);
  }
  // Only [lo, hi] of the averages is written and read back.
  std::vector<std::int32_t>& b = buffers.averaged;
  b.resize(static_cast<std::size_t>(n));
  const int lo = start + window;
  const int hi = end - window;
  const int half = (window - 1) / 2;
  if (lo > hi) return 1;

  // A running sum gives the same integer sums as adding each window afresh; it is kept in 64 bits
  // because the micro-dB sums of deep traces would overflow 32-bit arithmetic.
  for (int pass = 0; pass < passes; ++pass) {
    std::int64_t sum = 0;
    for (int k = lo - half; k <= lo + half; ++k) sum += a[static_cast<std::size_t>(k)];
    for (int j = lo; j <= hi; ++j) {
      if (j > lo) sum += a[static_cast<std::size_t>(j + half)] - std::int64_t{a[static_cast<std::size_t>(j - half - 1)]};
      b[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(sum / window);
    }
    std::copy(b.begin() + lo, b.begin() + hi + 1, a.begin() + lo);
  }
  for (int j = lo; j <= hi; ++j) {
    points[static_cast<std::size_t>(j)].level = static_cast<float>(a[static_cast<std::size_t>(j)] / kMicroDbPerDb);
  }
  return 1;
}

int SmoothBetweenCandidates(std::span<TracePoint> points, int from, int to, std::span<SlopeSample> slopes,
                            int passes, const ReflectiveCandidateList& candidates, int candidateCount,
                            SmoothingBuffers& buffers) {
  const int n = static_cast<int>(points.size());
  if (n == 0 || to - from + 1 < 7) return 0;
  from = std::max(from, 0);
  std::vector<float>& work = buffers.gapLevels;
  int lo = to;
  int hi = 0;
  const int pairs = std::min(candidateCount, static_cast<int>(candidates.size())) - 1;
  for (int k = 0; k < pairs; ++k) {
    const ReflectiveCandidate& c = candidates[static_cast<std::size_t>(k)];
    const ReflectiveCandidate& d = candidates[static_cast<std::size_t>(k + 1)];
    if (d.start - 2 < from || c.end + 2 > to) continue;
    const int s = std::max(c.end + 2, from) + 2;
    // The last sample a 5-point mean can be centred on is n - 3.
    const int e = std::min({d.start - 3, to, n - 1 - kGapWindowHalf});
    if (e - s < 4) continue;
    lo = std::min(lo, s);
    hi = std::max(hi, e);
    // Each pass reads what the previous pass left: the whole gap is computed before it is read
    // again. The passes run between two copies of the gap's levels with the samples the window
    // reaches beyond it; the sums add the same values in the same order as over the trace.
    const int length = e - s + 1 + 2 * kGapWindowHalf;
    // Grown only: shrinking and growing again from gap to gap would zero the storage each time.
    if (work.size() < 2 * static_cast<std::size_t>(length)) work.resize(2 * static_cast<std::size_t>(length));
    float* read = work.data();
    float* write = read + length;
    for (int k = 0; k < length; ++k) read[k] = write[k] = points[static_cast<std::size_t>(s - kGapWindowHalf + k)].level;
    for (int pass = 0; pass < passes; ++pass) {
      GapPass(read, write, length);
      std::swap(read, write);
    }
    for (int l = s; l <= e; ++l) points[static_cast<std::size_t>(l)].level = read[l - s + kGapWindowHalf];
  }
  // The slopes are those of the smoothed trace, also across candidates lying between the first and
  // the last smoothed gap.
  SampleSlopes(points.data(), slopes.data(), std::max(lo, 0), std::min({hi, static_cast<int>(slopes.size()), n - 1}));
  return 1;
}
