#include "analysis/analysis_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "synthetic_trace.h"

namespace {

// A 20 km link at 1 m spacing: launch, a splice, a connector, the fibre end into noise.
SyntheticTraceSpec Link(int n = 20000) {
  SyntheticTraceSpec spec;
  spec.pointCount = n;
  spec.slopeDbPerKm = -0.2;
  spec.steps = {{4.0, 0.3}};
  spec.reflections = {{9.0, -45.0, 0.5}};
  spec.fibreEndKm = n * 0.001 * 0.8;
  spec.noiseSigmaDb = 0.3;
  return spec;
}

bool FiniteOrMissing(float v) { return std::isfinite(v) && (std::fabs(v) < 1e6f || v == kNoValue); }

// What every analysis result must satisfy, whatever the trace.
void ExpectSaneResult(const std::vector<AnalysisEvent>& events, int count, const char* name) {
  ASSERT_GE(count, 1) << name;
  ASSERT_LE(count, 251) << name;
  EXPECT_EQ(events[0].type, kEventLaunch) << name;
  EXPECT_EQ(events[0].position, 0.0f) << name;
  int ends = 0;
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& e = events[i];
    if (i > 0) {
      EXPECT_GE(e.position, events[i - 1].position) << name << " event " << i;
    }
    for (float v : {e.position, e.level, e.reflectance, e.loss, e.attenuation, e.cumulativeLoss}) {
      EXPECT_TRUE(FiniteOrMissing(v)) << name << " event " << i << " value " << v;
    }
    ends += e.endFlag == kEndFlag;
  }
  EXPECT_LE(ends, 1) << name;
}

int Analyze(std::vector<TracePoint>& points, std::vector<AnalysisEvent>& events, AnalysisParams& params) {
  events.assign(kAnalysisEventCapacity, AnalysisEvent{});
  return AnalyzeTrace(points, events, params);
}

TEST(AnalyzeTraceTest, TracesTooShortGiveTheLaunchOnly) {
  for (int n : {0, 1, 10, 11, 119}) {
    auto points = MakeSyntheticTrace(CleanFibreSpec(n, -0.33));
    AnalysisParams params = MakeSyntheticParams(Link());
    std::vector<AnalysisEvent> events;
    EXPECT_EQ(Analyze(points, events, params), 1) << n;
    EXPECT_EQ(events[0].type, kEventLaunch);
    EXPECT_EQ(events[0].position, 0.0f);
    EXPECT_EQ(events[0].level, n > 0 ? points[0].level : 0.0f);
  }
}

TEST(AnalyzeTraceTest, TracesWithoutPositiveSpacingGiveTheLaunchOnly) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    float distance1, distance10;
  } cases[] = {{"all at 0", 0.0f, 0.0f}, {"decreasing", -0.001f, -0.01f}, {"not a number", nan, 0.01f},
               {"flat start", 0.001f, 0.0f}};
  for (const Case& c : cases) {
    auto points = MakeSyntheticTrace(Link(2000));
    if (std::strcmp(c.name, "all at 0") == 0) {
      for (auto& p : points) p.distance = 0.0f;
    }
    points[1].distance = c.distance1;
    points[10].distance = c.distance10;
    AnalysisParams params = MakeSyntheticParams(Link());
    std::vector<AnalysisEvent> events;
    EXPECT_EQ(Analyze(points, events, params), 1) << c.name;
  }
}

TEST(AnalyzeTraceTest, RunsEndToEndOnTracesOfEveryUsualLength) {
  for (int n : {120, 121, 5000, 80000, 100000}) {
    auto points = MakeSyntheticTrace(Link(n));
    AnalysisParams params = MakeSyntheticParams(Link(n));
    std::vector<AnalysisEvent> events;
    const int count = Analyze(points, events, params);
    ExpectSaneResult(events, count, std::to_string(n).c_str());
  }
}

