#include "analysis/event_filters.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "event_fixtures.h"

namespace {

constexpr float kBs = -0.33f;

NoiseWindowTable NoiseOf(int n, float value) {
  NoiseWindowTable table;
  table.values.assign(static_cast<std::size_t>((n + kNoiseWindowLength - 1) / kNoiseWindowLength), value);
  return table;
}

// A fibre whose level drops by `step` dB at sample `at`.
std::vector<TracePoint> FibreWithStep(int n, int at, double step, double start = -10.0) {
  return TraceOf(n, 0.001, [=](double x) { return start - 0.33 * x - (x >= at * 0.001 - 1e-9 ? step : 0.0); });
}

// A launch, an event of `firstType` at sample 1000 and a non-reflective one `apart` samples behind
// it, each with windows a few samples off its own pulse.
std::vector<AnalysisEvent> PairBehindLaunch(EventRowType firstType, float firstLoss, float secondLoss, int apart) {
  const int at = 1000 + apart;
  AnalysisEvent second = EventAt(kEventNonReflective, at, secondLoss, {at - 10, at - 5, at + 5, at + 200});
  second.endIndex = at + 5;
  return {LaunchEvent(), EventAt(firstType, 1000, firstLoss, {800, 995, 1005, 1010}), second};
}

struct QuickCase {
  const char* name;
  float loss;
  float threshold;
  double traceStart;  // dB at distance 0; -45 lies 3.5 dB above the reference
  float noise;
  bool kept;
};

TEST(SpliceThresholdQuickTest, DropsBelowThresholdAndWithinLocalNoise) {
  const QuickCase cases[] = {
      {"below the threshold", 0.15f, 0.2f, -10.0, 0.0f, false},
      {"above the threshold", 0.25f, 0.2f, -10.0, 0.0f, true},
      {"negligible without threshold", 0.005f, 0.0f, -10.0, 0.0f, false},
      // The 32-bit loss nearest 0.01 dB lies just below it.
      {"0.01 dB as stored", 0.01f, 0.0f, -10.0, 0.0f, false},
      {"noise capped far above the reference", 0.25f, 0.2f, -10.0, 1.0f, true},
      {"noise near the reference", 0.25f, 0.2f, -45.0, 0.2f, false},
      {"clears the noise near the reference", 0.35f, 0.2f, -45.0, 0.2f, true},
      {"noise capped at 0.3 between 7 and 10 dB", 0.25f, 0.2f, -40.0, 1.0f, false},
      {"gain judged by magnitude", -0.25f, 0.2f, -10.0, 0.0f, true},
  };
  for (const QuickCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto points = FibreLine(3000, c.traceStart);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, c.loss, {800, 997, 1003, 1200})};
    const int count = ApplySpliceThresholdQuick(events, 2, points, c.threshold, Reference(), NoiseOf(3000, c.noise));
    EXPECT_EQ(count, c.kept ? 2 : 1);
    EXPECT_EQ(events[0].type, kEventLaunch);
  }
}

TEST(SpliceThresholdQuickTest, KeepsEndAndReflectiveEvents) {
  const auto points = FibreLine(3000);
  AnalysisEvent end = EventAt(kEventNonReflective, 2000, 0.0001f, {2000, 2000, 2000, 2000});
  end.endFlag = kEndFlag;
  std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventReflective, 1000, 0.0f, {800, 997, 1010, 1200}), end};
  EXPECT_EQ(ApplySpliceThresholdQuick(events, 3, points, 0.2f, Reference(), NoiseOf(3000, 0.0f)), 3);
  EXPECT_EQ(events[2].endFlag, kEndFlag);
}

TEST(SpliceThresholdTest, DropsCrowdedSplicesAndReestimatesFromShortWindows) {
  // A 0.3 dB step at 1 km, behind a reflection at 0.5 km.
  const auto points = FibreWithStep(3000, 1000, 0.3);
  struct Case {
    const char* name;
    float loss;
    std::array<int, 4> windows;
    bool kept;
    float reported;
  } cases[] = {
      {"below the threshold", 0.15f, {800, 997, 1003, 1200}, false, 0.0f},
      {"close behind the reflection", 0.8f, {512, 515, 520, 700}, false, 0.0f},
      {"no room between its windows", 0.8f, {800, 997, 999, 1200}, false, 0.0f},
      {"short windows measure the step", 0.8f, {960, 997, 1003, 1040}, true, 0.3f},
      {"long windows keep the loss", 0.8f, {800, 997, 1003, 1200}, true, 0.8f},
      {"a large loss is not crowded out", 2.5f, {800, 997, 999, 1200}, true, 2.5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventReflective, 500, 0.2f, {300, 497, 510, 700}, -40.0f),
                                      EventAt(kEventNonReflective, c.windows[1] + 2, c.loss, c.windows)};
    ASSERT_EQ(ApplySpliceThreshold(events, 3, points, kBs, 0.2f, Reference(), NoiseOf(3000, 0.0f)), c.kept ? 3 : 2);
    if (c.kept) {
      EXPECT_NEAR(events[2].loss, c.reported, 0.002);
    }
  }
}

