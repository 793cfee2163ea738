// The whole engine on synthetic links with known events: what it finds, where, with what loss and
// reflectance, the end of the fibre, echoes, and the invariants of its result on random traces.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/event_list_helpers.h"
#include "analysis/ghosts_and_end.h"
#include "analysis/noise_start.h"
#include "event_invariants.h"
#include "synthetic_echoes.h"
#include "synthetic_trace.h"

namespace {

struct KnownEvent {
  double distanceKm;
  EventRowType type;
  double lossDb;
  double reflectanceDb;  // reflective events only
};

struct Analysis {
  std::vector<AnalysisEvent> events = std::vector<AnalysisEvent>(kAnalysisEventCapacity);
  int count = 0;
  AnalysisParams params;
};

constexpr std::int32_t kUntouched = -12345;

Analysis Analyse(std::vector<TracePoint> points, const SyntheticTraceSpec& spec) {
  Analysis a;
  a.params = MakeSyntheticParams(spec);
  a.params.endLossResult = kUntouched;
  a.params.endPositionResult = kUntouched;
  a.count = AnalyzeTrace(points, a.events, a.params);
  return a;
}

double PulseLengthKmOf(const SyntheticTraceSpec& spec) { return spec.pulseWidthNs / 10000.0; }

// The event of the wanted type nearest to the distance, or null.
const AnalysisEvent* Nearest(const Analysis& a, const KnownEvent& known) {
  const AnalysisEvent* best = nullptr;
  for (int i = 1; i < a.count; ++i) {
    const AnalysisEvent& e = a.events[static_cast<std::size_t>(i)];
    if (e.type != known.type) continue;
    if (best == nullptr || std::fabs(e.position - known.distanceKm) < std::fabs(best->position - known.distanceKm)) best = &e;
  }
  return best;
}

void ExpectFound(const Analysis& a, const SyntheticTraceSpec& spec, const KnownEvent& known) {
  SCOPED_TRACE(testing::Message() << "event at " << known.distanceKm << " km");
  const AnalysisEvent* e = Nearest(a, known);
  ASSERT_NE(e, nullptr);
  EXPECT_NEAR(e->position, known.distanceKm, PulseLengthKmOf(spec));
  EXPECT_NEAR(e->loss, known.lossDb, 0.05 + 0.1 * std::fabs(known.lossDb));
  if (known.type == kEventReflective) {
    EXPECT_NEAR(e->reflectance, known.reflectanceDb, 1.5);
  }
}

int EndFlagCount(const Analysis& a) {
  int flags = 0;
  for (int i = 0; i < a.count; ++i) flags += HasEndFlag(a.events[static_cast<std::size_t>(i)]) ? 1 : 0;
  return flags;
}

// 20 km at 1 m spacing, 300 ns: splices, a connector, a gainer and a reflective end at 12 km.
SyntheticTraceSpec ShortLink(std::uint32_t seed) {
  SyntheticTraceSpec spec;
  spec.pointCount = 20000;
  spec.pulseWidthNs = 300;
  spec.noiseSigmaDb = 0.5;
  spec.seed = seed;
  spec.steps = {{3.0, 0.5}, {7.0, 1.0}, {9.0, -0.3}};
  spec.reflections = {{5.0, -40.0, 0.3}, {12.0, -30.0}};
  spec.fibreEndKm = 12.0 + PulseLengthKmOf(spec);
  return spec;
}

class ShortLinkTest : public testing::TestWithParam<std::uint32_t> {};

TEST_P(ShortLinkTest, FindsEveryEventOnceAndEndsAtTheEndReflection) {
  const SyntheticTraceSpec spec = ShortLink(GetParam());
  const Analysis a = Analyse(MakeSyntheticTrace(spec), spec);
  ASSERT_EQ(a.count, 6);
  EXPECT_EQ(a.events[0].type, kEventLaunch);
  for (const KnownEvent& known : {KnownEvent{3.0, kEventNonReflective, 0.5, 0.0}, KnownEvent{5.0, kEventReflective, 0.3, -40.0},
                                  KnownEvent{7.0, kEventNonReflective, 1.0, 0.0}, KnownEvent{9.0, kEventNonReflective, -0.3, 0.0},
                                  KnownEvent{12.0, kEventReflective, 0.0, -30.0}}) {
    if (known.distanceKm == 12.0) {
      // The end's loss is the fall into the noise, whatever its depth.
      const AnalysisEvent* end = Nearest(a, known);
      ASSERT_NE(end, nullptr);
      EXPECT_NEAR(end->position, 12.0, PulseLengthKmOf(spec));
      EXPECT_NEAR(end->reflectance, -30.0, 1.5);
      continue;
    }
    ExpectFound(a, spec, known);
  }
  const AnalysisEvent& end = a.events[5];
  EXPECT_EQ(EndFlagCount(a), 1);
  EXPECT_TRUE(HasEndFlag(end));
  EXPECT_EQ(a.params.endPositionResult, static_cast<std::int32_t>(end.position * 1000.0));
  // The loss is stored rounded, the position truncated.
  EXPECT_EQ(a.params.endLossResult, std::lround(end.cumulativeLoss * 1000.0));
  // Fibre loss over 12 km plus the splices, connector and gainer in front of the end.
  EXPECT_NEAR(end.cumulativeLoss, 0.33 * 12.0 + 0.5 + 0.3 + 1.0 - 0.3, 0.1);
}

TEST_P(ShortLinkTest, AFibreLongerThanTheTraceHasNoEnd) {
  SyntheticTraceSpec spec = ShortLink(GetParam());
  spec.reflections.pop_back();
  spec.fibreEndKm = 1e9;
  const Analysis a = Analyse(MakeSyntheticTrace(spec), spec);
  ASSERT_EQ(a.count, 5);
  ExpectFound(a, spec, {9.0, kEventNonReflective, -0.3, 0.0});
  EXPECT_EQ(EndFlagCount(a), 0);
  EXPECT_EQ(a.params.endPositionResult, kUntouched);
  EXPECT_EQ(a.params.endLossResult, kUntouched);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ShortLinkTest, testing::Values(1u, 2u, 3u, 4u));

// 80 km at 2 m spacing, 1 us: two splices, then the fibre ends at 50 km straight into the noise.
class LongLinkTest : public testing::TestWithParam<std::uint32_t> {};

TEST_P(LongLinkTest, TheEndLiesWhereTheFibreSinksIntoTheNoise) {
  const SyntheticTraceSpec spec = LongLinkSpec(GetParam());
  const Analysis a = Analyse(MakeSyntheticTrace(spec), spec);
  ExpectFound(a, spec, {10.0, kEventNonReflective, 0.4, 0.0});
  ExpectFound(a, spec, {30.0, kEventNonReflective, 1.0, 0.0});
  ASSERT_EQ(EndFlagCount(a), 1);
  const AnalysisEvent& end = a.events[static_cast<std::size_t>(a.count - 1)];
  EXPECT_TRUE(HasEndFlag(end));
  EXPECT_NEAR(end.position, 50.0, PulseLengthKmOf(spec));
  EXPECT_NEAR(a.params.endPositionResult, 50000, 100);
}

INSTANTIATE_TEST_SUITE_P(Seeds, LongLinkTest, testing::Values(1u, 2u, 3u, 4u, 5u));

TEST(EchoTest, AnEchoAtTheSumOfTwoReflectionsIsFoundAndMarked) {
  SyntheticTraceSpec spec = ShortLink(1);
  spec.steps = {};
  spec.reflections = {{1.0, -30.0, 0.2}, {2.5, -35.0, 0.2}};
  spec.fibreEndKm = 1e9;
  std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  AddEcho(trace, spec, 3.5, 5.0);
  Analysis a = Analyse(trace, spec);
  ASSERT_EQ(a.count, 4);
  // The fibre goes on behind both reflections, so the engine keeps the echo as a reflection.
  const AnalysisEvent* echo = Nearest(a, {3.5, kEventReflective, 0.0, 0.0});
  ASSERT_NE(echo, nullptr);
  EXPECT_NEAR(echo->position, 3.5, PulseLengthKmOf(spec));
  EXPECT_LT(echo->reflectance, a.events[1].reflectance);
  EXPECT_FALSE(IsGhost(*echo));

  int noiseStart = 0;
  FindNoiseStart(trace, noiseStart, ComputeNoiseReference(), a.params);
  const AnalysisContext context{trace, trace, -0.33f, -10.0f, noiseStart, static_cast<int>(trace.size()),
                                static_cast<float>(ComputeNoiseReference())};
  MarkGhosts(context, a.params, a.events, a.count);
  EXPECT_TRUE(IsGhost(a.events[3]));
  EXPECT_FALSE(IsGhost(a.events[1]));
  EXPECT_FALSE(IsGhost(a.events[2]));
}

// Random links, settings and lengths; the result must always be a well-formed event list.
SyntheticTraceSpec RandomSpec(std::uint32_t seed) {
  std::mt19937 rng(seed);
  auto pick = [&](auto const& values) { return values[rng() % values.size()]; };
  auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (rng() / 4294967296.0); };
  SyntheticTraceSpec spec;
  spec.seed = seed;
  spec.pointCount = 200 + static_cast<int>(rng() % 30000);
  spec.spacingKm = pick(std::vector<double>{0.0005, 0.001, 0.002, 0.004, 0.008});
  spec.pulseWidthNs = pick(std::vector<int>{3, 10, 30, 100, 275, 1000, 3000, 10000});
  spec.wavelengthNm = pick(std::vector<float>{850.0f, 1300.0f, 1310.0f, 1550.0f, 1625.0f, 1548.6f});
  spec.rangeKm = pick(std::vector<float>{1.3f, 5.0f, 20.0f, 40.0f, 80.0f, 160.0f, 240.0f});
  spec.slopeDbPerKm = -uniform(0.15, 3.0);
  spec.launchLevelDb = -uniform(2.0, 30.0);
  spec.launchHeightDb = uniform(0.0, 20.0);
  spec.noiseSigmaDb = uniform(0.0, 2.0);
  const double length = spec.pointCount * spec.spacingKm;
  for (int k = static_cast<int>(rng() % 12); k > 0; --k) spec.steps.push_back({uniform(0.0, length), uniform(-1.0, 4.0)});
  for (int k = static_cast<int>(rng() % 8); k > 0; --k) {
    spec.reflections.push_back({uniform(0.0, length), uniform(-70.0, -14.0), uniform(0.0, 2.0)});
  }
  if (rng() % 3 != 0) spec.fibreEndKm = uniform(0.0, length * 1.2);
  return spec;
}

TEST(AnalysisInvariantTest, RandomTracesGiveWellFormedEventLists) {
  for (std::uint32_t seed = 1; seed <= 120; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    const SyntheticTraceSpec spec = RandomSpec(seed);
    std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
    AddEcho(trace, spec, 2.0 * spec.pointCount * spec.spacingKm / 3.0, 6.0);
    const Analysis a = Analyse(trace, spec);
    ExpectWellFormedEvents(a.events, a.count, spec.pointCount);
  }
}

}  // namespace
