#include "analysis/backscatter_estimate.h"

#include <algorithm>
#include <cmath>

#include "analysis/analysis_terms.h"
#include "platform/saturate.h"

namespace {

constexpr int kSlopeBins = AnalysisScratch::kSlopeBins;
constexpr int kInterceptBins = AnalysisScratch::kInterceptBins;
constexpr double kSlopeStep = 0.01;  // dB/km between candidate slopes

// One candidate slope and its histogram row.
struct CandidateSlope {
  double slope;
  int bin;
};

// The grid of one variant. The slopes are accumulated step by step, as the bins were defined with
// that rounding: computing them as first + k * step reaches different bins.
struct VoteGrid {
  std::vector<CandidateSlope> slopes;
  int slopesPerDbKm;  // S
  int zeroBin;        // Z
  int binLimit;       // valid slope bins are 1 .. binLimit - 1
  int interceptOffset;
  bool singlePrecision;
};

VoteGrid MultimodeGrid(double wavelength, double reference) {
  VoteGrid grid{{}, 100, 500, 500, lumivane::TruncToInt32(400.0 - (reference + 37.0) * 10.0), false};
  const bool at1300 = IsNearWavelength(wavelength, 1300.0);
  const double last = at1300 ? -0.4 : -2.0;
  for (double s = at1300 ? -1.5 : -3.5; s < last; s += kSlopeStep) {
    grid.slopes.push_back({s, lumivane::TruncToInt32(grid.slopesPerDbKm * s) + grid.zeroBin});
  }
  return grid;
}

VoteGrid GeneralGrid(double reference) {
  const float shifted = static_cast<float>(reference + 37.0);
  VoteGrid grid{{}, 200, 200, 400, lumivane::TruncToInt32(400.0f - shifted * 10.0f), true};
  for (float s = -1.0f; s < 0.0f; s += static_cast<float>(kSlopeStep)) {
    grid.slopes.push_back({s, lumivane::TruncToInt32(200.0f * s) + grid.zeroBin});
  }
  return grid;
}

// Intercept bin of a scaled intercept, or -1 when it lies far off the grid (or is not a number);
// the vote loop is the engine's hottest, so this stays inline.
int InterceptBin(double scaled, int offset) {
  if (!(scaled > -2.0 * kInterceptBins && scaled < 2.0 * kInterceptBins)) return -1;
  return static_cast<int>(scaled) + offset;
}

void CastVotes(const VoteGrid& grid, const TracePoint& p, std::vector<std::int32_t>& histogram) {
  for (const CandidateSlope& c : grid.slopes) {
    if (c.bin <= 0 || c.bin >= grid.binLimit) continue;
    double scaled;
    if (grid.singlePrecision) {
      const float b = p.level - static_cast<float>(c.slope) * p.distance;
      scaled = 10.0f * b;
    } else {
      scaled = 10.0 * (p.level - c.slope * p.distance);
    }
    const int interceptBin = InterceptBin(scaled, grid.interceptOffset);
    if (interceptBin <= 0 || interceptBin >= kInterceptBins) continue;
    ++histogram[static_cast<std::size_t>(c.bin) * kInterceptBins + static_cast<std::size_t>(interceptBin)];
  }
}

int Stride(int end) {
  if (end > 15000) return 6;
  if (end > 10000) return 4;
  if (end > 5000) return 2;
  return 1;
}

}  // namespace

int EstimateBackscatterSlope(std::span<const TracePoint> points, int first, int end, float& slope,
                             float& intercept, double wavelength, double reference,
                             std::vector<std::int32_t>& histogram) {
  histogram.assign(static_cast<std::size_t>(kSlopeBins) * kInterceptBins, 0);
  const VoteGrid grid = IsMultimodeWavelength(wavelength) ? MultimodeGrid(wavelength, reference)
                                                          : GeneralGrid(reference);
  first = std::max(first, 0);
  end = std::min(end, static_cast<int>(points.size()));
  const int stride = Stride(end);
  const int span = end - first;
  const int quarters[5] = {first, first + span / 4, first + span / 2, first + 3 * span / 4, end};
  for (int q = 0; q < 4; ++q) {
    for (int i = quarters[q]; i < quarters[q + 1]; i += stride) {
      CastVotes(grid, points[static_cast<std::size_t>(i)], histogram);
    }
  }

  int bestSlopeBin = 0, bestInterceptBin = 0;
  std::int32_t bestVotes = histogram[0];
  for (int s = 0; s < grid.binLimit; ++s) {
    for (int b = 0; b < kInterceptBins; ++b) {
      const std::int32_t votes = histogram[static_cast<std::size_t>(s) * kInterceptBins + static_cast<std::size_t>(b)];
      if (votes > bestVotes) {
        bestVotes = votes;
        bestSlopeBin = s;
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
