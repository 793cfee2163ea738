// Short-pulse links as instruments record them: a 10 ns pulse sampled far finer than its length or
// about as fine, a laser on or off its nominal wavelength. The gainer and the splice are found with
// their losses, the end where the fibre ends, and nothing where the trace shows no event.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/event_list_helpers.h"
#include "event_invariants.h"
#include "synthetic_trace.h"

namespace {

constexpr double kGainerKm = 1.4;
constexpr double kSpliceKm = 2.6;
constexpr double kConnectorKm = 2.0;
constexpr double kEndKm = 3.0;
constexpr std::array<double, 4> kEventsKm = {kGainerKm, kSpliceKm, kConnectorKm, kEndKm};
constexpr double kStepDb = 0.3;
constexpr double kLossToleranceDb = 0.05;
// The level at the launch: 23.5 dB above the floor, as a 10 ns pulse reaches.
constexpr double kLaunchLevelDb = -25.0;

struct LinkCase {
  double spacingM;
  double noiseDb;  // noise of the backscatter at the launch
  float wavelengthNm;
};

SyntheticTraceSpec ShortPulseLink(const LinkCase& c) {
  SyntheticTraceSpec spec;
  spec.spacingKm = c.spacingM / 1000.0;
  spec.pointCount = static_cast<int>(4.0 / spec.spacingKm);
  spec.pulseWidthNs = 10;
  spec.rangeKm = 5.0f;
  spec.wavelengthNm = c.wavelengthNm;
  spec.launchLevelDb = kLaunchLevelDb;
  spec.slopeDbPerKm = -0.33;
  spec.steps = {{kGainerKm, -kStepDb}, {kSpliceKm, kStepDb}};
  spec.reflections = {{kConnectorKm, -45.0, 0.5}, {kEndKm, -20.0}};
  spec.fibreEndKm = kEndKm + 0.002;
  spec.pulseShaped = true;
  // The receiver's noise grows tenfold for every 10 dB the signal sinks towards the floor.
  spec.noiseSigmaDb = c.noiseDb * std::pow(10.0, (kLaunchLevelDb - spec.noiseFloorDb) / 10.0);
  return spec;
}

struct Found {
  std::vector<AnalysisEvent> events = std::vector<AnalysisEvent>(kAnalysisEventCapacity);
  int count = 0;

  const AnalysisEvent* Near(double km, double tolerance) const {
    for (int i = 1; i < count; ++i) {
      const AnalysisEvent& e = events[static_cast<std::size_t>(i)];
      if (std::fabs(e.position - km) <= tolerance) return &e;
    }
    return nullptr;
  }
};

Found Analyse(const SyntheticTraceSpec& spec) {
  std::vector<TracePoint> points = MakeSyntheticTrace(spec);
  AnalysisParams params = MakeSyntheticParams(spec);
  Found f;
  f.count = AnalyzeTrace(points, f.events, params);
  return f;
}

void ExpectStep(const Found& f, double km, double lossDb, double tolerance) {
  SCOPED_TRACE(testing::Message() << "step at " << km << " km");
  const AnalysisEvent* e = f.Near(km, tolerance);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->type, kEventNonReflective);
  EXPECT_NEAR(e->loss, lossDb, kLossToleranceDb);
}

class ShortPulseLinkTest : public testing::TestWithParam<LinkCase> {};

TEST_P(ShortPulseLinkTest, FindsEveryStepAndTheEndAndNothingElse) {
  const LinkCase c = GetParam();
  const SyntheticTraceSpec spec = ShortPulseLink(c);
  const Found f = Analyse(spec);
  ExpectWellFormedEvents(f.events, f.count, spec.pointCount);
  // An event lies between two samples; where they stand further apart than 2 m, it is placed to
  // the sample. The float distances get a micrometre.
  const double tolerance = std::max({spec.pulseWidthNs / 10000.0, 0.002, spec.spacingKm}) + 1e-6;
  ExpectStep(f, kGainerKm, -kStepDb, tolerance);
  ExpectStep(f, kSpliceKm, kStepDb, tolerance);
  const AnalysisEvent* end = f.Near(kEndKm, tolerance);
  ASSERT_NE(end, nullptr);
  EXPECT_TRUE(HasEndFlag(*end));
  // Behind the end only the noise floor remains, and there the engine's own rule for reflections holds.
  for (int i = 1; i < f.count && f.events[static_cast<std::size_t>(i - 1)].endFlag != kEndFlag; ++i) {
    const double at = f.events[static_cast<std::size_t>(i)].position;
    const bool known = std::any_of(kEventsKm.begin(), kEventsKm.end(),
                                   [&](double km) { return std::fabs(at - km) <= tolerance; });
    EXPECT_TRUE(known) << "event " << i << " at " << at << " km, where the trace shows none";
  }
}

std::vector<LinkCase> AllCases() {
  std::vector<LinkCase> cases;
  for (double spacing : {0.16, 1.0, 2.5}) {
    for (double noise : {0.005, 0.02}) {
      for (float wavelength : {1308.4f, 1310.0f}) cases.push_back({spacing, noise, wavelength});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(SpacingNoiseWavelength, ShortPulseLinkTest, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<LinkCase>& info) {
                           const LinkCase& c = info.param;
                           return "spacing" + std::to_string(static_cast<int>(c.spacingM * 100)) + "cm_noise" +
                                  std::to_string(static_cast<int>(c.noiseDb * 1000)) + "mdB_" +
                                  std::to_string(static_cast<int>(c.wavelengthNm * 10)) + "tenths";
                         });

}  // namespace