// A fibre at 1 m spacing whose samples alternate `ripple` dB above and below the line.
std::vector<TracePoint> RippledFibre(int n, double ripple) {
  auto points = FibreLine(n);
  for (int i = 0; i < n; ++i) points[static_cast<std::size_t>(i)].level += static_cast<float>(i % 2 == 0 ? ripple : -ripple);
  return points;
}

TEST(DropLossBelowNoiseCapTest, ThresholdFollowsTheWindowDeviationUpToItsCap) {
  // The window deviation D is a third of the ripple; the threshold is 4 D, 3 D from 0.6 dB on,
  // capped by D's band.
  struct Case {
    double ripple;
    float dropped, kept;
  } cases[] = {
      {0.009, 0.009f, 0.015f},  // D 0.003: 4 D = 0.012 below the 0.02 cap
      {0.03, 0.025f, 0.035f},   // D 0.01: capped at 0.03
      {0.06, 0.035f, 0.045f},   // D 0.02: capped at 0.04
      {0.18, 0.07f, 0.09f},     // D 0.06: capped at 0.08
      {0.9, 0.45f, 0.55f},      // D 0.3: 3 D = 0.9, capped at 0.5
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ripple);
    const auto raw = RippledFibre(3000, c.ripple);
    for (const auto& [loss, kept] : {std::pair{c.dropped, false}, std::pair{c.kept, true}}) {
      std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, loss, {800, 997, 1003, 1200})};
      EXPECT_EQ(DropLossBelowNoiseCap(events, 2, raw), kept ? 2 : 1) << loss;
    }
  }
}

TEST(DropLossBelowFitNoiseTest, LossMustExceedTheFitNoiseAndTheBackscatterAcrossTheEvent) {
  // The windows lie 1 km apart, so the backscatter drop across the event is |bs| dB.
  struct Case {
    const char* name;
    double wavelength;
    float bs;
    double ripple;  // each window adds a third of it
    float loss;
    bool kept;
  } cases[] = {
      {"implausible slope replaced by -0.3 at 1550 nm", 1550.0, -0.9f, 0.0, 0.35f, true},
      {"implausible slope replaced, loss below", 1550.0, -0.9f, 0.0, 0.25f, false},
      {"any slope used in a multimode band", 1300.0, -0.9f, 0.0, 0.5f, false},
      {"plausible slope used", 1550.0, -0.4f, 0.0, 0.45f, true},
      {"plausible slope used, loss below", 1550.0, -0.4f, 0.0, 0.35f, false},
      {"noisy windows", 1550.0, -0.4f, 0.3, 0.5f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto raw = RippledFibre(3000, c.ripple);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, c.loss, {300, 500, 1500, 1700})};
    EXPECT_EQ(DropLossBelowFitNoise(events, 2, raw, raw, c.bs, c.wavelength), c.kept ? 2 : 1);
  }
}

TEST(DropAtFilterPositionTest, DropsOnlySmallLossesBetweenTheWindows) {
  struct Case {
    int position;
    float loss;
    bool kept;
  } cases[] = {{1000, 0.1f, false}, {1000, 0.3f, true}, {1500, 0.1f, true}, {997, 0.1f, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, c.loss, {800, 997, 1003, 1200})};
    EXPECT_EQ(DropAtFilterPosition(events, 2, c.position), c.kept ? 2 : 1);
  }
}