TEST(AnalyzeTraceTest, DamagedSettingsDoNotBreakTheAnalysis) {
  struct Case {
    const char* name;
    int dataSpacing, pulseWidth;
    float wavelength, range;
  } cases[] = {
      {"spacing 0", 0, 100, 1550.0f, 20.0f},        {"negative spacing", -5, 100, 1550.0f, 20.0f},
      {"pulse 0", 97, 0, 1550.0f, 20.0f},           {"negative pulse", 97, -100, 1550.0f, 20.0f},
      {"huge pulse", 97, 2000000000, 1550.0f, 20.0f}, {"wavelength 0", 97, 100, 0.0f, 20.0f},
      {"850 nm", 97, 100, 850.0f, 20.0f},           {"1300 nm", 97, 100, 1300.0f, 20.0f},
      {"long range", 97, 100, 1550.0f, 160.0f},     {"negative range", 97, 100, 1550.0f, -1.0f},
  };
  for (const Case& c : cases) {
    auto points = MakeSyntheticTrace(Link(6000));
    AnalysisParams params = MakeSyntheticParams(Link(6000));
    params.dataSpacing = c.dataSpacing;
    params.pulseWidth = c.pulseWidth;
    params.wavelength = c.wavelength;
    params.range = c.range;
    std::vector<AnalysisEvent> events;
    ExpectSaneResult(events, Analyze(points, events, params), c.name);
  }
}

TEST(AnalyzeTraceTest, FlatAndSpikyTracesDoNotBreakTheAnalysis) {
  struct Case {
    const char* name;
    float level;
    int spikeEvery;
    float spike;
  } cases[] = {
      {"all -20 dB", -20.0f, 0, 0.0f},       {"all 0 dB", 0.0f, 0, 0.0f},
      {"all at the floor", -65.535f, 0, 0.0f}, {"spikes up", -20.0f, 997, 30.0f},
      {"spikes down", -20.0f, 499, -45.0f},  {"alternating", -20.0f, 2, -40.0f},
  };
  for (const Case& c : cases) {
    auto points = MakeSyntheticTrace(CleanFibreSpec(8000, 0.0));
    for (std::size_t i = 0; i < points.size(); ++i) {
      points[i].level = c.level;
      if (c.spikeEvery > 0 && i % c.spikeEvery == 1) points[i].level += c.spike;
    }
    AnalysisParams params = MakeSyntheticParams(Link());
    std::vector<AnalysisEvent> events;
    ExpectSaneResult(events, Analyze(points, events, params), c.name);
  }
}

TEST(AnalyzeTraceTest, RepeatsExactlyAndSmoothsTheCallersPoints) {
  const auto input = MakeSyntheticTrace(Link());
  auto first = input;
  auto second = input;
  AnalysisParams p1 = MakeSyntheticParams(Link());
  AnalysisParams p2 = p1;
  std::vector<AnalysisEvent> e1, e2;
  const int c1 = Analyze(first, e1, p1);
  const int c2 = Analyze(second, e2, p2);
  ASSERT_EQ(c1, c2);
  EXPECT_EQ(std::memcmp(e1.data(), e2.data(), sizeof(AnalysisEvent) * c1), 0);
  EXPECT_EQ(std::memcmp(first.data(), second.data(), sizeof(TracePoint) * first.size()), 0);

  int changed = 0;
  for (std::size_t i = 0; i < input.size(); ++i) {
    EXPECT_EQ(first[i].distance, input[i].distance);
    changed += first[i].level != input[i].level;
  }
  EXPECT_GT(changed, 1000);
}

TEST(AnalyzeTraceTest, AKeptScratchGivesTheResultsOfAFreshOne) {
  // Long traces before short ones and a change of wavelength: whatever an analysis leaves in the
  // scratch, the next one must not read it.
  SyntheticTraceSpec multimode = Link(20000);
  multimode.wavelengthNm = 1300.0f;
  multimode.slopeDbPerKm = -0.5;
  const SyntheticTraceSpec specs[] = {RealisticLinkSpec(80000), Link(5000), multimode, Link(300), Link(40000)};
  AnalysisScratch kept;
  for (const SyntheticTraceSpec& spec : specs) {
    const auto input = MakeSyntheticTrace(spec);
    auto freshPoints = input;
    auto keptPoints = input;
    AnalysisParams freshParams = MakeSyntheticParams(spec);
    AnalysisParams keptParams = freshParams;
    std::vector<AnalysisEvent> freshEvents(kAnalysisEventCapacity), keptEvents(kAnalysisEventCapacity);
    const int fresh = AnalyzeTrace(freshPoints, freshEvents, freshParams);
    ASSERT_EQ(AnalyzeTrace(keptPoints, keptEvents, keptParams, kept), fresh) << spec.pointCount;
    EXPECT_GT(fresh, 1) << spec.pointCount;
    EXPECT_EQ(std::memcmp(freshEvents.data(), keptEvents.data(), sizeof(AnalysisEvent) * fresh), 0) << spec.pointCount;
    EXPECT_EQ(std::memcmp(freshPoints.data(), keptPoints.data(), sizeof(TracePoint) * input.size()), 0);
    EXPECT_EQ(std::memcmp(&freshParams, &keptParams, sizeof freshParams), 0) << spec.pointCount;
  }
}

