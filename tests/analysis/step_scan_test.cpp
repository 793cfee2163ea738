// Steps read over long stretches of trace whose noise is correlated over a pulse length, and the
// splices the slope search listed checked against them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "analysis/event_list_helpers.h"
#include "analysis/step_reconciliation.h"
#include "analysis/step_scan.h"
#include "event_fixtures.h"
#include "synthetic_trace.h"

namespace {

constexpr int kSeeds = 20;
// Noise alone reads a step now and then: in one seed of twenty at most.
constexpr int kSeedsThatMayRead = 1;
constexpr double kThresholdDb = 0.05;

// 300 ns at 1 m: a 40 km link at 1550 nm with no splices, instrument noise of 0.02 dB in front of
// its end, less towards the launch; tests add steps.
SyntheticTraceSpec QuietLink() {
  SyntheticTraceSpec spec = InstrumentLongLinkSpec(300, 1.0, 0.02);
  spec.steps.clear();
  return spec;
}

int SampleAt(const SyntheticTraceSpec& spec, double km) { return static_cast<int>(std::lround(km / spec.spacingKm)); }

std::vector<ScannedStep> Scan(const SyntheticTraceSpec& spec, const std::vector<TracePoint>& trace, double fromKm,
                              double toKm, std::vector<SampleSpan> changes = {}) {
  StepScanBuffers buffers;
  return ScanSteps(trace, SampleAt(spec, fromKm), SampleAt(spec, toKm), PulseSamples(spec), std::move(changes),
                   kThresholdDb, buffers);
}

std::string Listed(const SyntheticTraceSpec& spec, const std::vector<ScannedStep>& steps) {
  std::string text;
  for (const ScannedStep& s : steps) {
    text += std::to_string(s.at * spec.spacingKm) + " km " + std::to_string(s.loss) + " dB; ";
  }
  return text;
}

TEST(ScanStepsTest, ReadsEachStepAtItsPlaceWithItsLossInEverySeed) {
  struct Case {
    const char* name;
    std::vector<SyntheticStep> steps;
  };
  const Case cases[] = {
      {"splices of 0.1 to 0.3 dB", {{4.0, 0.1}, {8.0, 0.3}, {12.0, 0.15}}},
      {"a gainer between splices", {{4.0, 0.2}, {8.0, -0.15}, {12.0, 0.1}}},
      {"two splices five pulse lengths apart", {{6.0, 0.2}, {6.15, 0.2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SyntheticTraceSpec spec = QuietLink();
    spec.steps = c.steps;
    const int p = PulseSamples(spec);
    for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
      spec.seed = seed;
      const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
      const std::vector<ScannedStep> found = Scan(spec, trace, 1.0, 15.0);
      SCOPED_TRACE("seed " + std::to_string(seed) + ": " + Listed(spec, found));
      ASSERT_EQ(found.size(), c.steps.size());
      for (std::size_t k = 0; k < found.size(); ++k) {
        EXPECT_NEAR(found[k].at, SampleAt(spec, c.steps[k].distanceKm), p);
        EXPECT_NEAR(found[k].loss, c.steps[k].lossDb, 0.03);
        EXPECT_GT(found[k].sigma, 0.0);
        EXPECT_LT(found[k].sigma, std::fabs(found[k].loss) / 5.0);
      }
    }
  }
}

TEST(ScanStepsTest, ReadsNoStepWhereTheFibreHasNone) {
  struct Case {
    const char* name;
    SyntheticTraceSpec spec;
    double fromKm;
    double toKm;
  };
  // Straight fibre, quiet and then noisy; the fibre running on until its backscatter nears the
  // floor, where the trace bends; a reflection's dead zone dying away behind it.
  SyntheticTraceSpec intoFloor = InstrumentLongLinkSpec(300, 1.0, 0.1);
  intoFloor.steps.clear();
  intoFloor.reflections = {{60.0, -30.0}};
  intoFloor.fibreEndKm = 60.0;
  SyntheticTraceSpec recovering = QuietLink();
  recovering.reflections.insert(recovering.reflections.begin(), {5.0, -35.0});
  const int p = PulseSamples(recovering);
  const double clear = 2.0 * p * recovering.spacingKm;
  const Case cases[] = {
      {"quiet fibre", QuietLink(), 1.0, 20.0},
      {"noisy fibre", InstrumentLongLinkSpec(300, 1.0, 0.1), 28.5, 31.5},
      {"backscatter nearing the floor", intoFloor, 36.0, 43.0},
      {"a reflection's dead zone", recovering, 5.0 + clear, 12.0},
  };
  for (const Case& c : cases) {
    int quiet = 0;
    for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
      SyntheticTraceSpec spec = c.spec;
      spec.seed = seed;
      const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
      const std::vector<ScannedStep> found = Scan(spec, trace, c.fromKm, c.toKm);
      if (found.empty()) ++quiet;
      else std::cout << c.name << ", seed " << seed << ": " << Listed(spec, found) << "\n";
    }
    EXPECT_GE(quiet, kSeeds - kSeedsThatMayRead) << c.name;
  }
}

TEST(ScanStepsTest, StretchesTooShortToReadGiveNothing) {
  const SyntheticTraceSpec spec = QuietLink();
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  const int p = PulseSamples(spec);
  EXPECT_FALSE(ScanReaches(1000, 1000 + 4 * p, p));
  EXPECT_TRUE(ScanReaches(1000, 1000 + 5 * p, p));
  StepScanBuffers buffers;
  EXPECT_TRUE(ScanSteps(trace, 1000, 1000 + 4 * p, p, {}, kThresholdDb, buffers).empty());
  EXPECT_TRUE(ScanSteps(trace, -50, 10, p, {}, kThresholdDb, buffers).empty());
  const int n = static_cast<int>(trace.size());
  EXPECT_TRUE(ScanSteps(trace, n - 10, n + 500, p, {}, kThresholdDb, buffers).empty());
}

// A step under the threshold, and the change known where a step lies, still bound the fibre slope
// the step is read against: a clean 0.5 dB splice reads 0.5 dB.
TEST(ScanStepsTest, AStepUnderTheThresholdBendsNoSlope) {
  SyntheticTraceSpec spec = CleanFibreSpec(20000, -0.2);
  spec.pulseWidthNs = 1000;
  spec.steps = {{5.0, 0.2}, {12.0, 0.5}};
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  const int p = PulseSamples(spec);
  const int splice = SampleAt(spec, 12.0);
  StepScanBuffers buffers;
  const std::vector<ScannedStep> found =
      ScanSteps(trace, 500, 19000, p, {{splice - p / 2, splice + p}}, 0.25, buffers);
  ASSERT_EQ(found.size(), 1u) << Listed(spec, found);
  EXPECT_NEAR(found[0].at, splice, p);
  EXPECT_NEAR(found[0].loss, 0.5, 0.01);
}

// Where the noise grows, the slope search lists changes that are no steps, a few pulse lengths
// apart, and the slope fitted between them alone reads a real step with much of their noise.
TEST(ScanStepsTest, ReadsAStepBetweenChangesTheNoiseMade) {
  SyntheticTraceSpec spec = InstrumentLongLinkSpec(300, 1.0, 0.1);
  const int p = PulseSamples(spec);
  std::vector<SampleSpan> noiseMade;
  for (const double km : {30.6, 31.3, 32.7, 33.4}) noiseMade.push_back({SampleAt(spec, km), SampleAt(spec, km) + p});
  int read = 0;
  for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
    spec.seed = seed;
    const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
    const std::vector<ScannedStep> found = Scan(spec, trace, 1.0, 39.5, noiseMade);
    const bool atItsPlace = std::any_of(found.begin(), found.end(), [&](const ScannedStep& s) {
      return std::abs(s.at - SampleAt(spec, 32.0)) <= p && std::fabs(s.loss - 0.15) <= 0.05;
    });
    if (atItsPlace) ++read;
    else std::cout << "seed " << seed << ": " << Listed(spec, found) << "\n";
  }
  EXPECT_GE(read, kSeeds - 1);
}

// A link of two fibres whose attenuations differ: the slope the whole stretch reads lies between
// theirs, and a reading that leaned on it would see a step everywhere along both.
TEST(ScanStepsTest, FibresOfOtherAttenuationsKeepTheirOwnSlope) {
  SyntheticTraceSpec spec = QuietLink();
  spec.steps = {{8.0, 0.15}, {28.0, 0.15}};
  const int p = PulseSamples(spec);
  const int joint = SampleAt(spec, 20.0);
  std::vector<SampleSpan> changes;
  for (const double km : {6.0, 11.0, 14.5, 20.0, 25.0, 31.0, 34.0}) {
    changes.push_back({SampleAt(spec, km), SampleAt(spec, km) + p});
  }
  int right = 0;
  for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
    spec.seed = seed;
    std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
    // The second fibre loses 0.1 dB/km more.
    for (std::size_t i = static_cast<std::size_t>(joint); i < trace.size(); ++i) {
      trace[i].level -= static_cast<float>(0.1 * (static_cast<int>(i) - joint) * spec.spacingKm);
    }
    const std::vector<ScannedStep> found = Scan(spec, trace, 1.0, 39.5, changes);
    const bool both = found.size() == 2 && std::abs(found[0].at - SampleAt(spec, 8.0)) <= p &&
                      std::abs(found[1].at - SampleAt(spec, 28.0)) <= p && std::fabs(found[0].loss - 0.15) <= 0.03 &&
                      std::fabs(found[1].loss - 0.15) <= 0.03;
    if (both) ++right;
    else std::cout << "seed " << seed << ": " << Listed(spec, found) << "\n";
  }
  EXPECT_GE(right, kSeeds - kSeedsThatMayRead);
}

