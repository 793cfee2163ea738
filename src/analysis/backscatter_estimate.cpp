#include "analysis/backscatter_estimate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/analysis_terms.h"
#include "platform/saturate.h"

namespace {

constexpr int kInterceptBins = SlopeVoteBuffers::kInterceptBins;
constexpr double kSlopeStep = 0.01;  // dB/km between candidate slopes

SlopeVoteGrid MultimodeGrid(double wavelength, double reference) {
  SlopeVoteGrid grid{{}, 100, 500, 500, lumivane::TruncToInt32(400.0 - (reference + 37.0) * 10.0), false};
  const bool at1300 = IsBand(wavelength, 1300);
  const double last = at1300 ? -0.4 : -2.0;
  for (double s = at1300 ? -1.5 : -3.5; s < last; s += kSlopeStep) {
    grid.slopes.push_back({s, lumivane::TruncToInt32(grid.slopesPerDbKm * s) + grid.zeroBin});
  }
  return grid;
}

SlopeVoteGrid GeneralGrid(double reference) {
  const float shifted = static_cast<float>(reference + 37.0);
  SlopeVoteGrid grid{{}, 200, 200, 400, lumivane::TruncToInt32(400.0f - shifted * 10.0f), true};
  for (float s = -1.0f; s < 0.0f; s += static_cast<float>(kSlopeStep)) {
    grid.slopes.push_back({s, lumivane::TruncToInt32(200.0f * s) + grid.zeroBin});
  }
  return grid;
}

// Consecutive voters count into rows of their own: a run of votes for one bin would otherwise wait
// on each increment before the next.
constexpr int kVoteLanes = 8;

// Intercept bin of a scaled intercept; 0, which is never a valid bin, when it lies off the grid or is
// not a number. Written as selections rather than branches, so the compiler can compute several at once.
int InterceptBin(double scaled, int offset) {
  const bool onGrid = scaled > -2.0 * kInterceptBins && scaled < 2.0 * kInterceptBins;
  const int bin = static_cast<int>(onGrid ? scaled : 0.0) + offset;
  return onGrid && bin > 0 && bin < kInterceptBins ? bin : 0;
}

template <bool kSinglePrecision>
int VoteBin(const TracePoint& p, double slope, int offset) {
  if constexpr (kSinglePrecision) {
    const float b = p.level - static_cast<float>(slope) * p.distance;
    return InterceptBin(10.0f * b, offset);
  } else {
    return InterceptBin(10.0 * (p.level - slope * p.distance), offset);
  }
}

// Every voter's vote for one candidate slope, counted into the lane rows (bin 0 gathers the invalid).
// The bins of a block of voters are found first, in a loop free of stores to the counters; where the
// processor has 256-bit vectors that loop takes them, with the same exact operations.
template <bool kSinglePrecision>
__attribute__((target_clones("avx2", "default"))) void CastVotes(std::span<const TracePoint> voters, double slope,
                                                                 int offset, std::vector<std::int32_t>& lanes) {
  constexpr std::size_t kBlock = 256;
  std::array<std::int32_t, kBlock> bins;
  for (std::size_t start = 0; start < voters.size(); start += kBlock) {
    const std::size_t count = std::min(kBlock, voters.size() - start);
    for (std::size_t i = 0; i < count; ++i) bins[i] = VoteBin<kSinglePrecision>(voters[start + i], slope, offset);
    std::size_t i = 0;
    for (; i + kVoteLanes <= count; i += kVoteLanes) {
      for (std::size_t l = 0; l < kVoteLanes; ++l) ++lanes[l * kInterceptBins + static_cast<std::size_t>(bins[i + l])];
    }
    for (; i < count; ++i) ++lanes[static_cast<std::size_t>(bins[i])];
  }
}

int Stride(int end) {
  if (end > 15000) return 6;
  if (end > 10000) return 4;
  if (end > 5000) return 2;
  return 1;
}

}  // namespace

SlopeVoteGrid MakeSlopeVoteGrid(double wavelength, double reference) {
  return IsMultimodeWavelength(wavelength) ? MultimodeGrid(wavelength, reference) : GeneralGrid(reference);
}

int EstimateBackscatterSlope(std::span<const TracePoint> points, int first, int end, float& slope,
                             float& intercept, double wavelength, double reference, SlopeVoteBuffers& votes) {
  const SlopeVoteGrid grid = MakeSlopeVoteGrid(wavelength, reference);
  first = std::max(first, 0);
  end = std::min(end, static_cast<int>(points.size()));
  const int stride = Stride(end);
  const int span = end - first;
  const int quarters[5] = {first, first + span / 4, first + span / 2, first + 3 * span / 4, end};
  votes.voters.clear();
  for (int q = 0; q < 4; ++q) {
    for (int i = quarters[q]; i < quarters[q + 1]; i += stride) votes.voters.push_back(points[static_cast<std::size_t>(i)]);
  }

  // The histogram is counted one slope bin (row) at a time and never held whole: the counters being
  // written stay in the cache, and a new process faults in no megabytes for it. The candidate slopes
  // ascend, so the slopes sharing a bin are neighbours and each row is complete before the next one
  // starts; the best cell is the first with the most votes in row-major order, as in a scan of the
  // whole table.
  votes.laneRows.resize(static_cast<std::size_t>(kVoteLanes) * kInterceptBins);
  int bestSlopeBin = 0, bestInterceptBin = 0;
  std::int32_t bestVotes = 0;
  for (std::size_t k = 0, next = 0; k < grid.slopes.size(); k = next) {
    const int row = grid.slopes[k].bin;
    while (next < grid.slopes.size() && grid.slopes[next].bin == row) ++next;
    if (row <= 0 || row >= grid.binLimit) continue;
    std::fill(votes.laneRows.begin(), votes.laneRows.end(), 0);
    for (std::size_t j = k; j < next; ++j) {
      if (grid.singlePrecision) {
        CastVotes<true>(votes.voters, grid.slopes[j].slope, grid.interceptOffset, votes.laneRows);
      } else {
        CastVotes<false>(votes.voters, grid.slopes[j].slope, grid.interceptOffset, votes.laneRows);
      }
    }
    for (int b = 1; b < kInterceptBins; ++b) {
      std::int32_t sum = 0;
      for (std::size_t l = 0; l < kVoteLanes; ++l) sum += votes.laneRows[l * kInterceptBins + static_cast<std::size_t>(b)];
      if (sum > bestVotes) {
        bestVotes = sum;
        bestSlopeBin = row;
        bestInterceptBin = b;
      }
    }
  }
  // Without a single vote the grid's corner would be reported as a line; a flat line through the
  // first sample says honestly that nothing was estimated.
  if (bestVotes == 0) {
    slope = 0.0f;
    intercept = first < static_cast<int>(points.size()) ? points[static_cast<std::size_t>(first)].level : 0.0f;
    return 1;
  }
  slope = static_cast<float>(static_cast<double>(bestSlopeBin - grid.zeroBin) / grid.slopesPerDbKm);
  intercept = static_cast<float>(static_cast<double>(bestInterceptBin - grid.interceptOffset) / 10.0);
  return 1;
}