TEST(AnalyzeTraceTest, WithoutEndEventTheResultFieldsKeepTheirValues) {
  // 20 km of fibre that never reaches the noise, with nothing on it.
  SyntheticTraceSpec spec = CleanFibreSpec(20000, -0.2);
  spec.launchHeightDb = 8.0;
  auto points = MakeSyntheticTrace(spec);
  AnalysisParams params = MakeSyntheticParams(spec);
  params.endLossResult = 777;
  params.endPositionResult = 888;
  std::vector<AnalysisEvent> events;
  const int count = Analyze(points, events, params);
  ExpectSaneResult(events, count, "plain fibre");
  for (int i = 0; i < count; ++i) EXPECT_NE(events[i].endFlag, kEndFlag);
  EXPECT_EQ(params.endLossResult, 777);
  EXPECT_EQ(params.endPositionResult, 888);
}

TEST(AnalyzeTraceTest, TraceWithoutAnyRiseGivesTheLaunchAlone) {
  SyntheticTraceSpec spec = CleanFibreSpec(20000, -0.2);
  auto points = MakeSyntheticTrace(spec);
  AnalysisParams params = MakeSyntheticParams(spec);
  std::vector<AnalysisEvent> events;
  EXPECT_EQ(Analyze(points, events, params), 1);
  EXPECT_EQ(events[0].type, kEventLaunch);
  EXPECT_EQ(events[0].startIndex, 0);
  EXPECT_EQ(events[0].position, 0.0f);
}

// A step deeper than the end threshold ends the fibre; a connector behind it stays on the list
// unless the caller asks for the events behind the end to be cut.
TEST(AnalyzeTraceTest, CutAfterEndEndsTheListAtTheEndEvent) {
  SyntheticTraceSpec spec = Link(20000);
  spec.steps = {{4.0, 0.3}, {6.0, 4.0}};
  spec.reflections = {{10.0, -40.0, 0.5}};
  spec.fibreEndKm = 1e9;
  spec.noiseSigmaDb = 0.0;
  struct Run {
    std::vector<AnalysisEvent> events;
    int count = 0;
    int end = -1;
    AnalysisParams params;
  } kept, cut;
  for (auto [run, flag] : {std::pair{&kept, 0}, std::pair{&cut, 1}}) {
    auto points = MakeSyntheticTrace(spec);
    run->params = MakeSyntheticParams(spec);
    run->params.cutAfterEnd = flag;
    run->count = Analyze(points, run->events, run->params);
    ExpectSaneResult(run->events, run->count, flag ? "cut" : "kept");
    for (int i = 0; i < run->count && run->end < 0; ++i) {
      if (run->events[i].endFlag == kEndFlag) run->end = i;
    }
    ASSERT_GT(run->end, 0) << flag;
    const AnalysisEvent& end = run->events[run->end];
    EXPECT_NEAR(end.position, 6.0, 0.02) << flag;
    EXPECT_EQ(run->params.endPositionResult, static_cast<std::int32_t>(end.position * 1000.0)) << flag;
    EXPECT_EQ(run->params.endLossResult, std::lround(end.cumulativeLoss * 1000.0)) << flag;
  }
  EXPECT_EQ(cut.count, cut.end + 1);
  ASSERT_EQ(kept.end, cut.end);
  EXPECT_GT(kept.count, kept.end + 1);
  EXPECT_EQ(kept.events[kept.count - 1].type, kEventReflective);
  EXPECT_NEAR(kept.events[kept.count - 1].position, 10.0, 0.02);
}

TEST(AnalyzeTraceTest, WritesNoMoreEventsThanTheCallerHasRoomFor) {
  auto points = MakeSyntheticTrace(Link(5000));
  AnalysisParams params = MakeSyntheticParams(Link(5000));
  std::vector<AnalysisEvent> one(1);
  EXPECT_EQ(AnalyzeTrace(points, one, params), 1);
  EXPECT_EQ(one[0].type, kEventLaunch);
  EXPECT_EQ(AnalyzeTrace(points, std::span<AnalysisEvent>(), params), 0);
}

}  // namespace