TEST(ReflectionThresholdTest, FloorsAtMinus78ThenComparesMagnitudes) {
  struct Case {
    float reflectance;
    float threshold;
    int endFlag;
    bool kept;
    float reported;
  } cases[] = {
      {-60.0f, -52.0f, 0, false, 0.0f},   {-45.0f, -52.0f, 0, true, -45.0f},
      {-85.0f, -52.0f, 0, false, 0.0f},   {-85.0f, -80.0f, 0, true, -78.0f},
      {-60.0f, -52.0f, kEndFlag, true, -60.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reflectance);
    AnalysisEvent launch = LaunchEvent();
    launch.reflectance = -90.0f;
    AnalysisEvent reflection = EventAt(kEventReflective, 1000, 0.2f, {800, 997, 1010, 1200}, c.reflectance);
    reflection.endFlag = c.endFlag;
    std::vector<AnalysisEvent> events{launch, reflection};
    ASSERT_EQ(ApplyReflectionThreshold(events, 2, c.threshold), c.kept ? 2 : 1);
    EXPECT_EQ(events[0].reflectance, -90.0f);
    if (c.kept) {
      EXPECT_EQ(events[1].reflectance, c.reported);
    }
  }
}

TEST(NonReflectiveAfterReflectionTest, NeedsTwoPulseLengthsOfPlausibleFibre) {
  // 1 us at 1 m spacing: 100 samples per pulse, so 200 samples between reflection and event.
  const auto fibre = FibreLine(6000);
  const auto steep = TraceOf(6000, 0.001, [](double x) { return x < 1.0 ? -10.0 - 0.33 * x : -10.33 - 2.0 * (x - 1.0); });
  struct Case {
    const char* name;
    const std::vector<TracePoint>* trace;
    int m1;
    bool kept;
    int m0;
  } cases[] = {
      {"15 samples behind", &fibre, 1035, false, 0},
      {"on plain fibre", &fibre, 1300, true, 1020},
      {"on a steep section", &steep, 1300, false, 0},
      {"window capped at 1000 samples", &fibre, 3000, true, 2000},
  };
  AnalysisParams params;
  params.pulseWidth = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AnalysisContext context{*c.trace, *c.trace, kBs, -10.0f, 5999, 6000, Reference()};
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventReflective, 1000, 0.3f, {800, 997, 1020, 1200}, -40.0f),
                                      EventAt(kEventNonReflective, c.m1 + 3, 0.5f, {c.m1 - 100, c.m1, c.m1 + 6, c.m1 + 200})};
    ASSERT_EQ(DropNonReflectiveAfterReflection(context, params, events, 3), c.kept ? 3 : 2);
    if (c.kept) {
      EXPECT_EQ(events[2].markers[0], c.m0);
    }
  }
}

TEST(DropCrossingSectionsTest, DropsOnlyWhenTheLinesCrossBetweenTheWindows) {
  auto lineLeft = [](double x) { return -10.0 - 0.33 * x; };
  struct Case {
    const char* name;
    std::vector<TracePoint> trace;
    bool kept;
  } cases[] = {
      {"bend between the windows", TraceOf(2000, 0.001, [&](double x) { return x < 1.0 ? lineLeft(x) : lineLeft(1.0) - 3.0 * (x - 1.0); }), false},
      {"lines cross before m1", TraceOf(2000, 0.001, [&](double x) { return x < 1.0 ? lineLeft(x) : lineLeft(0.8) - 3.0 * (x - 0.8); }), true},
      {"parallel flat sections", TraceOf(2000, 0.001, [](double x) { return x < 1.0 ? -8.0 : -16.0; }), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, 0.5f, {500, 990, 1010, 1500})};
    EXPECT_EQ(DropCrossingSections(events, 2, c.trace, 1999), c.kept ? 2 : 1);
  }
}

TEST(SpliceThresholdLongRangeTest, DropsWeakLossesNearTheNoiseOnLongRanges) {
  struct Case {
    float range;
    double traceStart;
    float loss;
    bool kept;
  } cases[] = {{240.0f, -45.0, 1.0f, false}, {100.0f, -45.0, 1.0f, true}, {240.0f, -10.0, 1.0f, true},
               {240.0f, -45.0, 1.3f, true},  {100.0f, -10.0, 0.15f, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.range);
    AnalysisParams params;
    params.range = c.range;
    params.nonReflectionThreshold = 0.2f;
    const auto points = FibreLine(3000, c.traceStart);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, c.loss, {800, 997, 1003, 1200})};
    EXPECT_EQ(ApplySpliceThresholdLongRange(events, 2, points, Reference(), params), c.kept ? 2 : 1);
  }
}

