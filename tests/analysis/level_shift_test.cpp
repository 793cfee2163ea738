// Traces on another power scale reach the engine shifted onto its own; every other trace unshifted.
#include "analysis/level_shift.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/noise_start.h"
#include "synthetic_trace.h"

namespace {

// The realistic link with its levels lowered until its fibre lies below the noise reference, as an
// instrument storing another scale writes it.
constexpr double kLowered = 45.0;

SyntheticTraceSpec LoweredLink(std::uint32_t seed) {
  SyntheticTraceSpec spec = RealisticLinkSpec(20000);
  spec.seed = seed;
  spec.launchLevelDb -= kLowered;
  spec.noiseFloorDb -= kLowered;
  spec.quantise = false;
  return spec;
}

TEST(LevelShiftTest, TracesTheEngineSeesAreNotShifted) {
  for (const SyntheticTraceSpec& spec : {RealisticLinkSpec(10000), RealisticLinkSpec(80000), LongLinkSpec(1),
                                         CleanFibreSpec(20000, -0.33)}) {
    EXPECT_EQ(FindLevelShift(MakeSyntheticTrace(spec), ComputeNoiseReference()), 0.0f);
  }
}

TEST(LevelShiftTest, ATraceBelowTheReferenceIsShiftedByItsNoiseFloor) {
  const SyntheticTraceSpec spec = LoweredLink(1);
  const float shift = FindLevelShift(MakeSyntheticTrace(spec), ComputeNoiseReference());
  // The floor comes up to the reference, within what the noise moves its mean.
  EXPECT_NEAR(shift, ComputeNoiseReference() - spec.noiseFloorDb, 0.3);
}

TEST(LevelShiftTest, ALoweredTraceGivesTheEventsOfTheTraceOnTheEnginesScale) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    const SyntheticTraceSpec lowered = LoweredLink(seed);
    std::vector<TracePoint> ownPoints = MakeSyntheticTrace(lowered);
    std::vector<TracePoint> points = ownPoints;
    const float shift = FindLevelShift(points, ComputeNoiseReference());
    for (TracePoint& p : ownPoints) p.level += shift;

    std::vector<AnalysisEvent> expected(kAnalysisEventCapacity), found(kAnalysisEventCapacity);
    AnalysisParams ownParams = MakeSyntheticParams(lowered);
    AnalysisParams params = MakeSyntheticParams(lowered);
    const int n = AnalyzeTrace(ownPoints, expected, ownParams);
    ASSERT_EQ(AnalyzeTrace(points, found, params), n);
    ASSERT_GE(n, 5);
    for (int i = 0; i < n; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(found[i].sampleIndex, expected[i].sampleIndex);
      EXPECT_EQ(found[i].endFlag, expected[i].endFlag);
      EXPECT_NEAR(found[i].loss, expected[i].loss, 1e-3);
      EXPECT_NEAR(found[i].reflectance, expected[i].reflectance, 1e-3);
      // Levels are the trace's own.
      EXPECT_NEAR(found[i].level, expected[i].level - shift, 1e-3);
    }
  }
}

}  // namespace
