#include "analysis/slope_change_detection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include "event_fixtures.h"

namespace {

// A fibre starting `start` dB above the reference whose level falls by `step` dB, spread evenly over
// the 20 samples from 1000 on.
std::vector<TracePoint> FibreWithRamp(double start, double step, double slope = -0.33, int n = 3000) {
  const double level0 = Reference() + start;
  return TraceOf(n, 0.001, [=](double x) {
    const double ramp = std::clamp((x - 1.0) / 0.02, 0.0, 1.0);
    return level0 + slope * x - step * ramp;
  });
}

std::vector<SlopeSample> SlopesOf(const std::vector<TracePoint>& points) {
  std::vector<SlopeSample> slopes(points.size());
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    slopes[i] = SlopeSample{static_cast<std::int32_t>(i), (static_cast<double>(points[i + 1].level) - points[i].level) /
                                                            (static_cast<double>(points[i + 1].distance) - points[i].distance)};
  }
  return slopes;
}

NoiseWindowTable NoiseOf(std::size_t n, float value) {
  NoiseWindowTable table;
  table.values.assign((n + kNoiseWindowLength - 1) / kNoiseWindowLength, value);
  return table;
}

struct Scan {
  std::vector<SlopeChangeCandidate> found;
  int added = 0;
};

Scan ScanGap(const std::vector<TracePoint>& points, int from, int to, float noise, int foundSoFar = 0,
             double wavelength = 1550.0, float bs = -0.33f) {
  Scan scan;
  scan.found.resize(200);
  scan.added = DetectSlopeChanges(points, from, to, scan.found, SlopesOf(points), bs, foundSoFar, wavelength, 100,
                                  Reference(), NoiseOf(points.size(), noise));
  return scan;
}

TEST(DetectSlopeChangesTest, FindsAStepThatStandsOutOfTheLocalNoise) {
  struct Case {
    const char* name;
    double start;  // dB above the reference
    float noise;
    int foundSoFar;
    bool found;
  } cases[] = {
      {"far above the noise", 38.0, 1.0f, 0, true},
      {"near the noise, quiet window", 5.0, 0.2f, 0, true},
      {"near the noise, noisy window", 5.0, 0.4f, 0, false},
      {"near the noise, fewer than 190 finds", 5.0, 0.25f, 190, true},
      {"near the noise, after 190 finds", 5.0, 0.25f, 191, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto points = FibreWithRamp(c.start, 0.5);
    const Scan scan = ScanGap(points, 500, 1500, c.noise, c.foundSoFar);
    ASSERT_EQ(scan.added, c.found ? 1 : 0);
    if (c.found) {
      const SlopeChangeCandidate& step = scan.found[0];
      EXPECT_EQ(step.start, 1000);
      EXPECT_EQ(step.end, 1024);
      EXPECT_FLOAT_EQ(step.startPosition, points[1000].distance);
      EXPECT_EQ(step.markers[1], 1000);
      EXPECT_EQ(step.markers[2], 1024);
      EXPECT_EQ(step.markers[0] + step.markers[3] + step.markers[4], 0);
    }
  }
}

TEST(DetectSlopeChangesTest, NothingInAShortGapOrAfterTwoHundred) {
  const auto points = FibreWithRamp(38.0, 0.5);
  EXPECT_EQ(ScanGap(points, 990, 1009, 0.0f).added, 0);
  EXPECT_EQ(ScanGap(points, 500, 1500, 0.0f, 200).added, 0);
}

TEST(DetectSlopeChangesTest, TheTwoHundredthEndsTheSearchInTheMiddleOfAGap) {
  auto points = FibreWithRamp(38.0, 0.5);
  for (std::size_t i = 2000; i < points.size(); ++i) points[i].level -= static_cast<float>(std::min(1.0, (i - 2000) / 20.0));
  EXPECT_EQ(ScanGap(points, 500, 2900, 0.0f).added, 2);
  EXPECT_EQ(ScanGap(points, 500, 2900, 0.0f, 199).added, 1);
}

TEST(DetectSlopeChangesTest, ASteepEstimateIsReplacedByAFlatSlopeAtListedWavelengths) {
  // A plain fibre of -0.9 dB/km: at 1550 nm the search compares with 0 dB/km and sees the whole gap
  // as a change; at 1300 nm it compares with the estimate itself and sees nothing.
  const auto points = FibreWithRamp(38.0, 0.0, -0.9);
  EXPECT_GE(ScanGap(points, 500, 1500, 0.0f, 0, 1550.0, -0.9f).added, 1);
  EXPECT_EQ(ScanGap(points, 500, 1500, 0.0f, 0, 1300.0, -0.9f).added, 0);
}

// A 10 ns trace sampled every 16 cm, 15 dB above the reference, with normal noise of `sigma` dB on
// every sample, smoothed as the gaps are (five passes of five-sample means).
std::vector<TracePoint> NoisyFineFibre(double sigma, const std::function<double(int)>& shape) {
  constexpr int kSamples = 6000;
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, sigma);
  const double level0 = Reference() + 15.0;
  auto points = TraceOf(kSamples, 0.00016, [&](double x) { return level0 - 0.33 * x; });
  for (int i = 0; i < kSamples; ++i) {
    points[static_cast<std::size_t>(i)].level += static_cast<float>(shape(i) + noise(rng));
  }
  for (int pass = 0; pass < 5; ++pass) {
    const auto before = points;
    for (int i = 2; i + 2 < kSamples; ++i) {
      double sum = 0.0;
      for (int k = i - 2; k <= i + 2; ++k) sum += before[static_cast<std::size_t>(k)].level;
      points[static_cast<std::size_t>(i)].level = static_cast<float>(sum / 5.0);
    }
  }
  return points;
}

