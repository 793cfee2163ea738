// The whole engine on links shaped as instruments record them: pulse-shaped steps, reflections and
// fibre ends, noise behind the end, and traces stored on another power scale.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/event_list_helpers.h"
#include "analysis/physical_events.h"
#include "event_invariants.h"
#include "synthetic_trace.h"

namespace {

struct Result {
  std::vector<AnalysisEvent> events = std::vector<AnalysisEvent>(kAnalysisEventCapacity);
  int count = 0;
  AnalysisParams params;

  const AnalysisEvent* End() const {
    for (int i = 0; i < count; ++i) {
      if (HasEndFlag(events[static_cast<std::size_t>(i)])) return &events[static_cast<std::size_t>(i)];
    }
    return nullptr;
  }
};

Result Analyse(std::vector<TracePoint> points, const SyntheticTraceSpec& spec) {
  Result r;
  r.params = MakeSyntheticParams(spec);
  r.count = AnalyzeTrace(points, r.events, r.params);
  return r;
}

double PulseKm(const SyntheticTraceSpec& spec) { return spec.pulseWidthNs / 10000.0; }

// No value a technician would reject: reflections below 0 dB, attenuations a fibre can have, and
// nothing but reflections in the noise behind the end.
void ExpectPhysicalEvents(const Result& r, const SyntheticTraceSpec& spec) {
  ExpectWellFormedEvents(r.events, r.count, spec.pointCount);
  const AnalysisEvent* end = r.End();
  for (int i = 0; i < r.count; ++i) {
    SCOPED_TRACE(testing::Message() << "event " << i);
    const AnalysisEvent& e = r.events[static_cast<std::size_t>(i)];
    if (IsReflective(e) || e.type == kEventLaunch) {
      EXPECT_TRUE(e.reflectance < 0.0f || e.reflectance == kUnmeasuredReflectance || e.reflectance == kNoValue)
          << e.reflectance;
    }
    EXPECT_LT(std::fabs(e.attenuation), 10.0f);
    if (end != nullptr && e.position > end->position) {
      EXPECT_TRUE(IsReflective(e)) << e.position;
    }
  }
}

// The fibre ends at `endKm` with or without an end reflection; losses in front of it add up.
void ExpectEndAt(const Result& r, const SyntheticTraceSpec& spec, double endKm, double lossKm) {
  const AnalysisEvent* end = r.End();
  ASSERT_NE(end, nullptr);
  EXPECT_NEAR(end->position, endKm, PulseKm(spec));
  EXPECT_NEAR(end->cumulativeLoss, lossKm, 0.3);
  EXPECT_NE(end, &r.events[0]);
}

double LinkLossInFront(const SyntheticTraceSpec& spec, double endKm) {
  double loss = -spec.slopeDbPerKm * endKm;
  for (const SyntheticStep& s : spec.steps) loss += s.distanceKm < endKm ? s.lossDb : 0.0;
  for (const SyntheticReflection& s : spec.reflections) loss += s.distanceKm < endKm - 0.01 ? s.lossDb : 0.0;
  return loss;
}

class RealisticLinkTest : public testing::TestWithParam<std::uint32_t> {};

TEST_P(RealisticLinkTest, PulseShapedLinksEndAtTheirEndReflection) {
  for (int n : {10000, 40000}) {
    SCOPED_TRACE(n);
    SyntheticTraceSpec spec = RealisticLinkSpec(n);
    spec.seed = GetParam();
    const Result r = Analyse(MakeSyntheticTrace(spec), spec);
    ExpectPhysicalEvents(r, spec);
    const double end = spec.reflections.back().distanceKm;
    ExpectEndAt(r, spec, end, LinkLossInFront(spec, end));
  }
}

TEST_P(RealisticLinkTest, AFibreEndWithoutReflectionEndsWhereTheFibreDrops) {
  SyntheticTraceSpec spec = RealisticLinkSpec(40000);
  spec.seed = GetParam();
  spec.reflections.pop_back();
  const Result r = Analyse(MakeSyntheticTrace(spec), spec);
  ExpectPhysicalEvents(r, spec);
  ExpectEndAt(r, spec, spec.fibreEndKm, LinkLossInFront(spec, spec.fibreEndKm));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RealisticLinkTest, testing::Values(1u, 2u, 3u, 4u, 5u));

// Receivers that clip their floor: behind the end the trace sits at the lowest level a file holds,
// broken by single spikes of noise far above it.
std::vector<TracePoint> ClippedNoiseBehind(const SyntheticTraceSpec& spec, double fromKm) {
  std::vector<TracePoint> points = MakeSyntheticTrace(spec);
  std::mt19937 rng(spec.seed);
  for (std::size_t i = static_cast<std::size_t>(fromKm / spec.spacingKm); i < points.size(); ++i) {
    points[i].level = rng() % 23 == 0 ? -25.0f - static_cast<float>(rng() % 8000) / 1000.0f : -65.535f;
  }
  return points;
}

// Instruments that pad the samples behind their range: stretches of 0 dB between stretches of floor.
std::vector<TracePoint> PaddingBehind(const SyntheticTraceSpec& spec, double fromKm) {
  std::vector<TracePoint> points = MakeSyntheticTrace(spec);
  for (std::size_t i = static_cast<std::size_t>(fromKm / spec.spacingKm); i < points.size(); ++i) {
    points[i].level = (i / 300) % 3 == 0 ? 0.0f : -65.535f;
  }
  return points;
}

TEST_P(RealisticLinkTest, NoiseBehindTheEndIsNoEvent) {
  SyntheticTraceSpec spec = RealisticLinkSpec(20000);
  spec.seed = GetParam();
  spec.reflections.pop_back();
  const double end = spec.fibreEndKm;
  for (const auto& [name, points] : {std::pair{"clipped floor", ClippedNoiseBehind(spec, end + 0.2)},
                                     std::pair{"padding", PaddingBehind(spec, end + 0.5)}}) {
    SCOPED_TRACE(name);
    const Result r = Analyse(points, spec);
    ExpectPhysicalEvents(r, spec);
    ExpectEndAt(r, spec, end, LinkLossInFront(spec, end));
    const AnalysisEvent* endEvent = r.End();
    ASSERT_NE(endEvent, nullptr);
    for (int i = 0; i < r.count; ++i) {
      EXPECT_LE(r.events[static_cast<std::size_t>(i)].position, endEvent->position) << i;
    }
  }
}

// The end threshold ends the fibre at a bend; the fibre and its far end behind it stay in the list.
TEST_P(RealisticLinkTest, ReflectionsBehindTheEndStay) {
  SyntheticTraceSpec spec = RealisticLinkSpec(20000);
  spec.seed = GetParam();
  spec.steps.push_back({6.0, 4.0});
  const Result r = Analyse(MakeSyntheticTrace(spec), spec);
  ExpectPhysicalEvents(r, spec);
  ExpectEndAt(r, spec, 6.0, LinkLossInFront(spec, 6.0));
  const AnalysisEvent& last = r.events[static_cast<std::size_t>(r.count - 1)];
  EXPECT_TRUE(IsReflective(last));
  EXPECT_NEAR(last.position, spec.reflections.back().distanceKm, PulseKm(spec));
  EXPECT_NEAR(last.reflectance, spec.reflections.back().reflectanceDb, 2.0);
}

// A reflection seen through the noise behind a fibre end that drops the trace into it (a patch
// cord's far connector) stays in the list; the end is the reflection whose loss the end threshold
// calls an end.
TEST_P(RealisticLinkTest, AReflectionBehindAnEndThatDropsIntoTheNoiseStaysBehindIt) {
  SyntheticTraceSpec spec = RealisticLinkSpec(20000);
  spec.seed = GetParam();
  const double end = spec.reflections.back().distanceKm;
  spec.reflections.push_back({end + 2.0, -14.0});
  const Result r = Analyse(MakeSyntheticTrace(spec), spec);
  ExpectPhysicalEvents(r, spec);
  ExpectEndAt(r, spec, end, LinkLossInFront(spec, end));
  const AnalysisEvent& last = r.events[static_cast<std::size_t>(r.count - 1)];
  EXPECT_TRUE(IsReflective(last));
  EXPECT_FALSE(HasEndFlag(last));
  EXPECT_NEAR(last.position, end + 2.0, PulseKm(spec));
  // Behind the end there is no backscatter to measure a loss on.
  EXPECT_EQ(last.loss, kNoValue);
  EXPECT_EQ(last.cumulativeLoss, kNoValue);
}

// A long link whose backscatter sinks into the noise at 36 km while the fibre goes on to a far-end
// reflection at 40 km rising 25 dB out of the noise.
SyntheticTraceSpec FarEndBeyondTheNoiseSpec(std::uint32_t seed) {
  SyntheticTraceSpec spec = LongLinkSpec(seed);
  spec.steps.clear();
  // A receiver whose floor lies under the noise reference, with a noise of its own.
  spec.noiseFloorDb = -53.0;
  spec.noiseSigmaDb = 1.0;
  spec.launchLevelDb = -25.0;
  // The trace sinks into the noise at 36 km.
  spec.slopeDbPerKm = (-50.5 - spec.launchLevelDb) / 36.0;
  spec.fibreEndKm = 40.1;
  const double heightOverFibre = 25.0 + (spec.noiseFloorDb - (spec.launchLevelDb + spec.slopeDbPerKm * 40.0));
  double reflectance = -70.0;
  while (ReflectionHeightDb(spec, reflectance) < heightOverFibre) reflectance += 0.1;
  spec.reflections = {{40.0, reflectance}};
  return spec;
}

// Where the fibre ends on a long link, through the whole engine.
TEST_P(RealisticLinkTest, TheFibreEndsAtItsLastReflectionNotWhereTheBackscatterMeetsTheNoise) {
  for (bool shaped : {false, true}) {
    SCOPED_TRACE(shaped ? "pulse-shaped" : "sharp");
    SyntheticTraceSpec spec = FarEndBeyondTheNoiseSpec(GetParam());
    spec.pulseShaped = shaped;
    const Result r = Analyse(MakeSyntheticTrace(spec), spec);
    ExpectPhysicalEvents(r, spec);
    const AnalysisEvent* end = r.End();
    ASSERT_NE(end, nullptr);
    EXPECT_TRUE(IsReflective(*end));
    EXPECT_NEAR(end->position, 40.0, PulseKm(spec));
    // Nothing made up where the backscatter meets the noise.
    for (int i = 1; i < r.count; ++i) {
      EXPECT_FALSE(r.events[static_cast<std::size_t>(i)].position > 30.0 && r.events[static_cast<std::size_t>(i)].position < 39.8)
          << r.events[static_cast<std::size_t>(i)].position;
    }
  }
}

// A loss the end threshold calls an end ends the fibre there, whatever follows; the far end
// behind it stays, with no loss measured.
TEST_P(RealisticLinkTest, ALossAboveTheEndThresholdEndsTheFibreWhateverFollows) {
  SyntheticTraceSpec spec = FarEndBeyondTheNoiseSpec(GetParam());
  spec.steps = {{12.0, 5.0}};
  spec.launchLevelDb += 5.0;
  const Result r = Analyse(MakeSyntheticTrace(spec), spec);
  ExpectPhysicalEvents(r, spec);
  ExpectEndAt(r, spec, 12.0, LinkLossInFront(spec, 12.0));
  const AnalysisEvent& last = r.events[static_cast<std::size_t>(r.count - 1)];
  EXPECT_NEAR(last.position, 40.0, PulseKm(spec));
  EXPECT_EQ(last.loss, kNoValue);
}

// An end made up where the trace reaches the noise takes the fibre's level in front of the drop, so
// the link loss is the fibre's, not the fall into the noise.
TEST_P(RealisticLinkTest, AnEndAtTheNoiseOnsetMeasuresTheFibreNotTheDrop) {
  SyntheticTraceSpec spec = LongLinkSpec(GetParam());
  for (bool shaped : {false, true}) {
    SCOPED_TRACE(shaped ? "pulse-shaped" : "sharp");
    spec.pulseShaped = shaped;
    const Result r = Analyse(MakeSyntheticTrace(spec), spec);
    ExpectPhysicalEvents(r, spec);
    ExpectEndAt(r, spec, 50.0, LinkLossInFront(spec, 50.0));
  }
}

// The samples from the one at `zeroKm` on, their distances counted from it, as a reanalysis hands
// them over when the user's zero lies inside the fibre (behind a launch cable).
std::vector<TracePoint> FromZero(const std::vector<TracePoint>& points, const SyntheticTraceSpec& spec, double zeroKm) {
  const auto first = static_cast<std::ptrdiff_t>(std::lround(zeroKm / spec.spacingKm));
  std::vector<TracePoint> span(points.begin() + first, points.end());
  for (TracePoint& p : span) p.distance -= static_cast<float>(zeroKm);
  return span;
}

// A user's zero behind a launch cable: the engine gets the samples from it on, the first of them on
// plain fibre with no launch reflection. Behind the zero it finds what it finds on the whole trace,
// at the same places with the same losses (a splice 200 m behind the zero among them), and the
// fibre ends at the same end with the loss from the zero.
TEST_P(RealisticLinkTest, FromAZeroInsideTheFibreItFindsWhatTheWholeTraceShowsBehindIt) {
  SyntheticTraceSpec spec = RealisticLinkSpec(20000);
  spec.seed = GetParam();
  const double zero = spec.steps.front().distanceKm - 0.2;
  const double end = spec.reflections.back().distanceKm;
  const std::vector<TracePoint> whole = MakeSyntheticTrace(spec);
  const Result full = Analyse(whole, spec);
  SyntheticTraceSpec span = spec;
  span.pointCount -= static_cast<int>(std::lround(zero / spec.spacingKm));
  const Result r = Analyse(FromZero(whole, spec, zero), span);
  ExpectPhysicalEvents(r, span);
  ExpectEndAt(r, spec, end - zero, LinkLossInFront(spec, end) - LinkLossInFront(spec, zero));

  std::vector<AnalysisEvent> behind;
  for (int i = 1; i < full.count; ++i) {
    if (full.events[static_cast<std::size_t>(i)].position > zero) behind.push_back(full.events[static_cast<std::size_t>(i)]);
  }
  ASSERT_EQ(r.count - 1, static_cast<int>(behind.size()));
  // Backscatter at the zero is no reflection; the front panel's reflection is measured.
  EXPECT_EQ(r.events[0].reflectance, kNoValue);
  EXPECT_LT(full.events[0].reflectance, 0.0f);
  EXPECT_NEAR(r.events[1].position, 0.2, PulseKm(spec));
  for (std::size_t i = 0; i < behind.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "event at " << behind[i].position << " km");
    const AnalysisEvent& e = r.events[i + 1];
    EXPECT_EQ(e.type, behind[i].type);
    EXPECT_NEAR(e.position, behind[i].position - zero, PulseKm(spec));
    EXPECT_EQ(HasEndFlag(e), HasEndFlag(behind[i]));
    if (behind[i].loss == kNoValue) {
      EXPECT_EQ(e.loss, kNoValue);
    } else {
      EXPECT_NEAR(e.loss, behind[i].loss, 0.1);
    }
  }
}

// A user's zero on a connector, or a few metres in front of it: the launch is that connector's
// reflection and keeps its reflectance.
TEST_P(RealisticLinkTest, FromAZeroOnAConnectorTheLaunchKeepsItsReflectance) {
  SyntheticTraceSpec spec = RealisticLinkSpec(20000);
  spec.seed = GetParam();
  const SyntheticReflection& connector = spec.reflections.front();
  const std::vector<TracePoint> whole = MakeSyntheticTrace(spec);
  for (double inFront : {0.0, 0.001, 0.003}) {
    SCOPED_TRACE(testing::Message() << inFront << " km in front");
    const double zero = connector.distanceKm - inFront;
    SyntheticTraceSpec span = spec;
    span.pointCount -= static_cast<int>(std::lround(zero / spec.spacingKm));
    const Result r = Analyse(FromZero(whole, spec, zero), span);
    EXPECT_NEAR(r.events[0].reflectance, connector.reflectanceDb, 2.0);
  }
}

INSTANTIATE_TEST_SUITE_P(MoreSeeds, RealisticLinkTest, testing::Values(6u, 7u));

}  // namespace