TEST(ScanStepsTest, ChangesKnownBeyondTheStretchChangeNothingInIt) {
  SyntheticTraceSpec spec = QuietLink();
  spec.steps = {{4.0, 0.1}, {8.0, 0.3}, {12.0, 0.15}};
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  const int p = PulseSamples(spec);
  const std::vector<ScannedStep> alone = Scan(spec, trace, 1.0, 15.0);
  const std::vector<ScannedStep> beside =
      Scan(spec, trace, 1.0, 15.0, {{SampleAt(spec, 0.5), SampleAt(spec, 0.5) + p},
                                    {SampleAt(spec, 14.99), SampleAt(spec, 15.2)},
                                    {SampleAt(spec, 20.0), SampleAt(spec, 20.0) + p}});
  ASSERT_EQ(beside.size(), alone.size()) << Listed(spec, beside);
  for (std::size_t k = 0; k < alone.size(); ++k) {
    EXPECT_EQ(beside[k].at, alone[k].at);
    EXPECT_NEAR(beside[k].loss, alone[k].loss, 0.01);
  }
}

TEST(ScanStepsTest, ASampleThatIsNotANumberGivesNoStepThatIsNone) {
  SyntheticTraceSpec spec = QuietLink();
  spec.steps = {{4.0, 0.1}, {8.0, 0.3}, {12.0, 0.15}};
  std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  trace[static_cast<std::size_t>(SampleAt(spec, 6.0))].level = std::nanf("");
  for (const ScannedStep& step : Scan(spec, trace, 1.0, 15.0)) {
    EXPECT_TRUE(std::isfinite(step.loss)) << step.at;
    EXPECT_TRUE(std::isfinite(step.sigma)) << step.at;
  }
}