Scan ScanShortPulse(const std::vector<TracePoint>& points) {
  Scan scan;
  scan.found.resize(200);
  scan.added = DetectSlopeChanges(points, 100, static_cast<int>(points.size()) - 100, scan.found, SlopesOf(points),
                                  -0.33f, 0, 1310.0, 10, Reference(), NoiseOf(points.size(), 0.01f));
  return scan;
}

TEST(DetectSlopeChangesTest, OnAFinelySampledNoisyFibreOnlyTheStepIsAChange) {
  // Sample to sample the slopes swing by tens of dB/km; a 0.3 dB step spread over the pulse (6
  // samples) at sample 3000 is the one change, found where it lies.
  for (double sigma : {0.005, 0.02}) {
    SCOPED_TRACE(sigma);
    const auto points = NoisyFineFibre(sigma, [](int i) { return -0.3 * std::clamp((i - 3000) / 6.0, 0.0, 1.0); });
    const Scan scan = ScanShortPulse(points);
    ASSERT_EQ(scan.added, 1);
    EXPECT_NEAR(scan.found[0].start, 3000, 20);
    // The run ends behind the step, within the reach of the smoothing and of the stretch.
    EXPECT_GT(scan.found[0].end, 3006);
    EXPECT_LT(scan.found[0].end, 3060);
  }
}

TEST(DetectSlopeChangesTest, AFallIntoTheNoiseStaysOneChange) {
  // Behind the fibre's end the receiver's tail falls 6 dB over 600 samples (60 dB/km): slower than
  // the slopes swing, but a fall all the same, which the plain rule follows from its start.
  const auto points = NoisyFineFibre(0.02, [](int i) { return -6.0 * std::clamp((i - 3000) / 600.0, 0.0, 1.0); });
  const Scan scan = ScanShortPulse(points);
  ASSERT_GE(scan.added, 1);
  EXPECT_NEAR(scan.found[0].start, 3000, 20);
  EXPECT_GT(scan.found[0].end, 3300);
}

