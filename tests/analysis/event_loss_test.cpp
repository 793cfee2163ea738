#include "analysis/event_loss.h"

#include <gtest/gtest.h>

#include <vector>

#include "synthetic_trace.h"

namespace {

// A fibre of -0.3 dB/km with a 0.5 dB step at sample 500 (0.5 km).
std::vector<TracePoint> StepTrace(double stepDb = 0.5) {
  SyntheticTraceSpec spec = CleanFibreSpec(1000, -0.3);
  spec.steps = {{0.5, stepDb}};
  return MakeSyntheticTrace(spec);
}

// Launch plus one non-reflective event at 500 with windows [m0, m1] and [m2, m3].
std::vector<AnalysisEvent> Events(int m0, int m1, int m2, int m3, float loss = 0.0f) {
  std::vector<AnalysisEvent> events(2);
  events[0].loss = 7.0f;  // the launch is never touched
  AnalysisEvent& e = events[1];
  e.type = kEventNonReflective;
  e.sampleIndex = e.startIndex = e.peakIndex = 500;
  e.endIndex = 510;
  e.loss = loss;
  e.markers[0] = m0;
  e.markers[1] = m1;
  e.markers[2] = m2;
  e.markers[3] = m3;
  return events;
}

TEST(ComputeEventLossTest, WindowsOfThirtySamplesUseFitsShorterOnesTheBackscatter) {
  // With bs = -0.2 the fallback through level(m1) and level(m2), 100 samples apart, differs from
  // the fits: 0.5 + 0.3 * 0.1 - 0.2 * 0.1 = 0.51 dB.
  struct Case {
    int m0, m3;
    float expected;
  } cases[] = {{420, 580, 0.5f}, {421, 579, 0.51f}, {420, 579, 0.5f + 0.015f - 0.01f}};
  const auto points = StepTrace();
  for (const Case& c : cases) {
    auto events = Events(c.m0, 450, 550, c.m3);
    EXPECT_EQ(ComputeEventLoss(points, events, 2, -0.2f, 1550.0), 1);
    EXPECT_NEAR(events[1].loss, c.expected, 2e-4) << c.m0 << " " << c.m3;
    EXPECT_EQ(events[0].loss, 7.0f);
  }
}

TEST(ComputeEventLossTest, APositiveLossOnlyGrows) {
  struct Case {
    float before;
    double step;
    float expected;
  } cases[] = {
      {0.3f, 0.2, 0.3f},     // the larger earlier estimate survives
      {0.1f, 0.2, 0.2f},
      {-0.2f, -0.1, -0.1f},  // a gain is replaced
      {0.0f, -0.1, -0.1f},
  };
  for (const Case& c : cases) {
    auto events = Events(300, 497, 503, 700, c.before);
    ComputeEventLoss(StepTrace(c.step), events, 2, -0.3f, 1550.0);
    EXPECT_NEAR(events[1].loss, c.expected, 1e-4) << c.before << " " << c.step;
  }
}

TEST(ComputeEventLossTest, ImplausibleBackscatterIsIgnoredInTheSingleModeBands) {
  // Short windows 100 samples apart: the drop between m1 and m2 is 0.53 dB; a backscatter of
  // -0.9 dB/km counts only in the multimode bands. A laser off nominal is in its band.
  struct Case {
    double wavelength;
    float expected;
  } cases[] = {{1550.0, 0.53f}, {1310.05, 0.53f}, {1549.8, 0.53f}, {1308.4, 0.53f}, {1651.3, 0.53f},
               {1300.0, 0.53f - 0.09f}, {1303.0, 0.53f - 0.09f}, {851.0, 0.53f - 0.09f}};
  for (const Case& c : cases) {
    auto events = Events(440, 450, 550, 560);
    ComputeEventLoss(StepTrace(), events, 2, -0.9f, c.wavelength);
    EXPECT_NEAR(events[1].loss, c.expected, 2e-4) << c.wavelength;
  }
}

TEST(EstimatePreliminaryLossTest, DropAcrossTheEventCorrectedByTheBackscatter) {
  const auto points = StepTrace();
  auto events = Events(0, 0, 0, 0);
  events[1].sampleIndex = 490;
  EstimatePreliminaryLoss(points, events, 2, -0.3f, 1550.0);
  EXPECT_EQ(events[0].loss, 0.0f);
  EXPECT_NEAR(events[1].loss, 0.5f, 1e-4);

  // The next event right behind the end: the drop is measured to the end index itself.
  events.push_back(events[1]);
  events[2].sampleIndex = 511;
  events[1].loss = 0.0f;
  EstimatePreliminaryLoss(points, events, 3, 0.0f, 1550.0);
  EXPECT_NEAR(events[1].loss, points[490].level - points[510].level, 1e-6);
}

}  // namespace
