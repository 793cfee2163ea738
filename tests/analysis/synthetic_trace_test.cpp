// The primitives and event values measured on generated links, against what the generator built.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/backscatter_estimate.h"
#include "analysis/event_levels.h"
#include "analysis/event_loss.h"
#include "analysis/noise_start.h"
#include "analysis/reflectance.h"
#include "synthetic_trace.h"

namespace {

// 20 km at 1 m: a 0.5 dB splice at 5 km, a -45 dB connector with 0.3 dB loss at 10 km, the end
// of the fibre at 15 km with noise behind it.
SyntheticTraceSpec Link(double slope) {
  SyntheticTraceSpec spec;
  spec.slopeDbPerKm = slope;
  spec.launchLevelDb = -10.05;
  spec.steps = {{5.0, 0.5}};
  spec.reflections = {{10.0, -45.0, 0.3, 20}};
  spec.fibreEndKm = 15.0;
  spec.noiseSigmaDb = 0.3;
  spec.pulseWidthNs = 100;
  return spec;
}

// Events as the pipeline hands them over: launch, splice at 5000, connector at 10000..10019.
std::vector<AnalysisEvent> LinkEvents(const std::vector<TracePoint>& points) {
  std::vector<AnalysisEvent> e(3);
  e[0].markers[2] = 20;
  e[0].markers[3] = 220;
  e[0].endIndex = 15;
  e[1].type = kEventNonReflective;
  e[1].sampleIndex = e[1].startIndex = e[1].peakIndex = e[1].endIndex = 5000;
  e[1].position = points[5000].distance;
  e[1].markers[0] = 4800;
  e[1].markers[1] = 4997;
  e[1].markers[2] = 5003;
  e[1].markers[3] = 5200;
  e[2].type = kEventReflective;
  e[2].sampleIndex = e[2].startIndex = 10000;
  e[2].endIndex = 10022;
  e[2].position = points[10000].distance;
  e[2].markers[0] = 9800;
  e[2].markers[1] = 9997;
  e[2].markers[2] = 10025;
  e[2].markers[3] = 10225;
  return e;
}

TEST(SyntheticTraceTest, GeneratorBuildsWhatItIsAskedFor) {
  const SyntheticTraceSpec spec = Link(-0.33);
  const auto points = MakeSyntheticTrace(spec);
  ASSERT_EQ(points.size(), 20000u);
  // Within the quantisation plus what the noise floor adds in power (a few thousandths of a dB).
  EXPECT_NEAR(points[2000].level, -10.05 - 0.66, 0.002);
  EXPECT_NEAR(points[7000].level, -10.05 - 0.33 * 7 - 0.5, 0.002);
  EXPECT_NEAR(points[10010].level - (points[9990].level - 0.33 * 0.020), ReflectionHeightDb(spec, -45.0), 0.003);
  EXPECT_NEAR(points[12000].level, -10.05 - 0.33 * 12 - 0.8, 0.003);
  double floorMean = 0.0;
  for (int i = 16000; i < 20000; ++i) {
    floorMean += points[i].level;
    EXPECT_EQ(std::round(points[i].level * 1000.0f) / 1000.0f, points[i].level);
  }
  EXPECT_NEAR(floorMean / 4000, spec.noiseFloorDb, 0.02);
}

TEST(SyntheticTraceTest, NoiseStartsAtTheEndOfTheFibre) {
  for (double slope : {-0.2, -0.33}) {
    const SyntheticTraceSpec spec = Link(slope);
    const auto points = MakeSyntheticTrace(spec);
    int ns = 0;
    FindNoiseStart(points, ns, ComputeNoiseReference(), MakeSyntheticParams(spec));
    EXPECT_GE(ns, 15000) << slope;
    EXPECT_LE(ns, 15050) << slope;
  }
}

TEST(SyntheticTraceTest, BackscatterEstimateFindsTheFibre) {
  for (double slope : {-0.2, -0.33}) {
    SyntheticTraceSpec spec = Link(slope);
    spec.steps.clear();
    spec.reflections.clear();
    const auto points = MakeSyntheticTrace(spec);
    SlopeVoteBuffers votes;
    float bs = 0.0f, intercept = 0.0f;
    EstimateBackscatterSlope(points, 0, 15000, bs, intercept, 1550.0, ComputeNoiseReference(), votes);
    EXPECT_NEAR(bs, slope, 0.0101) << slope;
    EXPECT_NEAR(intercept, -10.05, 0.1001) << slope;
  }
}

TEST(SyntheticTraceTest, LossesReflectanceAndLevelsMatchTheLink) {
  for (double slope : {-0.2, -0.33}) {
    const SyntheticTraceSpec spec = Link(slope);
    const auto points = MakeSyntheticTrace(spec);
    auto events = LinkEvents(points);
    ComputeEventLoss(points, events, 3, static_cast<float>(slope), 1550.0);
    EXPECT_NEAR(events[1].loss, 0.5f, 0.01) << slope;
    EXPECT_NEAR(events[2].loss, 0.3f, 0.01) << slope;

    ComputeReflectance(points, events, 3, MakeSyntheticParams(spec));
    EXPECT_NEAR(events[2].reflectance, -45.0f, 0.1) << slope;

    ComputeEventLevels(points, events, 3, spec.wavelengthNm);
    EXPECT_NEAR(events[0].level, -10.05f, 0.01) << slope;
    EXPECT_NEAR(events[1].cumulativeLoss, -slope * 5.0, 0.01) << slope;
    EXPECT_NEAR(events[2].cumulativeLoss, -slope * 10.0 + 0.5, 0.01) << slope;
  }
}

TEST(SyntheticTraceTest, PulseShapedEventsSpreadOverThePulse) {
  SyntheticTraceSpec spec = Link(-0.33);
  spec.noiseSigmaDb = 0.0;
  spec.pulseShaped = true;
  spec.pulseWidthNs = 1000;  // 100 samples
  spec.reflections[0].widthSamples = 0;
  const auto points = MakeSyntheticTrace(spec);
  // Within the pulse behind the splice the light comes partly from behind it.
  EXPECT_LT(points[5050].level, points[4990].level - 0.1);
  EXPECT_GT(points[5050].level, points[5110].level + 0.1);
  // The reflection rises over a few samples and its tail falls after the pulse.
  EXPECT_LT(points[10000].level, points[10050].level - 1.0);
  EXPECT_GT(points[10105].level, points[10300].level + 0.1);
  // The fibre end falls over the pulse into the floor.
  EXPECT_GT(points[15050].level, spec.noiseFloorDb + 10.0);
  EXPECT_NEAR(points[15250].level, spec.noiseFloorDb, 0.05);
}

TEST(SyntheticTraceTest, AnEventsSampleIsTheLastInFrontOfIt) {
  // Instruments store an event at the last sample the event leaves untouched (the foot of a
  // reflection, the last sample on the line in front of a step); the generator builds it there.
  for (const bool pulseShaped : {false, true}) {
    SCOPED_TRACE(pulseShaped);
    SyntheticTraceSpec spec = Link(-0.33);
    spec.noiseSigmaDb = 0.0;
    spec.quantise = false;
    spec.pulseShaped = pulseShaped;
    const auto points = MakeSyntheticTrace(spec);
    // The step from the sample before: the fibre's own at the event's sample, the event's behind it.
    const auto step = [&](int i) { return points[i].level - points[i - 1].level; };
    const double fibreStep = -0.33 * spec.spacingKm;
    EXPECT_NEAR(step(5000), fibreStep, 1e-4) << "splice";
    EXPECT_LT(step(5001), fibreStep - 5e-4) << "splice";
    EXPECT_NEAR(step(10000), fibreStep, 1e-4) << "connector";
    EXPECT_GT(step(10001), 0.05) << "connector";
  }
}

}  // namespace