TEST(BuildEventListTest, MergesBothListsByPosition) {
  const auto points = FibreLine(3000);
  ReflectiveCandidateList candidates{};
  candidates[0] = ReflectiveCandidate{0, 0, 2, 20, 0.0f};
  candidates[1] = ReflectiveCandidate{0, 1000, 1005, 1030, 1.0f};
  candidates[2] = ReflectiveCandidate{1, 1900, 1900, 1900, 1.9f};
  const std::vector<SlopeChangeCandidate> changes{{500, 530, 0.5f, {0, 500, 530, 0, 0}},
                                                  {1500, 1530, 1.5f, {0, 1500, 1530, 0, 0}},
                                                  {1950, 1980, 1.95f, {0, 1950, 1980, 0, 0}}};
  std::vector<AnalysisEvent> events(10);
  ASSERT_EQ(BuildEventList(points, candidates, 2, changes, events), 4);
  const int types[] = {kEventLaunch, kEventNonReflective, kEventReflective, kEventNonReflective};
  const int starts[] = {0, 500, 1000, 1500};
  const int ends[] = {20, 530, 1030, 1530};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    EXPECT_EQ(e.type, types[i]);
    EXPECT_EQ(e.sampleIndex, starts[i]);
    EXPECT_EQ(e.startIndex, starts[i]);
    EXPECT_EQ(e.endIndex, ends[i]);
    EXPECT_EQ(e.markers[1], starts[i]);
    EXPECT_EQ(e.markers[2], ends[i]);
    EXPECT_EQ(e.reflectance, 0.0f);
    EXPECT_EQ(e.endFlag, 0);
    EXPECT_EQ(e.comment[0], u'\0');
  }
  EXPECT_EQ(events[2].peakIndex, 1005);
  EXPECT_EQ(events[1].peakIndex, 500);
  EXPECT_FLOAT_EQ(events[1].position, 0.5f);
}

AnalysisEvent Spanning(EventRowType type, int start, int end, int peak = -1) {
  AnalysisEvent e{};
  e.type = type;
  e.sampleIndex = e.startIndex = start;
  e.endIndex = end;
  e.peakIndex = peak < 0 ? start : peak;
  return e;
}

TEST(SetLsaMarkersTest, WindowsFollowTheGapsBetweenEvents) {
  auto points = FibreLine(5000);
  for (int i = 562; i <= 565; ++i) points[static_cast<std::size_t>(i)].level = -5.0f;  // a flat top
  std::vector<AnalysisEvent> events{Spanning(kEventLaunch, 0, 10), Spanning(kEventNonReflective, 10, 40),
                                    Spanning(kEventNonReflective, 50, 60), Spanning(kEventReflective, 560, 580, 565),
                                    Spanning(kEventNonReflective, 1000, 1010)};
  ASSERT_EQ(SetLsaMarkers(points, events, 5), 1);
  const int expected[5][5] = {
      {0, 0, 10, 10, 0},         // launch; no gap to the next event
      {10, 10, 40, 50},          // no gap before; 10 samples after
      {40, 50, 63, 263},         // 10 before; 500 after, capped at 201 samples
      {357, 557, 583, 783, 563}, // capped on both sides; centre of the flat top
      {797, 997, 1013, 1059},    // the last: up to half-way to a virtual event 100 samples behind
  };
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(events[static_cast<std::size_t>(i)].markers[k], expected[i][k]) << "m" << k;
  }
  EXPECT_EQ(SetLsaMarkers(points, events, 0), 0);
}

TEST(SetLsaMarkersTest, HalfAGapIsCappedOnlyBeyond201Samples) {
  // Half of a 300-sample gap leaves 146 samples per window; the cap bites from about 410 on.
  const auto points = FibreLine(5000);
  for (const auto& [gap, length] : {std::pair{300, 146}, std::pair{410, 200}}) {
    SCOPED_TRACE(gap);
    std::vector<AnalysisEvent> events{Spanning(kEventLaunch, 0, 100), Spanning(kEventNonReflective, 100 + gap, 110 + gap)};
    SetLsaMarkers(points, events, 2);
    EXPECT_EQ(events[0].markers[3] - events[0].markers[2], length);
    EXPECT_EQ(events[1].markers[1] - events[1].markers[0], length);
  }
}

