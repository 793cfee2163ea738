#include "analysis/physical_events.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/event_list_helpers.h"

namespace {

constexpr double kNoiseQuantile = 0.99;
constexpr double kAboveNoiseDb = 3.0;
// Fewer noise samples than this say nothing about the noise.
constexpr int kMinNoiseSamples = 50;

bool Behind(const AnalysisEvent& event, const AnalysisEvent* end) {
  return end != nullptr && event.sampleIndex > end->sampleIndex;
}

// What the noise behind the end reaches in 99 of 100 samples, leaving out the reflections found in
// it; +inf when there is too little noise to tell.
double NoiseCeiling(std::span<const TracePoint> raw, std::span<const AnalysisEvent> events, int count,
                    const AnalysisEvent* end, int noiseStart) {
  const int n = static_cast<int>(raw.size());
  std::vector<bool> reflection(raw.size(), false);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    if (!IsReflective(e) || !Behind(e, end)) continue;
    const int from = lumivane::ClampIndex(std::min(e.startIndex, e.peakIndex), n);
    const int to = lumivane::ClampIndex(std::max(e.endIndex, e.peakIndex), n);
    std::fill(reflection.begin() + from, reflection.begin() + to + 1, true);
  }
  std::vector<float> noise;
  for (int i = std::max(noiseStart, 0); i < n; ++i) {
    if (!reflection[static_cast<std::size_t>(i)]) noise.push_back(raw[static_cast<std::size_t>(i)].level);
  }
  if (static_cast<int>(noise.size()) < kMinNoiseSamples) return HUGE_VAL;
  const auto at = noise.begin() + static_cast<std::ptrdiff_t>(kNoiseQuantile * static_cast<double>(noise.size() - 1));
  std::nth_element(noise.begin(), at, noise.end());
  return *at;
}

}  // namespace

int DropImpossibleEvents(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count,
                         int noiseStart, float endThreshold) {
  if (count <= 0 || raw.empty()) return count;
  const int n = static_cast<int>(raw.size());
  const AnalysisEvent* end = nullptr;
  for (int i = 1; i < count && end == nullptr; ++i) {
    if (HasEndFlag(events[static_cast<std::size_t>(i)])) end = &events[static_cast<std::size_t>(i)];
  }
  const double ceiling = end != nullptr && noiseStart < n - 1 ? NoiseCeiling(raw, events, count, end, noiseStart)
                                                              : HUGE_VAL;
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    AnalysisEvent e = events[static_cast<std::size_t>(i)];
    const bool reflectionImpossible = (IsReflective(e) || e.type == kEventLaunch) && !(e.reflectance < 0.0f);
    if (i == 0 || HasEndFlag(e)) {
      if (reflectionImpossible) e.reflectance = kUnmeasuredReflectance;
      kept.Retain(e);
      continue;
    }
    if (reflectionImpossible) continue;
    // A loss the end threshold calls an end, behind the end, is no splice of a fibre that goes on.
    if (Behind(e, end) && !IsReflective(e) && std::fabs(e.loss) > endThreshold) continue;
    if (Behind(e, end) && e.sampleIndex >= noiseStart) {
      const bool risesOutOfNoise =
          IsReflective(e) && std::isfinite(ceiling) &&
          LevelAt(raw, lumivane::ClampIndex(e.peakIndex, n)) > ceiling + kAboveNoiseDb;
      if (!risesOutOfNoise) continue;
    }
    kept.Retain(e);
  }
  return kept.Store(events);
}

void BlankImpossibleAttenuations(std::span<AnalysisEvent> events, int count) {
  for (int i = 1; i < count; ++i) {
    float& a = events[static_cast<std::size_t>(i)].attenuation;
    if (std::fabs(a) > kMaxSectionAttenuation) a = kNoValue;
  }
}