// The link of the scan tests with splices at 4, 8 and 12 km, a reflection at 16 km and its end.
SyntheticTraceSpec SplicedLink() {
  SyntheticTraceSpec spec = QuietLink();
  spec.steps = {{4.0, 0.1}, {8.0, 0.15}, {12.0, 0.2}};
  spec.reflections.insert(spec.reflections.begin(), {16.0, -35.0});
  return spec;
}

// A link with the events the slope search listed on it.
struct ListedLink {
  SyntheticTraceSpec spec;
  std::vector<TracePoint> trace;
  int p = 0;

  explicit ListedLink(SyntheticTraceSpec link = SplicedLink())
      : spec(std::move(link)), trace(MakeSyntheticTrace(spec)), p(PulseSamples(spec)) {}

  AnalysisEvent Splice(double km, float loss) const {
    const int at = SampleAt(spec, km);
    AnalysisEvent e = EventAt(kEventNonReflective, at, loss, {at - 20 * p, at, at + p, at + 21 * p});
    e.position = static_cast<float>(km);
    return e;
  }

  AnalysisEvent Reflection(double km, bool end) const {
    const int at = SampleAt(spec, km);
    AnalysisEvent e = EventAt(kEventReflective, at, 0.5f, {at - 20 * p, at, at + 3 * p, at + 23 * p}, -35.0f);
    e.position = static_cast<float>(km);
    if (end) e.endFlag = kEndFlag;
    return e;
  }
};

