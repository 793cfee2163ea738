#include "analysis/step_reconciliation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "analysis/analysis_terms.h"
#include "analysis/event_list_helpers.h"
#include "analysis/step_scan.h"

namespace {

// Pulse lengths kept clear of the events that stand: a reflection's pulse-wide edges and the
// receiver's recovery behind it are no backscatter.
constexpr int kClearancePulses = 1;
// A listed step and a scanned one are the same within this many pulse lengths.
constexpr int kMatchPulses = 2;
// A listed loss that differs from the scan's by more than this many times the scan's noise is wrong.
constexpr double kLossSigmas = 3.0;
constexpr double kLossAgreement = 0.01;  // dB: never closer than the stored resolution allows
// A step that stands out of its noise by less than this many times, read over windows of at least
// this many pulse lengths, is placed and measured better by those windows than by the slope
// search's few pulse lengths. A clearer one both see sharply, and the slope search follows its foot
// where the receiver rounds the step.
constexpr double kClearStepSigmas = 20.0;
constexpr int kLongWindowPulses = 8;

AnalysisEvent EventFromStep(std::span<const TracePoint> raw, const ScannedStep& step, int p) {
  AnalysisEvent event{};
  event.type = kEventNonReflective;
  event.position = static_cast<float>(DistanceAt(raw, step.at));
  event.sampleIndex = event.startIndex = event.peakIndex = step.at;
  event.endIndex = step.at + p;
  event.loss = static_cast<float>(step.loss);
  event.markers[0] = step.at - step.windowSamples;
  event.markers[1] = step.at;
  event.markers[2] = step.at + p;
  event.markers[3] = step.at + p + step.windowSamples;
  return event;
}

// The splices of one stretch between standing events, against the scan over [first, last).
void Reconcile(std::span<const AnalysisEvent> listed, const std::vector<ScannedStep>& scanned, int first, int last,
               std::span<const TracePoint> raw, int p, std::vector<AnalysisEvent>& out) {
  std::vector<char> matched(scanned.size(), 0);
  const std::size_t begin = out.size();
  for (AnalysisEvent event : listed) {
    if (event.sampleIndex < first || event.sampleIndex >= last) {
      out.push_back(event);
      continue;
    }
    std::size_t best = scanned.size();
    for (std::size_t k = 0; k < scanned.size(); ++k) {
      const ScannedStep& s = scanned[k];
      const bool near = std::abs(s.at - event.sampleIndex) <= kMatchPulses * p;
      const bool sameSign = (s.loss > 0.0) == (event.loss > 0.0);
      if (near && sameSign && !matched[k] &&
          (best == scanned.size() ||
           std::abs(s.at - event.sampleIndex) < std::abs(scanned[best].at - event.sampleIndex))) {
        best = k;
      }
    }
    if (best == scanned.size()) continue;
    matched[best] = 1;
    const ScannedStep& s = scanned[best];
    const bool readBetter = std::fabs(s.loss) < kClearStepSigmas * s.sigma && s.windowSamples >= kLongWindowPulses * p;
    if (std::abs(s.at - event.sampleIndex) > p || readBetter) {
      out.push_back(EventFromStep(raw, s, p));
      continue;
    }
    if (std::fabs(event.loss - s.loss) > std::max(kLossAgreement, kLossSigmas * s.sigma)) {
      event.loss = static_cast<float>(s.loss);
    }
    out.push_back(event);
  }
  for (std::size_t k = 0; k < scanned.size(); ++k) {
    // A loss read up to the standing event in front may be the receiver recovering from its light:
    // it confirms a listed step there, it adds none.
    const bool behindStanding = scanned[k].at - scanned[k].windowSamples <= first && scanned[k].loss > 0.0;
    if (!matched[k] && !behindStanding) out.push_back(EventFromStep(raw, scanned[k], p));
  }
  std::sort(out.begin() + static_cast<std::ptrdiff_t>(begin), out.end(),
            [](const AnalysisEvent& a, const AnalysisEvent& b) { return a.sampleIndex < b.sampleIndex; });
}

}  // namespace

int ReconcileWithScannedSteps(std::span<AnalysisEvent> events, int count, std::span<const TracePoint> raw,
                              int noiseStart, int pulseSamples, float threshold, StepScanBuffers& buffers) {
  const int p = std::max(1, pulseSamples);
  const int clearance = kClearancePulses * p;
  count = std::clamp(count, 0, static_cast<int>(events.size()));
  std::vector<AnalysisEvent> out;
  out.reserve(static_cast<std::size_t>(count) + 16);
  int i = 0;
  while (i < count) {
    const AnalysisEvent& standing = events[static_cast<std::size_t>(i)];
    out.push_back(standing);
    ++i;
    if (HasEndFlag(standing)) break;
    if (IsSplice(standing)) continue;
    int next = i;
    while (next < count && IsSplice(events[static_cast<std::size_t>(next)])) ++next;
    if (next == count) break;  // no standing event closes the stretch
    const int first = standing.endIndex + clearance;
    const int last = std::min(events[static_cast<std::size_t>(next)].startIndex, noiseStart) - clearance;
    const std::span<const AnalysisEvent> listed(events.data() + i, static_cast<std::size_t>(next - i));
    if (ScanReaches(first, last, p)) {
      std::vector<SampleSpan> changes;
      for (const AnalysisEvent& event : listed) {
        changes.push_back({event.startIndex, std::max(event.endIndex, event.startIndex + p)});
      }
      const std::vector<ScannedStep> scanned = ScanSteps(raw, first, last, p, std::move(changes), threshold, buffers);
      Reconcile(listed, scanned, first, last, raw, p, out);
    } else {
      out.insert(out.end(), listed.begin(), listed.end());
    }
    i = next;
  }
  out.insert(out.end(), events.begin() + i, events.begin() + count);
  // A list the added steps would overflow keeps what it had rather than lose its end.
  if (out.size() > events.size()) return count;
  std::copy(out.begin(), out.end(), events.begin());
  return static_cast<int>(out.size());
}
