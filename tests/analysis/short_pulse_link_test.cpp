// Short-pulse links as instruments record them: a 10 ns pulse sampled far finer than its length or
// about as fine, a laser on or off its nominal wavelength. The gainer and the splice are found with
// their losses, the end where the fibre ends, and nothing where the trace shows no event.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/event_list_helpers.h"
#include "event_invariants.h"
#include "synthetic_trace.h"

namespace {

// Where ShortPulseLinkSpec puts its events.
constexpr double kGainerKm = 0.5;
constexpr double kSpliceKm = 1.2;
constexpr double kConnectorKm = 2.0;
constexpr double kEndKm = 3.0;
constexpr std::array<double, 4> kEventsKm = {kGainerKm, kSpliceKm, kConnectorKm, kEndKm};
constexpr double kStepDb = 0.3;
constexpr double kLossToleranceDb = 0.05;

struct LinkCase {
  double spacingM;
  double noiseDb;  // noise of the backscatter at the launch
  float wavelengthNm;
  int pulseWidthNs = 10;
};

SyntheticTraceSpec ShortPulseLink(const LinkCase& c) {
  return ShortPulseLinkSpec(c.spacingM, c.noiseDb, c.wavelengthNm, c.pulseWidthNs);
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

// Both steps with their losses and the end where they lie, and nothing before the end that the
// trace does not show. Behind the end only the noise floor remains, where the engine's own rule for
// reflections holds.
void ExpectLinkFound(const SyntheticTraceSpec& spec) {
  const Found f = Analyse(spec);
  ExpectWellFormedEvents(f.events, f.count, spec.pointCount);
  // At every spacing, also at samples wider apart than 2 m. The float distances get a micrometre.
  const double tolerance = std::max(spec.pulseWidthNs / 10000.0, 0.002) + 1e-6;
  ExpectStep(f, kGainerKm, -kStepDb, tolerance);
  ExpectStep(f, kSpliceKm, kStepDb, tolerance);
  const AnalysisEvent* end = f.Near(kEndKm, tolerance);
  ASSERT_NE(end, nullptr);
  EXPECT_TRUE(HasEndFlag(*end));
  for (int i = 1; i < f.count && !HasEndFlag(f.events[static_cast<std::size_t>(i - 1)]); ++i) {
    const double at = f.events[static_cast<std::size_t>(i)].position;
    const bool known = std::any_of(kEventsKm.begin(), kEventsKm.end(),
                                   [&](double km) { return std::fabs(at - km) <= tolerance; });
    EXPECT_TRUE(known) << "event " << i << " at " << at << " km, where the trace shows none";
  }
}

class ShortPulseLinkTest : public testing::TestWithParam<LinkCase> {};

TEST_P(ShortPulseLinkTest, FindsEveryStepAndTheEndAndNothingElse) {
  // Three draws of the noise: a rule that holds by luck on one fails on another.
  for (std::uint32_t seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    SyntheticTraceSpec spec = ShortPulseLink(GetParam());
    spec.seed = seed;
    ExpectLinkFound(spec);
  }
}

TEST(ShortPulseLinkBandTest, EachWavelengthIsAnalysedAtItsBand) {
  // Instruments store the laser's own wavelength; the analysis is that of the listed one nearest it.
  // A file that gives no wavelength (0) is analysed as a single-mode 1310 nm trace, not at the
  // nearest band, 850 nm, whose multimode rules lose the gainer and the splice.
  const std::pair<float, float> lasers[] = {
      {1308.4f, 1310.0f}, {1312.9f, 1310.0f}, {1548.6f, 1550.0f}, {1651.3f, 1650.0f}, {0.0f, 1310.0f}};
  for (const auto& [laser, band] : lasers) {
    SCOPED_TRACE(laser);
    const Found off = Analyse(ShortPulseLink({1.0, 0.005, laser}));
    const Found nominal = Analyse(ShortPulseLink({1.0, 0.005, band}));
    ASSERT_EQ(off.count, nominal.count);
    EXPECT_GE(off.count, 5);
    for (int i = 0; i < off.count; ++i) {
      const AnalysisEvent& a = off.events[static_cast<std::size_t>(i)];
      const AnalysisEvent& b = nominal.events[static_cast<std::size_t>(i)];
      EXPECT_EQ(a.type, b.type) << i;
      EXPECT_EQ(a.sampleIndex, b.sampleIndex) << i;
      EXPECT_EQ(a.loss, b.loss) << i;
      EXPECT_EQ(a.reflectance, b.reflectance) << i;
      EXPECT_EQ(a.attenuation, b.attenuation) << i;
      EXPECT_EQ(a.endFlag, b.endFlag) << i;
    }
  }
}

std::vector<LinkCase> TenNanosecondCases() {
  std::vector<LinkCase> cases;
  for (double spacing : {0.16, 1.0, 2.5}) {
    for (double noise : {0.005, 0.02}) {
      for (float wavelength : {1308.4f, 1310.0f}) cases.push_back({spacing, noise, wavelength});
    }
  }
  return cases;
}

// Longer pulses span more samples at the same spacing: the same link, the same findings.
std::vector<LinkCase> LongerPulseCases() {
  std::vector<LinkCase> cases;
  for (int pulse : {30, 100}) {
    for (double spacing : {0.16, 1.0}) {
      for (double noise : {0.005, 0.02}) cases.push_back({spacing, noise, 1550.0f, pulse});
    }
  }
  return cases;
}

std::string CaseName(const testing::TestParamInfo<LinkCase>& info) {
  const LinkCase& c = info.param;
  return std::to_string(c.pulseWidthNs) + "ns_spacing" + std::to_string(static_cast<int>(c.spacingM * 100)) +
         "cm_noise" + std::to_string(static_cast<int>(c.noiseDb * 1000)) + "mdB_" +
         std::to_string(static_cast<int>(c.wavelengthNm * 10)) + "tenths";
}

INSTANTIATE_TEST_SUITE_P(TenNanoseconds, ShortPulseLinkTest, testing::ValuesIn(TenNanosecondCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(LongerPulses, ShortPulseLinkTest, testing::ValuesIn(LongerPulseCases()), CaseName);

}  // namespace
