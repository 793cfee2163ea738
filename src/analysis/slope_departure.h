#pragma once
// Where the slope of the gap-smoothed trace departs from the backscatter slope: the test that
// starts and continues a slope-change run.
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/analysis_types.h"

/// Judges each sample's slope in the gap [from, to] against the backscatter slope. Where the slopes
/// are steadier than the tolerance, the sample's own slope decides, as the plain rule has it.
/// Finely sampled short pulses swing tens of dB/km from sample to sample: there the slope over a
/// stretch tied to the pulse length decides, and it departs only beyond the noise of such slopes.
/// The noise grows along the trace, so the gap is judged in blocks. The plain rule still holds
/// within a few dB of the noise reference, where its allowances by height above the reference
/// judge, and in a block whose slopes do not run along the backscatter at all (the receiver's tail
/// behind a reflection, the fall into the noise): there every sample departs, as it should.
class SlopeDeparture {
 public:
  /// `slopes` are the per-sample slopes of the gap-smoothed `points` (0 where none was written).
  SlopeDeparture(std::span<const TracePoint> points, std::span<const SlopeSample> slopes, int from, int to,
                 double backscatterSlope, double tolerance, int pulseWidth, float reference);

  /// True when the slope at sample `i` departs from the backscatter slope.
  bool Departs(int i) const {
    const int k = i - from_;
    return k >= 0 && k < static_cast<int>(departs_.size()) ? departs_[static_cast<std::size_t>(k)] != 0 : DepartsAt(i);
  }

  /// True when the run that departed at `start` keeps departing at sample `i`. Where the noise
  /// decides, a run lasts while its slope stays on the side it departed to and beyond half the
  /// allowance it started with, so a long fall does not break into pieces wherever the noise dips.
  bool Continues(int start, int i) const;

  /// Samples by which a run judged at sample `i` reaches beyond the change itself where the noise
  /// decides: the stretch slope departs as soon as the stretch takes in enough of the change. Never
  /// more than half the smoothing's reach, which a run on a clean trace covers too, so a change as
  /// long as a long pulse keeps its whole run. 0 where the sample's own slope decides.
  int StretchReach(int i) const;

 private:
  // What one block of the gap shows: whether the noise decides there, and the allowance it leaves.
  struct Block {
    bool noiseDecides = false;
    bool stretched = false;  // its stretch slopes are kept in stretch_
    double allowance = 0.0;  // dB/km a stretch slope must depart by
  };

  const Block& BlockOf(int i) const;
  bool DepartsAt(int i) const;
  bool DepartsIn(const Block& block, int i) const;
  bool NoiseDecides(const Block& block, int i) const;
  double Slope(int i) const;
  double StretchSlope(int i) const;
  double StretchSlopeIn(const Block& block, int i) const;
  double StretchSlopeFromSums(int i) const;

  std::span<const TracePoint> points_;
  std::span<const SlopeSample> slopes_;
  int from_;
  double backscatter_;
  double tolerance_;
  float reference_;
  int halfStretch_ = 0;
  int sumsFirst_ = 0;         // sample of sums_[0]
  std::vector<double> sums_;  // running sums of the slopes from sumsFirst_, for the stretch slopes
  std::vector<double> stretch_;  // stretch slopes from from_ on, where the block is stretched
  std::vector<Block> blocks_;
  std::vector<std::uint8_t> departs_;  // Departs of every sample from from_ on
};