TEST(ReconcileWithScannedStepsTest, KeepsConfirmedSplicesDropsUnconfirmedAndAddsMissed) {
  const ListedLink link;
  const int p = link.p;
  // The 8 km splice listed a little off its place and with its loss; one at 6 km the trace does not
  // show; the 4 km and 12 km splices missed; behind the end a splice that is left alone.
  std::vector<AnalysisEvent> events = {LaunchEvent(20, 400),
                                       link.Splice(6.0, 0.12f),
                                       link.Splice(8.0 + 0.5 * p * link.spec.spacingKm, 0.15f),
                                       link.Reflection(16.0, false),
                                       link.Reflection(40.0, true),
                                       link.Splice(41.0, 0.3f)};
  const AnalysisEvent kept = events[2];
  const AnalysisEvent behind = events[5];
  events.resize(kAnalysisEventCapacity);
  StepScanBuffers buffers;
  const int count = ReconcileWithScannedSteps(events, 6, link.trace, SampleAt(link.spec, 40.0), p,
                                              static_cast<float>(kThresholdDb), buffers);
  ASSERT_EQ(count, 7);
  EXPECT_EQ(events[0].type, kEventLaunch);
  EXPECT_NEAR(events[1].sampleIndex, SampleAt(link.spec, 4.0), p);
  EXPECT_NEAR(events[1].loss, 0.1, 0.03);
  EXPECT_EQ(events[1].type, kEventNonReflective);
  EXPECT_NEAR(events[1].position, 4.0, p * link.spec.spacingKm);
  EXPECT_EQ(events[2].sampleIndex, kept.sampleIndex);
  EXPECT_EQ(events[2].loss, kept.loss);
  EXPECT_NEAR(events[3].sampleIndex, SampleAt(link.spec, 12.0), p);
  EXPECT_NEAR(events[3].loss, 0.2, 0.03);
  EXPECT_EQ(events[4].type, kEventReflective);
  EXPECT_TRUE(HasEndFlag(events[5]));
  EXPECT_EQ(events[6].sampleIndex, behind.sampleIndex);
  EXPECT_EQ(events[6].loss, behind.loss);
}

TEST(ReconcileWithScannedStepsTest, TakesTheScansLossWhereTheListedOneIsOutOfItsNoise) {
  const ListedLink link;
  struct Case {
    const char* name;
    float listed;
    bool replaced;
  };
  const Case cases[] = {{"within the noise", 0.155f, false}, {"twice the step", 0.3f, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<AnalysisEvent> events = {LaunchEvent(20, 400), link.Splice(4.0, 0.1f), link.Splice(8.0, c.listed),
                                         link.Splice(12.0, 0.2f), link.Reflection(16.0, true)};
    events.resize(kAnalysisEventCapacity);
    StepScanBuffers buffers;
    ASSERT_EQ(ReconcileWithScannedSteps(events, 5, link.trace, SampleAt(link.spec, 40.0), link.p,
                                        static_cast<float>(kThresholdDb), buffers),
              5);
    if (c.replaced) {
      EXPECT_NEAR(events[2].loss, 0.15, 0.03);
    } else {
      EXPECT_EQ(events[2].loss, c.listed);
    }
  }
}

// A splice a few times its noise out of the trace: the slope search's few pulse lengths place it
// as far off as that noise pulls them, the scan's long windows closer; a clear one stays as listed
// (above).
TEST(ReconcileWithScannedStepsTest, AStepBarelyOutOfTheNoiseTakesTheScansPlaceAndLoss) {
  const ListedLink link(InstrumentLongLinkSpec(300, 1.0, 0.1));
  const int p = link.p;
  const int splice = SampleAt(link.spec, 32.0);
  AnalysisEvent listed = link.Splice(32.0, 0.17f);
  listed.sampleIndex = listed.startIndex = listed.peakIndex = splice + 3 * p / 5;
  std::vector<AnalysisEvent> events = {LaunchEvent(20, 400), listed, link.Reflection(40.0, true)};
  events.resize(kAnalysisEventCapacity);
  StepScanBuffers buffers;
  const int count = ReconcileWithScannedSteps(events, 3, link.trace, SampleAt(link.spec, 40.0), p,
                                              static_cast<float>(kThresholdDb), buffers);
  const auto near = std::find_if(events.begin(), events.begin() + count, [&](const AnalysisEvent& e) {
    return IsSplice(e) && std::abs(e.sampleIndex - splice) <= 2 * p;
  });
  ASSERT_NE(near, events.begin() + count);
  EXPECT_LT(std::abs(near->sampleIndex - splice), 3 * p / 5);
  EXPECT_NEAR(near->loss, 0.15, 0.015);
}

TEST(ReconcileWithScannedStepsTest, AListThatWouldOverflowStaysAsItWas) {
  const ListedLink link;
  std::vector<AnalysisEvent> events = {LaunchEvent(20, 400), link.Reflection(16.0, true)};
  StepScanBuffers buffers;
  // Three splices to add, room for none.
  const std::vector<AnalysisEvent> before = events;
  EXPECT_EQ(ReconcileWithScannedSteps(events, 2, link.trace, SampleAt(link.spec, 40.0), link.p,
                                      static_cast<float>(kThresholdDb), buffers),
            2);
  EXPECT_EQ(events[1].sampleIndex, before[1].sampleIndex);
  EXPECT_TRUE(HasEndFlag(events[1]));
}

}  // namespace
