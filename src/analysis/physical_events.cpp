#include "analysis/physical_events.h"

#include <algorithm>
#include <cmath>
#include <functional>
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

// The noise behind the end, highest levels first, as far down as the 99th percentile of any part of
// it that leaves out one reflection.
// Sorting the noise is the costly part, and most traces hold no event there to ask about it: the
// levels are gathered when the first one asks.
class NoiseCeiling {
 public:
  NoiseCeiling(std::span<const TracePoint> raw, int noiseStart, int longestReflection)
      : raw_(raw),
        from_(std::clamp(noiseStart, 0, static_cast<int>(raw.size()))),
        total_(raw.size() - static_cast<std::size_t>(from_)),
        longestReflection_(longestReflection) {}

  // What the noise reaches in 99 of 100 samples once the reflection's own samples are left out;
  // +inf when there is too little noise to tell.
  double Without(const AnalysisEvent& reflection) {
    const int n = static_cast<int>(raw_.size());
    if (!gathered_) Gather();
    std::vector<float> own;
    const int first = std::max(std::min(reflection.startIndex, reflection.peakIndex), from_);
    const int last = std::min(std::max(reflection.endIndex, reflection.peakIndex), n - 1);
    for (int i = first; i <= last; ++i) own.push_back(raw_[static_cast<std::size_t>(i)].level);
    if (total_ < own.size() + kMinNoiseSamples) return HUGE_VAL;
    std::sort(own.begin(), own.end(), std::greater<>());
    const std::size_t rank = RankOf(total_ - own.size());
    std::size_t seen = 0;
    std::size_t j = 0;
    for (float level : top_) {
      if (j < own.size() && level == own[j]) {
        ++j;
        continue;
      }
      if (seen++ == rank) return level;
    }
    return HUGE_VAL;
  }

 private:
  static std::size_t RankOf(std::size_t count) {
    return static_cast<std::size_t>((1.0 - kNoiseQuantile) * static_cast<double>(count));
  }

  void Gather() {
    for (std::size_t i = static_cast<std::size_t>(from_); i < raw_.size(); ++i) top_.push_back(raw_[i].level);
    const auto keep = std::min(top_.size(), RankOf(top_.size()) + static_cast<std::size_t>(longestReflection_) + 1);
    std::nth_element(top_.begin(), top_.begin() + static_cast<std::ptrdiff_t>(keep), top_.end(), std::greater<>());
    top_.resize(keep);
    std::sort(top_.begin(), top_.end(), std::greater<>());
    gathered_ = true;
  }

  std::span<const TracePoint> raw_;
  int from_ = 0;
  std::size_t total_ = 0;
  int longestReflection_ = 0;
  bool gathered_ = false;
  std::vector<float> top_;
};

// Whether a reflection's peak stands more than 3 dB above what the noise around it reaches.
bool RisesOutOfNoise(std::span<const TracePoint> raw, NoiseCeiling& noise, const AnalysisEvent& e) {
  return IsReflective(e) &&
         LevelAt(raw, lumivane::ClampIndex(e.peakIndex, static_cast<int>(raw.size()))) > noise.Without(e) + kAboveNoiseDb;
}

int LongestReflectionFrom(std::span<const AnalysisEvent> events, int count, int from) {
  int longest = 0;
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    if (IsReflective(e) && e.sampleIndex > from) longest = std::max(longest, e.endIndex - e.startIndex + 1);
  }
  return longest;
}

}  // namespace

int DropNoiseOnlyEvents(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count, int noiseStart) {
  if (count <= 0 || raw.empty()) return count;
  NoiseCeiling noise(raw, noiseStart, LongestReflectionFrom(events, count, noiseStart));
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    if (i == 0 || e.sampleIndex <= noiseStart || RisesOutOfNoise(raw, noise, e)) kept.Retain(e);
  }
  return kept.Store(events);
}

int DropImpossibleEvents(std::span<const TracePoint> raw, std::span<AnalysisEvent> events, int count,
                         int noiseStart, float endThreshold) {
  if (count <= 0 || raw.empty()) return count;
  const int n = static_cast<int>(raw.size());
  const AnalysisEvent* end = nullptr;
  for (int i = 1; i < count && end == nullptr; ++i) {
    if (HasEndFlag(events[static_cast<std::size_t>(i)])) end = &events[static_cast<std::size_t>(i)];
  }
  const int longestReflection = end != nullptr ? LongestReflectionFrom(events, count, end->sampleIndex) : 0;
  NoiseCeiling noise(raw, end != nullptr ? noiseStart : n, longestReflection);
  KeptEvents kept(count);
  for (int i = 0; i < count; ++i) {
    AnalysisEvent e = events[static_cast<std::size_t>(i)];
    const bool reflectionImpossible = (IsReflective(e) || e.type == kEventLaunch) && !(e.reflectance < 0.0f);
    if (i == 0 || HasEndFlag(e)) {
      // A reflectance the engine could not measure is missing, not impossible.
      if (reflectionImpossible && e.reflectance != kNoValue) e.reflectance = kUnmeasuredReflectance;
      kept.Retain(e);
      continue;
    }
    if (Behind(e, end) && e.sampleIndex >= noiseStart) {
      if (!RisesOutOfNoise(raw, noise, e)) continue;
      // Its height over the noise floor says nothing about how much it reflects.
      if (reflectionImpossible) e.reflectance = kUnmeasuredReflectance;
      kept.Retain(e);
      continue;
    }
    if (reflectionImpossible) continue;
    // A loss the end threshold calls an end, behind the end, is no splice of a fibre that goes on.
    if (Behind(e, end) && !IsReflective(e) && std::fabs(e.loss) > endThreshold) continue;
    kept.Retain(e);
  }
  return kept.Store(events);
}

void BlankLossesBehindEnd(std::span<AnalysisEvent> events, int count) {
  int i = 1;
  while (i < count && !HasEndFlag(events[static_cast<std::size_t>(i)])) ++i;
  for (++i; i < count; ++i) {
    events[static_cast<std::size_t>(i)].loss = kNoValue;
    events[static_cast<std::size_t>(i)].cumulativeLoss = kNoValue;
  }
}

void BlankImpossibleAttenuations(std::span<AnalysisEvent> events, int count) {
  for (int i = 1; i < count; ++i) {
    float& a = events[static_cast<std::size_t>(i)].attenuation;
    if (std::fabs(a) > kMaxSectionAttenuation) a = kNoValue;
  }
}
