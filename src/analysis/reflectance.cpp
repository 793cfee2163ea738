#include "analysis/reflectance.h"

#include <cmath>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/line_fit.h"

namespace {

constexpr int kMaxMergeGap = 4;           // samples between one reflection's end and the next
constexpr double kMinFallBeforeMerge = 0.5;  // dB a reflection must fall to stand alone
constexpr double kMinHeight = 0.001;      // dB
constexpr int kMinBaseFitGap = 10;        // samples before a reflection needed for a base fit
constexpr double kRangeTolerance = 0.1;   // km

struct PulseCorrection {
  int pulseWidth;
  float correction;
};

// One row of the correction table. Wavelength 0 stands for any wavelength without rows of its own;
// an empty range list matches every range.
struct CorrectionRow {
  int wavelength;
  std::vector<double> ranges;
  std::vector<PulseCorrection> corrections;
  float otherPulseWidths;
};

const std::vector<CorrectionRow>& CorrectionTable() {
  static const std::vector<CorrectionRow> table = {
    {850, {}, {{12, 3.7f}, {30, -0.84f}}, -1.2f},
    {1300, {}, {{12, 3.4f}, {30, -1.2f}, {100, -1.2f}, {275, -1.4f}, {1000, -1.0f}}, 0.0f},
    {1310, {0.3, 1.3, 2.5}, {{5, 6.92f}, {10, 4.22f}, {12, 3.22f}, {30, -0.02f}, {100, -0.25f}}, -0.27f},
    {1310, {5}, {{5, 6.8f}, {10, 4.3f}, {12, 2.8f}, {30, 2.8f}, {100, -0.44f}}, 0.0f},
    {1310, {10}, {{30, 2.93f}, {100, 2.93f}}, 0.0f},
    {1310, {20}, {{30, 7.66f}, {100, 3.1f}, {275, 1.0f}, {300, 1.0f}}, 0.0f},
    {1310, {40}, {{30, 8.0f}, {100, 3.5f}, {275, 1.4f}, {300, 1.4f}}, 0.0f},
    {1310, {80}, {{275, 4.39f}, {300, 4.39f}, {1000, 0.8f}}, 0.0f},
    {1310, {}, {}, 0.0f},
    {0, {0.3, 1.3, 2.5}, {{5, 7.5f}, {10, 3.7f}, {12, 3.7f}, {30, -0.84f}}, -1.2f},
    {0, {5}, {{5, 7.5f}, {10, 3.7f}, {12, 8.64f}, {30, 1.4f}, {100, -1.0f}}, 0.0f},
    {0, {10}, {{30, 1.0f}, {100, 1.7f}, {275, -0.4f}, {300, -0.4f}}, 0.0f},
    {0, {20, 40}, {{30, 6.4f}, {100, 1.7f}, {275, -0.6f}, {300, -0.6f}}, 0.0f},
    {0, {80}, {{275, 3.65f}, {300, 3.65f}}, 0.0f},
    {0, {}, {}, 0.0f},
  };
  return table;
}

bool HasOwnRows(int wavelength) { return wavelength == 850 || wavelength == 1300 || wavelength == 1310; }

bool RangeMatches(const CorrectionRow& row, float range) {
  if (row.ranges.empty()) return true;
  for (double r : row.ranges) {
    if (std::fabs(range - r) < kRangeTolerance) return true;
  }
  return false;
}

}  // namespace

int MergeCloseReflections(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count) {
  if (raw.empty()) return count;
  int i = 0;
  while (i < count - 1) {
    AnalysisEvent& a = events[static_cast<std::size_t>(i)];
    const AnalysisEvent& b = events[static_cast<std::size_t>(i + 1)];
    if (a.type == kEventNonReflective || b.type == kEventNonReflective ||
        b.sampleIndex - a.endIndex >= kMaxMergeGap ||
        LevelAt(raw, a.peakIndex) - LevelAt(raw, a.endIndex) >= kMinFallBeforeMerge) {
      ++i;
      continue;
    }
    a.peakIndex = b.peakIndex;
    a.endIndex = b.endIndex;
    a.markers[2] = b.markers[2];
    a.markers[3] = b.markers[3];
    a.markers[4] = FlatTopCentre(raw, a.startIndex, a.peakIndex);
    for (int k = i + 1; k + 1 < count; ++k) events[static_cast<std::size_t>(k)] = events[static_cast<std::size_t>(k + 1)];
    --count;
  }
  return count;
}

void ComputeReflectance(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count,
                        const AnalysisParams& params) {
  if (raw.empty()) return;
  const float correction =
      ReflectanceCorrection(WavelengthBandNm(params.wavelength), params.pulseWidth, params.range);
  const bool measurable = params.pulseWidth > 0;
  const float k = params.backscatterCoefficient - 10.0f * std::log10(static_cast<float>(params.pulseWidth));
  for (int i = 0; i < count; ++i) {
    AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    if (e.type != kEventLaunch && e.type != kEventEnd && e.type != kEventReflective) continue;
    const int peak = HighestSample(raw, e.sampleIndex, e.endIndex);
    double base = e.level;
    if (i > 0) {
      const int gapStart = events[static_cast<std::size_t>(i - 1)].endIndex + 1;
      base = LevelAt(raw, e.sampleIndex);
      if (e.sampleIndex - gapStart > kMinBaseFitGap) {
        double slope = 0.0, intercept = 0.0;
        FitLine(raw, gapStart, e.sampleIndex - 2, slope, intercept);
        base = slope * DistanceAt(raw, peak) + intercept;
      }
    }
    const float height = static_cast<float>(std::fabs(LevelAt(raw, peak) - base));
    if (!measurable) {
      // Without a pulse width the backscatter of the pulse is unknown, so there is nothing to refer to.
      e.reflectance = kNoValue;
    } else if (height > kMinHeight) {
      const float power = std::pow(10.0f, 2.0f * height / 10.0f);
      const float reflectance = 10.0f * std::log10(power - 1.0f) - k + correction;
      // A base line extrapolated far from its window can give a height no real reflection has; the
      // float power then overflows, and an infinite reflectance must not reach the tables or files.
      e.reflectance = std::isfinite(reflectance) ? reflectance : kNoValue;
    } else {
      e.reflectance = kFlatReflectance;
    }
  }
}

float ReflectanceCorrection(int wavelength, int pulseWidth, float range) {
  const int group = HasOwnRows(wavelength) ? wavelength : 0;
  for (const CorrectionRow& row : CorrectionTable()) {
    if (row.wavelength != group || !RangeMatches(row, range)) continue;
    for (const PulseCorrection& c : row.corrections) {
      if (c.pulseWidth == pulseWidth) return c.correction;
    }
    return row.otherPulseWidths;
  }
  return 0.0f;
}
