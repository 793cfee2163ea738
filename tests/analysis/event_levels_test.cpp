#include "analysis/event_levels.h"

#include <gtest/gtest.h>

#include <vector>

#include "synthetic_trace.h"

namespace {

// Launch with right window [20, 50] and a second event at `index` whose left window ends 3 before it.
std::vector<AnalysisEvent> TwoEvents(const std::vector<TracePoint>& points, int index) {
  std::vector<AnalysisEvent> events(2);
  events[0].markers[2] = 20;
  events[0].markers[3] = 50;
  events[0].level = 123.0f;
  AnalysisEvent& e = events[1];
  e.type = kEventNonReflective;
  e.sampleIndex = e.startIndex = index;
  e.position = points[index].distance;
  e.markers[0] = index - 1000;
  e.markers[1] = index - 3;
  e.attenuation = 7.0f;
  return events;
}

TEST(ComputeEventLevelsTest, FirstSectionOfThreeKilometresIsOneFit) {
  const auto points = MakeSyntheticTrace(CleanFibreSpec(5000, -0.33));
  auto events = TwoEvents(points, 3000);
  ComputeEventLevels(points, events, 2, 1550.0f);
  EXPECT_EQ(events[0].markers[3], 50 + (2000 - 50) / 10);
  EXPECT_NEAR(events[0].level, -10.0f, 1e-4);
  EXPECT_EQ(events[0].cumulativeLoss, 0.0f);
  EXPECT_EQ(events[0].attenuation, 0.0f);
  EXPECT_NEAR(events[1].attenuation, 0.33f, 1e-4);
  EXPECT_NEAR(events[1].level, -10.0f - 0.33f * 3.0f, 1e-4);
  EXPECT_NEAR(events[1].cumulativeLoss, 0.99f, 1e-4);
}

TEST(ComputeEventLevelsTest, LongerFirstSectionKeepsTheCallersAttenuation) {
  const auto points = MakeSyntheticTrace(CleanFibreSpec(8000, -0.33));
  auto events = TwoEvents(points, 6000);
  ComputeEventLevels(points, events, 2, 1550.0f);
  EXPECT_EQ(events[0].markers[3], 50);
  EXPECT_EQ(events[1].attenuation, 7.0f);
  // Launch level from its right window's line at distance 0, event level from its left window.
  EXPECT_NEAR(events[0].level, -10.0f, 1e-4);
  EXPECT_NEAR(events[1].level, -10.0f - 0.33f * 6.0f, 1e-4);
  EXPECT_NEAR(events[1].cumulativeLoss, 0.33f * 6.0f, 1e-4);
}

TEST(ComputeEventLevelsTest, ImplausibleSlopesFallBackToTheDefaultAttenuation) {
  // -1 dB/km is steeper than twice any single-mode default, so every level is extrapolated from
  // the window's last sample with the default of the wavelength.
  const auto points = MakeSyntheticTrace(CleanFibreSpec(8000, -1.0));
  struct Case {
    float wavelength;
    double alpha;
  } cases[] = {{15500.0f, 0.22}, {1550.0f, 0.22}, {1310.0f, 0.32}};
  for (const Case& c : cases) {
    auto events = TwoEvents(points, 6000);
    ComputeEventLevels(points, events, 2, c.wavelength);
    const double lref = points[20].level + c.alpha * points[20].distance;
    const double level = points[5997].level - c.alpha * (points[6000].distance - points[5997].distance);
    EXPECT_NEAR(events[0].level, lref, 1e-4) << c.wavelength;
    EXPECT_NEAR(events[1].level, level, 1e-4) << c.wavelength;
    EXPECT_NEAR(events[1].cumulativeLoss, lref - level, 1e-4) << c.wavelength;
  }
  // At 850 nm -1 dB/km is plausible fibre.
  auto events = TwoEvents(points, 6000);
  ComputeEventLevels(points, events, 2, 850.0f);
  EXPECT_NEAR(events[0].level, -10.0f, 1e-3);
}

TEST(ComputeEventLevelsTest, LaunchAloneKeepsItsLevel) {
  const auto points = MakeSyntheticTrace(CleanFibreSpec(500, -0.33));
  auto events = TwoEvents(points, 300);
  events[0].loss = 1.0f;
  ComputeEventLevels(points, events, 1, 1550.0f);
  EXPECT_EQ(events[0].level, 123.0f);
  EXPECT_EQ(events[0].loss, 0.0f);
}

}  // namespace