TEST(MergeAdjacentNonReflectiveTest, MergesATouchingEventIntoThePreviousOne) {
  // A 1 dB step at 1000 fills the window in front of the second event, so it shows no step of its own.
  const auto raw = FibreWithStep(3000, 1000, 1.0);
  struct Case {
    const char* name;
    EventRowType previousType;
    float loss;
    bool merged;
  } cases[] = {
      {"small loss", kEventNonReflective, 0.5f, true},
      {"large loss behind a splice", kEventNonReflective, 1.5f, false},
      {"large loss behind a reflection", kEventReflective, 1.5f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnalysisEvent second = EventAt(kEventNonReflective, 1008, c.loss, {1006, 1007, 1012, 1300});
    second.endIndex = 1011;
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(c.previousType, 1000, 1.0f, {800, 997, 1003, 1006}), second};
    const int count = MergeAdjacentNonReflective(events, 3, raw, raw, Reference());
    ASSERT_EQ(count, c.merged ? 2 : 3);
    if (c.merged) {
      EXPECT_EQ(events[1].markers[2], 1012);
      EXPECT_EQ(events[1].markers[3], 1300);
      EXPECT_EQ(events[1].endIndex, 1011);
    }
  }
}

TEST(MergeAdjacentNonReflectiveTest, KeepsAnEventWithAClearStepOfItsOwn) {
  const auto raw = FibreLine(3000);
  AnalysisEvent second = EventAt(kEventNonReflective, 1008, 0.5f, {1006, 1007, 1012, 1300});
  std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, 1.0f, {800, 997, 1003, 1006}), second};
  EXPECT_EQ(MergeAdjacentNonReflective(events, 3, raw, raw, Reference()), 3);
}

TEST(MergeReflectionRiseAndFallTest, AGainAndTheLossBehindItWithinTwoPulsesAreOneEvent) {
  constexpr int kPulse = 50;
  struct Case {
    const char* name;
    EventRowType firstType;
    float firstLoss;
    float secondLoss;
    int apart;
    bool merged;
  } cases[] = {
      {"rise and fall of a weak reflection", kEventNonReflective, -2.7f, 3.1f, 70, true},
      {"gain and loss two pulses apart", kEventNonReflective, -0.3f, 0.3f, 2 * kPulse, true},
      {"gain and loss further apart", kEventNonReflective, -0.3f, 0.3f, 2 * kPulse + 1, false},
      {"loss in front of a gain", kEventNonReflective, 0.3f, -0.3f, 70, false},
      {"two losses", kEventNonReflective, 0.3f, 0.3f, 70, false},
      {"loss behind a reflection", kEventReflective, -0.3f, 0.3f, 70, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int at = 1000 + c.apart;
    std::vector<AnalysisEvent> events = PairBehindLaunch(c.firstType, c.firstLoss, c.secondLoss, c.apart);
    const int count = MergeReflectionRiseAndFall(events, 3, kPulse);
    ASSERT_EQ(count, c.merged ? 2 : 3);
    if (c.merged) {
      EXPECT_EQ(events[1].sampleIndex, 1000);
      EXPECT_EQ(events[1].markers[1], 995);
      EXPECT_EQ(events[1].markers[2], at + 5);
      EXPECT_EQ(events[1].markers[3], at + 200);
      EXPECT_EQ(events[1].endIndex, at + 5);
    }
  }
}

TEST(MergeSplitStepsTest, SameSignStepsWithinOnePulseAreOneStepAtTheLarger) {
  constexpr int kPulse = 50;
  struct Case {
    const char* name;
    EventRowType firstType;
    float firstLoss;
    float secondLoss;
    int apart;
    int placedAt;  // 0: not merged
  } cases[] = {
      {"two parts of a loss, the later larger", kEventNonReflective, 0.04f, 0.06f, 30, 1030},
      {"two parts of a loss, the earlier larger", kEventNonReflective, 0.06f, 0.04f, 30, 1000},
      {"two parts of a gain", kEventNonReflective, -0.04f, -0.06f, kPulse - 1, 1000 + kPulse - 1},
      {"losses a pulse apart", kEventNonReflective, 0.04f, 0.06f, kPulse, 0},
      {"a loss and a gain", kEventNonReflective, 0.04f, -0.06f, 30, 0},
      {"a loss behind a reflection", kEventReflective, 0.04f, 0.06f, 30, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int at = 1000 + c.apart;
    std::vector<AnalysisEvent> events = PairBehindLaunch(c.firstType, c.firstLoss, c.secondLoss, c.apart);
    const int count = MergeSplitSteps(events, 3, kPulse);
    ASSERT_EQ(count, c.placedAt != 0 ? 2 : 3);
    if (c.placedAt != 0) {
      EXPECT_EQ(events[1].sampleIndex, c.placedAt);
      EXPECT_EQ(events[1].markers[0], 800);
      EXPECT_EQ(events[1].markers[1], 995);
      EXPECT_EQ(events[1].markers[3], at + 200);
      EXPECT_EQ(events[1].endIndex, at + 5);
    }
  }
}

TEST(RefineLossAndNoiseCheckTest, WidensShortWindowsAndMeasuresTheStep) {
  const auto points = FibreWithStep(6000, 1000, 0.5);
  std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, 0.8f, {950, 997, 1003, 1050}),
                                    EventAt(kEventNonReflective, 5000, 0.5f, {4000, 4997, 5003, 5200})};
  ASSERT_EQ(RefineLossAndNoiseCheck(events, 3, points, kBs, Reference(), NoiseOf(6000, 0.0f)), 3);
  EXPECT_EQ(events[1].markers[0], 897);
  EXPECT_EQ(events[1].markers[3], 1103);
  EXPECT_NEAR(events[1].loss, 0.5, 0.002);
}

