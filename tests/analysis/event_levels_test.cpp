#include "analysis/event_levels.h"

#include <gtest/gtest.h>

#include <vector>

#include "analysis/line_fit.h"
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
  // the window's last sample with the default of the wavelength's band.
  const auto points = MakeSyntheticTrace(CleanFibreSpec(8000, -1.0));
  struct Case {
    float wavelength;
    double alpha;
  } cases[] = {{15500.0f, 0.22}, {1550.0f, 0.22}, {1310.0f, 0.32}, {1308.4f, 0.32}, {1312.9f, 0.32},
               {1548.6f, 0.22}, {1651.3f, 0.22},
               // A file that gives no wavelength is a 1310 nm trace.
               {0.0f, 0.32}};
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

TEST(ComputeEventLevelsTest, FirstSectionFitKeepsClearOfTheSecondEventsWindowWhenItCan) {
  // The second event's left window lies 1 dB higher than the fibre in front of it, so a fit that
  // reaches into it is visibly flatter than one that stops at its start.
  auto points = MakeSyntheticTrace(CleanFibreSpec(5000, -0.33));
  for (int i = 2001; i <= 2997; ++i) points[i].level += 1.0f;
  struct Case {
    const char* name;
    int m0, movedM3, fitFirst, fitLast;
  } cases[] = {
      {"far: from the moved m3 to m0", 2000, 50 + (2000 - 50) / 10, 245, 2000},
      {"near: from m2 to m1", 90, 54, 20, 2997},
  };
  for (const Case& c : cases) {
    auto events = TwoEvents(points, 3000);
    events[1].markers[0] = c.m0;
    ComputeEventLevels(points, events, 2, 1550.0f);
    double slope = 0.0, intercept = 0.0;
    FitLine(points, c.fitFirst, c.fitLast, slope, intercept);
    EXPECT_EQ(events[0].markers[3], c.movedM3) << c.name;
    EXPECT_NEAR(events[1].attenuation, -slope, 1e-5) << c.name;
    EXPECT_NEAR(events[0].level, intercept, 1e-5) << c.name;
  }
}

TEST(ComputeEventLevelsTest, FirstSectionBoundsAndLaunchWindowStart) {
  // 125 m spacing keeps the distances exact, so a first section of exactly 5 km can be built.
  SyntheticTraceSpec coarse = CleanFibreSpec(100, -0.33);
  coarse.spacingKm = 0.125;
  const auto coarsePoints = MakeSyntheticTrace(coarse);
  const auto finePoints = MakeSyntheticTrace(CleanFibreSpec(8000, -0.33));
  struct Case {
    const char* name;
    const std::vector<TracePoint>* points;
    int launchM2, launchM3, m0, m1, index;
    bool firstSectionFit;
    double launchLevel;
  } cases[] = {
      {"exactly 5 km is not fitted", &coarsePoints, 1, 2, 30, 42, 45, false, -10.0 - 0.33 * 0.125 + 0.22 * 0.125},
      {"4.875 km is fitted", &coarsePoints, 1, 2, 30, 41, 45, true, -10.0},
      // Behind a longer section the launch level comes from its window only when it starts after sample 10.
      {"window from sample 11: line", &finePoints, 11, 50, 5000, 5997, 6000, false, -10.0},
      {"window from sample 10: sample plus 0.22 dB/km", &finePoints, 10, 50, 5000, 5997, 6000, false,
       -10.0 - 0.33 * 0.010 + 0.22 * 0.010},
  };
  for (const Case& c : cases) {
    const auto& points = *c.points;
    std::vector<AnalysisEvent> events(2);
    events[0].markers[2] = c.launchM2;
    events[0].markers[3] = c.launchM3;
    events[1].type = kEventNonReflective;
    events[1].sampleIndex = c.index;
    events[1].position = points[c.index].distance;
    events[1].markers[0] = c.m0;
    events[1].markers[1] = c.m1;
    events[1].attenuation = 7.0f;
    ComputeEventLevels(points, events, 2, 1550.0f);
    if (c.firstSectionFit) {
      EXPECT_NEAR(events[1].attenuation, 0.33f, 1e-4) << c.name;
      EXPECT_NE(events[0].markers[3], c.launchM3) << c.name;
    } else {
      EXPECT_EQ(events[1].attenuation, 7.0f) << c.name;
      EXPECT_EQ(events[0].markers[3], c.launchM3) << c.name;
    }
    EXPECT_NEAR(events[0].level, c.launchLevel, 1e-4) << c.name;
  }
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