TEST(SetLsaMarkersTest, TheLastWindowShrinksNearTheTraceEnd) {
  const auto points = FibreLine(5000);
  struct Case {
    int end;
    int m2, m3;
  } cases[] = {{4985, 4985, 4985}, {4965, 4965, 4980}, {4950, 4953, 4964}, {4800, 4803, 4849}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.end);
    std::vector<AnalysisEvent> events{Spanning(kEventLaunch, 0, 10), Spanning(kEventNonReflective, c.end - 5, c.end)};
    SetLsaMarkers(points, events, 2);
    EXPECT_EQ(events[1].markers[2], c.m2);
    EXPECT_EQ(events[1].markers[3], c.m3);
  }
}

TEST(RefineNonReflectiveStartTest, ReportsALargeLossWhereItsSteepDropBegins) {
  // Five gentle steps (-3 dB/km), then 2 dB over 20 samples.
  const auto points = TraceOf(3000, 0.001, [](double x) {
    const double gentle = std::clamp(x - 1.0, 0.0, 0.005) * 3.0;
    const double steep = std::clamp((x - 1.005) / 0.02, 0.0, 1.0) * 2.0;
    return -10.0 - 0.33 * x - gentle - steep;
  });
  struct Case {
    const char* name;
    float range;
    int pulseWidth;
    float loss;
    int index;
  } cases[] = {
      {"ordinary range", 20.0f, 100, 2.0f, 1005},
      {"long range", 240.0f, 100, 2.0f, 1000},
      {"long pulse", 20.0f, 3000, 2.0f, 1000},
      {"small loss stays", 20.0f, 100, 0.9f, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnalysisParams params;
    params.range = c.range;
    params.pulseWidth = c.pulseWidth;
    AnalysisEvent event = EventAt(kEventNonReflective, 1000, c.loss, {800, 997, 1040, 1300});
    event.endIndex = 1040;
    std::vector<AnalysisEvent> events{LaunchEvent(), event};
    RefineNonReflectiveStart(points, events, 2, params);
    EXPECT_EQ(events[1].sampleIndex, c.index);
    EXPECT_EQ(events[1].startIndex, c.index);
    EXPECT_FLOAT_EQ(events[1].position, points[static_cast<std::size_t>(c.index)].distance);
  }
}

TEST(ShiftNonReflectiveStartTest, MovesTheIndexToWhereTheExcessDropShows) {
  // 0.6 dB spread over the ten samples from 1000 on; the threshold is a third of the loss per
  // whole microsecond of the pulse.
  const auto points = TraceOf(3000, 0.001, [](double x) { return -10.0 - 0.33 * x - 0.6 * std::clamp((x - 1.0) / 0.01, 0.0, 1.0); });
  struct Case {
    int pulseWidth;
    int index;
    int expected;
  } cases[] = {{10, 990, 1004}, {3000, 990, 1002}, {10, 1010, 1010}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pulseWidth << " ns from " << c.index);
    AnalysisParams params;
    params.pulseWidth = c.pulseWidth;
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, c.index, 0.6f, {800, 990, 1030, 1200})};
    ShiftNonReflectiveStart(points, events, 2, -0.33f, Reference(), params);
    EXPECT_EQ(events[1].sampleIndex, c.expected);
    EXPECT_FLOAT_EQ(events[1].position, points[static_cast<std::size_t>(c.expected)].distance);
  }
}

TEST(AdjustLossIndexTest, ReportsTheLastSampleOnTheLineBefore) {
  const auto raw = TraceOf(3000, 0.001, [](double x) { return -10.0 - 0.33 * x - (x >= 1.0 - 1e-9 ? 0.5 : 0.0); });
  AnalysisParams params;
  params.pulseWidth = 100;
  for (const auto& [index, expected] : {std::pair{995, 999}, std::pair{1005, 1005}}) {
    SCOPED_TRACE(index);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, index, 0.5f, {800, 990, 1010, 1200})};
    AdjustLossIndex(events, 2, raw, params, Reference());
    EXPECT_EQ(events[1].sampleIndex, expected);
    EXPECT_EQ(events[1].startIndex, index);
  }
}