TEST(RefineLossAndNoiseCheckTest, DropsASmallLossRightBehindAReflection) {
  const auto points = FibreLine(3000);
  std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventReflective, 1000, 0.3f, {800, 997, 1010, 1015}, -40.0f),
                                    EventAt(kEventNonReflective, 1020, 0.3f, {1015, 1017, 1023, 1200})};
  EXPECT_EQ(RefineLossAndNoiseCheck(events, 3, points, kBs, Reference(), NoiseOf(3000, 0.0f)), 2);
}

TEST(AbsorbReflectionTailTest, TailEventsGoToTheReflection) {
  const auto raw = FibreLine(3000);
  struct Case {
    const char* name;
    int reflectionM2, m1;
    float loss;
    int count;  // of the three events
    bool absorbed;
  } cases[] = {
      {"tiny loss close behind", 1010, 1030, 0.05f, 2, true},
      {"small loss on plain fibre", 1010, 1030, 0.15f, 3, false},
      {"tiny loss inside the reflection's own span", 1060, 1070, 0.05f, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventReflective, 998, 0.2f, {800, 997, c.reflectionM2, c.m1}, -40.0f),
                                      EventAt(kEventNonReflective, c.m1 + 3, c.loss, {c.m1 - 20, c.m1, c.m1 + 6, c.m1 + 300})};
    ASSERT_EQ(AbsorbReflectionTail(events, 3, raw, kBs, Reference(), 1550.0, 1000), c.count);
    // Absorbing hands the right window over; dropping leaves the reflection as it was.
    EXPECT_EQ(events[1].markers[2], c.absorbed ? c.m1 + 6 : c.reflectionM2);
    EXPECT_EQ(events[1].markers[3], c.absorbed ? c.m1 + 300 : c.m1);
  }
}

TEST(AbsorbReflectionTailTest, ReadsTheTailWindowFromTheFirstSampleOn) {
  // A reflection at the very start whose tail still falls where the pulse-long window would begin
  // in front of the trace.
  const auto raw = TraceOf(3000, 0.001, [](double x) { return x < 0.06 ? -40.0 + (0.06 - x) * 20.0 : -40.0 - 0.33 * x; });
  std::vector<AnalysisEvent> events{EventAt(kEventReflective, 1, 0.2f, {0, 2, 5, 60}, -40.0f),
                                    EventAt(kEventNonReflective, 63, 0.5f, {40, 60, 66, 360})};
  ASSERT_EQ(AbsorbReflectionTail(events, 2, raw, kBs, Reference(), 1550.0, 1000), 1);
  EXPECT_EQ(events[0].markers[2], 66);
  EXPECT_EQ(events[0].markers[3], 360);
}

TEST(DropSpliceBeforeReflectionTest, DropsASmallSpliceSqueezedInFront) {
  const auto raw = FibreLine(3000);
  struct Case {
    const char* name;
    int gap;
    float loss;
    bool kept;
  } cases[] = {
      {"very close, small", 5, 0.15f, false},
      {"very close but standing out", 5, 0.3f, true},
      {"close on plain fibre", 20, 0.15f, true},
      {"far enough", 40, 0.15f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int m2 = 1003;
    const int next = m2 + c.gap;
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, c.loss, {800, 997, m2, next}),
                                      EventAt(kEventReflective, next + 3, 0.3f, {m2, next, next + 20, next + 300}, -40.0f),
                                      EventAt(kEventNonReflective, 2500, 0.5f, {2400, 2497, 2503, 2700})};
    EXPECT_EQ(DropSpliceBeforeReflection(events, 4, raw, kBs, 1550.0, Reference()), c.kept ? 4 : 3);
  }
}

}  // namespace
