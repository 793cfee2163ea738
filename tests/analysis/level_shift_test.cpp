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
    EXPECT_EQ(FindLevelShift(MakeSyntheticTrace(spec), ComputeNoiseReference(), PulseSamples(spec)), 0.0f);
  }
}

TEST(LevelShiftTest, ATraceBelowTheReferenceIsShiftedByItsNoiseFloor) {
  const SyntheticTraceSpec spec = LoweredLink(1);
  const float shift = FindLevelShift(MakeSyntheticTrace(spec), ComputeNoiseReference(), PulseSamples(spec));
  // The floor comes up to the reference, within what the noise moves its mean.
  EXPECT_NEAR(shift, ComputeNoiseReference() - spec.noiseFloorDb, 0.3);
}

TEST(LevelShiftTest, AFibreNearTheReferenceIsShiftedWhateverItsReflectionsFill) {
  // A short pulse at fine spacing and a long pulse at coarse: the end reflection with the
  // receiver's recovery behind it fills a hundredth of the trace, the fibre does not reach 5.5 dB
  // over the reference, the floor lies 7 to 12 dB below it.
  for (const SyntheticTraceSpec& spec : {InstrumentShortLinkSpec(10, 0.16, 0.05, 1308.4f, -55.0),
                                         InstrumentShortLinkSpec(1000, 2.0, 0.02, 1310.0f, -60.0)}) {
    SCOPED_TRACE(spec.pulseWidthNs);
    const float shift = FindLevelShift(MakeSyntheticTrace(spec), ComputeNoiseReference(), PulseSamples(spec));
    EXPECT_GT(shift, ComputeNoiseReference() - spec.noiseFloorDb);
    EXPECT_LT(shift, ComputeNoiseReference() - spec.noiseFloorDb + 5.0);
  }
}

TEST(LevelShiftTest, ALoweredTraceGivesTheEventsOfTheTraceOnTheEnginesScale) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    const SyntheticTraceSpec lowered = LoweredLink(seed);
    std::vector<TracePoint> ownPoints = MakeSyntheticTrace(lowered);
    std::vector<TracePoint> points = ownPoints;
    const float shift = FindLevelShift(points, ComputeNoiseReference(), PulseSamples(lowered));
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
