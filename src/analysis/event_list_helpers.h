#pragma once
// Small helpers the detection, filter and end-of-fibre stages share: event classes, the slope of a
// section of the trace, and the keep-list that every filter pass builds.
#include <algorithm>
#include <span>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/analysis_types.h"
#include "analysis/line_fit.h"

/// True for an event whose comment marks it as an echo.
inline bool IsGhost(const AnalysisEvent& event) {
  static constexpr char16_t kGhost[] = u"ghost";
  for (int i = 0; i < 6; ++i) {
    if (event.comment[i] != kGhost[i]) return false;
  }
  return true;
}

/// Writes the echo mark into (or, with `ghost` false, clears it from) the event's comment.
inline void SetGhost(AnalysisEvent& event, bool ghost) {
  static constexpr char16_t kGhost[] = u"ghost";
  std::fill(std::begin(event.comment), std::end(event.comment), u'\0');
  if (ghost) std::copy(std::begin(kGhost), std::end(kGhost), event.comment);
}

inline bool IsReflective(const AnalysisEvent& event) { return event.type == kEventReflective; }
inline bool IsNonReflective(const AnalysisEvent& event) { return event.type == kEventNonReflective; }
inline bool HasEndFlag(const AnalysisEvent& event) { return event.endFlag == kEndFlag; }
/// A splice or gainer: a step in the backscatter, not the end of the fibre.
inline bool IsSplice(const AnalysisEvent& event) { return IsNonReflective(event) && !HasEndFlag(event); }

/// Slope in dB/km of the least-squares line over [first, last] (either order, clamped).
inline double SectionSlope(std::span<const TracePoint> points, int first, int last) {
  double slope = 0.0, intercept = 0.0;
  FitLine(points, first, last, slope, intercept);
  return slope;
}

/// The backscatter slope limited to [lowest, highest] at a listed wavelength, unchanged elsewhere.
inline double ListedSlopeWithin(double backscatterSlope, double wavelength, double lowest, double highest) {
  if (!IsListedWavelength(wavelength)) return backscatterSlope;
  return std::clamp(backscatterSlope, lowest, highest);
}

/// Pulse length in samples, trunc(max(30, pulse width) / 1000 / (distance(10) - distance(0))), at
/// least 10: the unit of the windows behind reflections. Never more than the trace is long, so
/// multiples of it cannot overflow.
inline int PulseWindowSamples(std::span<const TracePoint> points, int pulseWidth) {
  const double span10 = DistanceAt(points, 10) - DistanceAt(points, 0);
  const int samples = lumivane::TruncToInt32(std::max(30, pulseWidth) / 1000.0 / span10);
  return std::max(10, std::min(samples, static_cast<int>(points.size())));
}

/// Survivors of one filter pass, copied back over the caller's events by Store().
class KeptEvents {
 public:
  explicit KeptEvents(int capacity) { kept_.reserve(static_cast<std::size_t>(std::max(capacity, 0))); }

  void Retain(const AnalysisEvent& event) { kept_.push_back(event); }
  bool Empty() const { return kept_.empty(); }
  int Count() const { return static_cast<int>(kept_.size()); }
  AnalysisEvent& Last() { return kept_.back(); }

  /// Gives the absorbed event's right window to the last retained event, which then spans it.
  void Absorb(const AnalysisEvent& event) {
    kept_.back().markers[2] = event.markers[2];
    kept_.back().markers[3] = event.markers[3];
  }

  /// Copies the survivors over the front of `events`; returns their number.
  int Store(std::span<AnalysisEvent> events) const {
    std::copy(kept_.begin(), kept_.end(), events.begin());
    return Count();
  }

 private:
  std::vector<AnalysisEvent> kept_;
};