TEST(AdjustLossIndexTest, OnANoisyTraceANoiseDipIsNoPartOfTheLoss) {
  // 20 mdB of ripple, and a dip of 50 mdB on the last sample before a 0.5 dB loss at 1000: beyond
  // the plain 0.04 dB, within the noise. The loss is still reported at that last sample.
  auto raw = TraceOf(3000, 0.001, [](double x) { return -10.0 - 0.33 * x - (x >= 1.0 - 1e-9 ? 0.5 : 0.0); });
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i].level += i % 2 == 0 ? 0.02f : -0.02f;
  raw[999].level -= 0.03f;
  AnalysisParams params;
  params.pulseWidth = 10;
  std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 995, 0.5f, {800, 990, 1010, 1200})};
  AdjustLossIndex(events, 2, raw, params, Reference());
  EXPECT_EQ(events[1].sampleIndex, 999);
}

TEST(AdjustGainIndexTest, ReportsAGainWhereTheTraceStopsFalling) {
  // The gain rises over the ten samples from 1000 on.
  const auto raw = TraceOf(3000, 0.001, [](double x) { return -10.0 - 0.33 * x + 0.3 * std::clamp((x - 1.0) / 0.01, 0.0, 1.0); });
  AnalysisParams params;
  // An index already at or past the middle of the gap (1010) is reported at the middle.
  for (const auto& [index, expected] : {std::pair{992, 1000}, std::pair{1012, 1010}}) {
    SCOPED_TRACE(index);
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, index, -0.3f, {800, 990, 1030, 1200})};
    AdjustGainIndex(events, 2, raw, params);
    EXPECT_EQ(events[1].sampleIndex, expected);
    EXPECT_EQ(events[1].startIndex, index);
  }
}

TEST(AdjustGainIndexTest, AGainWithinOneStepIsWhereItRises) {
  // Samples 2.5 m apart, wider than a short pulse: a 0.3 dB gain at 1000 rises within one step, and
  // the fibre falls again from the next, here and there by a noise step beyond the trace's own.
  for (const bool noisy : {false, true}) {
    SCOPED_TRACE(noisy);
    auto raw = TraceOf(3000, 0.0025, [](double x) { return -10.0 - 0.33 * x + (x >= 2.5 - 1e-9 ? 0.3 : 0.0); });
    if (noisy) {
      for (std::size_t i = 0; i < raw.size(); ++i) raw[i].level += i % 2 == 0 ? 0.0025f : -0.0025f;
      raw[1001].level -= 0.03f;
    }
    std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 999, -0.3f, {800, 990, 1040, 1200})};
    AdjustGainIndex(events, 2, raw, AnalysisParams{});
    EXPECT_EQ(events[1].sampleIndex, 999);
  }
}

TEST(AdjustGainIndexTest, OnANoisyTraceTheGainIsWhereItsRiseBegins) {
  // With 2.5 mdB of ripple every other step of the backscatter falls, the one behind the gain too;
  // a fall counts only beyond the noise, so a one-sample gain at 1000 is reported at the last
  // sample before it (the plain rule never finds two steps in a row that do not fall).
  auto raw = TraceOf(3000, 0.001, [](double x) { return -10.0 - 0.33 * x + (x >= 1.0 - 1e-9 ? 0.3 : 0.0); });
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i].level += i % 2 == 0 ? 0.0025f : -0.0025f;
  std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 999, -0.3f, {800, 990, 1010, 1200})};
  AdjustGainIndex(events, 2, raw, AnalysisParams{});
  EXPECT_EQ(events[1].sampleIndex, 999);
}

}  // namespace
