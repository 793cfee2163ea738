// The noise a step must stand out of, taken where the step is: pulse noise measured around an event,
// the filter that drops steps within it, and the reflection that drops a trace into the noise.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "analysis/event_filters.h"
#include "analysis/fall_into_noise.h"
#include "analysis/pulse_noise.h"
#include "event_fixtures.h"
#include "synthetic_trace.h"

namespace {

// 300 ns at 1 m on a 40 km link whose noise grows towards the far end.
SyntheticTraceSpec NoisyLink() { return InstrumentLongLinkSpec(300, 1.0, 0.1); }

TEST(PulseNoiseTest, MeasuresTheNoiseWhereTheEventIsAndNotTheStep) {
  const SyntheticTraceSpec spec = NoisyLink();
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  const int p = PulseSamples(spec);
  // Between the splices from the first third of the link to its far end, where the noise grows
  // sevenfold: the noise there, as far as a few dozen pulse lengths tell it.
  for (const double km : {18.0, 30.0, 38.0}) {
    SCOPED_TRACE(km);
    const double expected = PulseAveragedNoiseDb(spec, BackscatterLevelDb(spec, km));
    const int at = static_cast<int>(km / spec.spacingKm);
    EXPECT_NEAR(PulseNoiseAt(trace, at, p, at - 16 * p, at + 16 * p), expected, 0.4 * expected);
  }
  // At a 0.2 dB splice, twenty times the noise there, the step itself is left out.
  const int splice = static_cast<int>(12.0 / spec.spacingKm);
  const double beside = PulseNoiseAt(trace, splice + 40 * p, p, splice + 24 * p, splice + 56 * p);
  EXPECT_LT(PulseNoiseAt(trace, splice, p, splice - 16 * p, splice + 16 * p), 2.0 * beside);
}

TEST(PulseNoiseTest, TooFewSamplesAroundGiveNoNoise) {
  EXPECT_EQ(PulseNoiseAt(FibreLine(10), 5, 4, 0, 10), 0.0);
}

TEST(DropLossWithinPulseNoiseTest, KeepsStepsThatStandOutOfTheNoiseAroundThem) {
  const SyntheticTraceSpec spec = NoisyLink();
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  const int p = PulseSamples(spec);
  const int quiet = static_cast<int>(6.0 / spec.spacingKm);
  const int noisy = static_cast<int>(38.0 / spec.spacingKm);
  struct Case {
    const char* name;
    int index;
    EventRowType type;
    float loss;
    bool kept;
  };
  // About 0.005 dB of pulse noise at 6 km, 0.08 dB at 38 km.
  const Case cases[] = {
      {"0.1 dB where the trace is quiet", quiet, kEventNonReflective, 0.1f, true},
      {"0.1 dB where the noise is as large", noisy, kEventNonReflective, 0.1f, false},
      {"a gain judged by its size", noisy, kEventNonReflective, -0.1f, false},
      {"0.5 dB out of the noise", noisy, kEventNonReflective, 0.5f, true},
      {"a reflection is never a step", noisy, kEventReflective, 0.1f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(c.type, c.index, c.loss, {0, c.index - 3, c.index + 3, 0})};
    EXPECT_EQ(DropLossWithinPulseNoise(events, 2, trace, p), c.kept ? 2 : 1);
  }
}

// A fibre at -20 dB with a reflection at sample 1000 behind which the trace falls by `dropDb` over
// `fallSamples` and stays there; 1 m spacing.
std::vector<TracePoint> FallBehindReflection(double dropDb, int fallSamples) {
  return TraceOf(3000, 0.001, [=](double x) {
    const double i = x / 0.001;
    const double fibre = -20.0 - 0.33 * x;
    if (i < 1000.0) return fibre;
    if (i < 1010.0) return fibre + 10.0;
    return fibre - dropDb * std::min(1.0, (i - 1010.0) / fallSamples);
  });
}

TEST(FallIntoNoiseTest, AReflectionThatDropsTheTraceByTheEndThresholdEndsTheSearch) {
  struct Case {
    const char* name;
    double dropDb;
    int fallSamples;
    bool falls;
  };
  const Case cases[] = {
      {"a connector's loss", 0.5, 10, false},
      {"just under the end threshold", 2.9, 10, false},
      {"a drop into the noise", 8.0, 10, true},
      {"a receiver recovering over 300 m", 8.0, 300, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<TracePoint> trace = FallBehindReflection(c.dropDb, c.fallSamples);
    const std::optional<int> bottom = FallIntoNoise(trace, 1000, 1012, 2999, -0.33, 3.0, 10);
    ASSERT_EQ(bottom.has_value(), c.falls);
    if (bottom) {
      EXPECT_GE(*bottom, 1010 + c.fallSamples - 20);
    }
  }
}

TEST(FallIntoNoiseTest, TheReflectionsLossIsMeasuredOverItsFall) {
  std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventReflective, 1000, 1.0f, {800, 997, 1013, 1060}),
                                    EventAt(kEventNonReflective, 2000, 0.2f, {1900, 1997, 2003, 2100})};
  MeasureOverFall(events, 3, 1000, 1400, 10, 3000);
  EXPECT_EQ(events[1].markers[2], 1400);
  EXPECT_EQ(events[1].markers[3], 1420);
  // Other events keep their windows, and a fall that ends inside the window moves nothing.
  EXPECT_EQ(events[2].markers[2], 2003);
  MeasureOverFall(events, 3, 1000, 1200, 10, 3000);
  EXPECT_EQ(events[1].markers[2], 1400);
}

}  // namespace
