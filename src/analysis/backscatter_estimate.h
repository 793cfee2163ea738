#pragma once
// The straight backscatter line most samples before the noise agree with, found by a vote over a grid
// of slopes and intercepts.
#include <span>
#include <vector>

#include "analysis/analysis_types.h"

/// One candidate slope of the vote and its slope bin.
struct CandidateSlope {
  double slope;  // dB/km
  int bin;
};

/// The candidate slopes and bins of one variant. The slopes are accumulated step by step, as the bins
/// were defined with that rounding: computing them as first + k * step reaches different bins.
struct SlopeVoteGrid {
  std::vector<CandidateSlope> slopes;  // ascending, so their bins never fall
  int slopesPerDbKm;                   // S
  int zeroBin;                         // Z
  int binLimit;                        // valid slope bins are 1 .. binLimit - 1
  int interceptOffset;                 // intercept bin of 0 dB; valid intercept bins are 1 .. 799
  bool singlePrecision;
};

/// The 850/1300 nm grid in either multimode band, the general one otherwise.
SlopeVoteGrid MakeSlopeVoteGrid(double wavelength, double reference);

/// Every sample of [first, end) of the unsmoothed points votes, for each candidate slope of the grid,
/// for the intercept bin its line crosses at distance 0; the cell with the most votes, the first in
/// order of slope then intercept on ties, is the line. Writes slope (dB/km) and intercept (dB);
/// returns 1.
int EstimateBackscatterSlope(std::span<const TracePoint> points, int first, int end, float& slope,
                             float& intercept, double wavelength, double reference, SlopeVoteBuffers& votes);
