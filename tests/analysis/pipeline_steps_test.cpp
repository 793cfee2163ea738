#include "analysis/pipeline_steps.h"

#include <gtest/gtest.h>

#include <vector>

#include "analysis/noise_start.h"
#include "synthetic_trace.h"

namespace {

std::vector<TracePoint> Fibre(int n = 3000) { return MakeSyntheticTrace(CleanFibreSpec(n, -0.33)); }

ReflectiveCandidate Candidate(int start, int peak, int end, const std::vector<TracePoint>& points) {
  return ReflectiveCandidate{0, start, peak, end, points[start].distance};
}

TEST(InsertLaunchCandidateTest, Cases) {
  const auto points = Fibre();
  // K = (pulse width + 10) * 6 / data spacing, integer division; spacing below 1 counts as 1.
  struct Case {
    const char* name;
    int firstStart, pulseWidth, dataSpacing;
    int count, launchEnd;
  } cases[] = {
      {"first at sample 0", 0, 100, 97, 1, -1},
      {"end at K", 200, 100, 97, 2, 6},
      {"first within K", 5, 100, 97, 2, 4},
      {"spacing 0", 200, 100, 0, 2, 199},
      {"negative spacing", 700, 100, -5, 2, 660},
      {"K beyond the first candidate", 2500, 1000000, 1, 2, 2499},
      {"negative pulse width", 200, -100, 97, 2, 0},
  };
  for (const Case& c : cases) {
    ReflectiveCandidateList list{};
    list[0] = Candidate(c.firstStart, c.firstStart + 2, c.firstStart + 5, points);
    EXPECT_EQ(InsertLaunchCandidate(list, 1, points, c.pulseWidth, c.dataSpacing), c.count) << c.name;
    if (c.count == 2) {
      EXPECT_EQ(list[0].start, 0) << c.name;
      EXPECT_EQ(list[0].peak, 0) << c.name;
      EXPECT_EQ(list[0].end, c.launchEnd) << c.name;
      EXPECT_EQ(list[0].startPosition, points[0].distance) << c.name;
      EXPECT_EQ(list[1].start, c.firstStart) << c.name;
    }
  }
}

TEST(InsertLaunchCandidateTest, FullListDropsItsLastCandidate) {
  const auto points = Fibre();
  ReflectiveCandidateList list{};
  for (int i = 0; i < kMaxReflectiveCandidates; ++i) list[i] = Candidate(100 + 50 * i, 101 + 50 * i, 105 + 50 * i, points);
  EXPECT_EQ(InsertLaunchCandidate(list, kMaxReflectiveCandidates, points, 100, 97), kMaxReflectiveCandidates);
  EXPECT_EQ(list[0].start, 0);
  EXPECT_EQ(list[1].start, 100);
  EXPECT_EQ(list[kMaxReflectiveCandidates - 1].start, 100 + 50 * (kMaxReflectiveCandidates - 2));
}

// 100 ns is 15 samples of 1 m for one and a half pulse lengths (to a sample: the spacing is a float). A launch on plain fibre (the first
// sample at a user's zero behind a launch cable) has no reflection and ends there, never later than
// the next candidate; a launch that falls from a reflection keeps the end its edge gave it.
TEST(EndLaunchWithoutReflectionTest, Cases) {
  struct Case {
    const char* name;
    float reflectionDb;  // launch reflection over the first 5 samples, above the fibre
    int launchEnd, nextStart;
    int expectedEnd;
    bool withoutReflection;
  } cases[] = {
      {"plain fibre", 0.0f, 1500, 2000, 15, true},
      {"plain fibre, the next candidate inside the dead zone", 0.0f, 1500, 10, 10, true},
      {"plain fibre, an end already inside the dead zone", 0.0f, 12, 2000, 12, true},
      {"a reflection", 3.0f, 40, 2000, 40, false},
      {"a reflection ending inside the dead zone", 3.0f, 8, 2000, 8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto points = Fibre();
    for (int i = 0; i < 5; ++i) points[static_cast<std::size_t>(i)].level += c.reflectionDb;
    ReflectiveCandidateList list{};
    list[0] = Candidate(0, 0, c.launchEnd, points);
    list[1] = Candidate(c.nextStart, c.nextStart + 2, c.nextStart + 5, points);
    EXPECT_EQ(EndLaunchWithoutReflection(list, 2, points, 100, -0.33f), c.withoutReflection);
    EXPECT_NEAR(list[0].end, c.expectedEnd, 1);
  }
}

TEST(FindLaunchPeakTest, FirstHighestSampleOrUnchanged) {
  auto points = Fibre(100);
  points[3].level = points[5].level = -2.0f;
  ReflectiveCandidate launch{0, 0, 9, 8, 0.0f};
  FindLaunchPeak(launch, points);
  EXPECT_EQ(launch.peak, 3);
  ReflectiveCandidate empty{0, 4, 9, 4, 0.0f};
  FindLaunchPeak(empty, points);
  EXPECT_EQ(empty.peak, 9);
}

TEST(AnchorLaunchCandidateTest, StartsAtZeroAndSwallowsACandidateWithinOnePointFiveMetres) {
  auto points = Fibre();
  points[2].level = -5.0f;
  struct Case {
    int secondStart, secondPeakLevelSample;
    int count, peak, end;
  } cases[] = {
      {1, 2, 1, 2, 40},   // 1 m from the front, higher peak
      {1, 10, 1, 3, 40},  // lower peak: the launch keeps its own
      {2, 2, 2, 3, 20},   // 2 m: stays
  };
  for (const Case& c : cases) {
    ReflectiveCandidateList list{};
    list[0] = Candidate(3, 3, 20, points);
    list[1] = Candidate(c.secondStart, c.secondPeakLevelSample, 40, points);
    list[2] = Candidate(500, 501, 510, points);
    const int count = AnchorLaunchCandidate(list, 3, points) ;
    EXPECT_EQ(list[0].start, 0);
    EXPECT_EQ(list[0].startPosition, 0.0f);
    EXPECT_EQ(count, c.count + 1) << c.secondStart;
    EXPECT_EQ(list[0].peak, c.peak) << c.secondStart;
    EXPECT_EQ(list[0].end, c.end) << c.secondStart;
    EXPECT_EQ(list[count - 1].start, 500);
  }
}

TEST(MeasureNoiseWindowsTest, WindowsIncludeBothEndsAndSkipTheLaunchWindow) {
  const auto raw = Fibre(2600);
  auto points = raw;
  points[100].level += 5.0f;   // launch window only: never an onset
  points[500].level += 0.501f;  // shared by windows 0 and 1
  for (int i = 1600; i < 1700; ++i) points[i].level += 0.05f;   // window 3: 100 * 0.05 / 501
  for (int i = 2001; i <= 2100; ++i) points[i].level += 0.3f;   // window 4: above 0.05
  NoiseWindowTable table;
  const NoiseOnsets onsets = MeasureNoiseWindows(points, raw, table);
  ASSERT_EQ(table.values.size(), 6u);
  EXPECT_NEAR(table.values[1], 0.501 / 501, 1e-6);
  EXPECT_NEAR(table.values[3], 5.0 / 501, 1e-5);
  EXPECT_NEAR(table.values[5], 0.0, 1e-7);  // last window [2500, 2599]
  EXPECT_EQ(onsets.quiet, 1500);
  EXPECT_EQ(onsets.noisy, 2000);
}

TEST(MeasureNoiseWindowsTest, TableGrowsWithTheTrace) {
  const auto raw = Fibre(100001);
  NoiseWindowTable table;
  MeasureNoiseWindows(raw, raw, table);
  EXPECT_EQ(table.values.size(), 201u);
  EXPECT_EQ(table.At(100000), table.values[200]);
  EXPECT_EQ(table.At(5000000), table.values[200]);
}

TEST(LaunchLevelTest, Cases) {
  auto points = Fibre();
  AnalysisEvent launch{};
  launch.markers[2] = 1000;  // level -10.33 at 1 km
  const double r = ComputeNoiseReference();
  EXPECT_EQ(LaunchLevel(points, launch, 1, r, -11.5f), -11.5f);
  EXPECT_NEAR(LaunchLevel(points, launch, 2, r, -11.5f), -10.33 + 0.2, 1e-5);
  points[1000].level = static_cast<float>(r + 4.9);
  EXPECT_EQ(LaunchLevel(points, launch, 2, r, -11.5f), -11.5f);
}

class ReflectivePairTest : public ::testing::Test {
 protected:
  // Launch, a reflection of -40 dB (m3 at 500), a second reflection behind it, a third far away.
  std::vector<AnalysisEvent> Events(float secondReflectance, int secondM0) {
    std::vector<AnalysisEvent> e(4);
    for (AnalysisEvent& x : e) x.type = kEventReflective;
    e[0].type = kEventLaunch;
    e[1].reflectance = -40.0f;
    e[1].markers[0] = 400;
    e[1].markers[3] = 500;
    e[2].reflectance = secondReflectance;
    e[2].markers[0] = secondM0;
    e[2].markers[2] = 777;
    e[2].markers[3] = 888;
    e[2].markers[4] = 505;
    e[2].endFlag = kEndFlag;
    e[3].markers[0] = 2000;
    return e;
  }
  std::vector<TracePoint> raw = Fibre();
};

TEST_F(ReflectivePairTest, MergesAMuchWeakerReflectionRightBehind) {
  // 10 ns at 1 m spacing: K = trunc(10 / 10 / 1) = 1, raised to 3.
  struct Case {
    float second;
    int m0;
    bool merged;
  } cases[] = {{-65.01f, 502, true}, {-64.99f, 502, false}, {-70.0f, 503, false}, {70.0f, 502, true}};
  for (const Case& c : cases) {
    auto events = Events(c.second, c.m0);
    const int count = MergeCloseReflectivePairs(raw, events, 4, 10);
    EXPECT_EQ(count, c.merged ? 3 : 4) << c.second << " " << c.m0;
    if (c.merged) {
      EXPECT_EQ(events[1].markers[2], 777);
      EXPECT_EQ(events[1].markers[3], 888);
      EXPECT_EQ(events[1].endFlag, kEndFlag);
      EXPECT_EQ(events[2].markers[0], 2000);
    }
  }
}

TEST_F(ReflectivePairTest, SecondMustNotRiseThreeDbAboveTheFirst) {
  auto events = Events(-70.0f, 502);
  raw[505].level = raw[400].level + 3.0f;
  EXPECT_EQ(MergeCloseReflectivePairs(raw, events, 4, 10), 4);
  raw[505].level = raw[400].level + 2.9f;
  EXPECT_EQ(MergeCloseReflectivePairs(raw, events, 4, 10), 3);
}

TEST(DropShortRangeNonReflectiveTest, Cases) {
  const auto metre = Fibre();
  SyntheticTraceSpec coarseSpec = CleanFibreSpec(3000, -0.33);
  coarseSpec.spacingKm = 0.004;
  const auto coarse = MakeSyntheticTrace(coarseSpec);
  // K2 = trunc(pulse width * 8 / 10 / spacing in metres), at least 4.
  struct Case {
    float range;
    int pulseWidth, m2Offset, endFlag;
    bool coarse, dropped;
  } cases[] = {
      {5.99f, 11, 9, 0, false, true},     {6.0f, 11, 9, 0, false, false},   {5.99f, 10, 9, 0, false, false},
      {5.99f, 11, 8, 0, false, false},    {5.99f, 5000, 4001, 0, false, true},
      {5.99f, 11, 9, kEndFlag, false, false},
      {5.99f, 11, 5, 0, true, true},      {5.99f, 11, 4, 0, true, false},  // 2.2 samples raised to 4
  };
  for (const Case& c : cases) {
    const auto& points = c.coarse ? coarse : metre;
    std::vector<AnalysisEvent> events(2);
    events[1].type = kEventNonReflective;
    events[1].sampleIndex = 100;
    events[1].markers[2] = 100 + c.m2Offset;
    events[1].endFlag = c.endFlag;
    AnalysisParams p;
    p.range = c.range;
    p.pulseWidth = c.pulseWidth;
    EXPECT_EQ(DropShortRangeNonReflective(points, events, 2, p), c.dropped ? 1 : 2)
        << c.range << " km " << c.pulseWidth << " ns +" << c.m2Offset;
  }
}

TEST(ApplyEndResultsTest, FirstEndEventSetsTheStoredResults) {
  std::vector<AnalysisEvent> events(4);
  events[2].endFlag = kEndFlag;
  events[2].cumulativeLoss = 1.2349f;
  events[2].position = 3.4567f;
  events[3].endFlag = kEndFlag;
  AnalysisParams p;
  p.endLossResult = p.endPositionResult = 777;
  EXPECT_EQ(ApplyEndResults(events, 4, p), 4);
  EXPECT_EQ(p.endLossResult, 1235) << "written to the file, so rounded half up";
  EXPECT_EQ(p.endPositionResult, 3456);

  p.cutAfterEnd = 1;
  events[2].cumulativeLoss = -0.0019f;
  EXPECT_EQ(ApplyEndResults(events, 4, p), 3);
  EXPECT_EQ(p.endLossResult, -2);

  events[2].endFlag = events[3].endFlag = 0;
  p.endLossResult = p.endPositionResult = 777;
  EXPECT_EQ(ApplyEndResults(events, 4, p), 4);
  EXPECT_EQ(p.endLossResult, 777);
  EXPECT_EQ(p.endPositionResult, 777);
}

TEST(ComputeSectionAttenuationsTest, SectionsBetweenSampleIndices) {
  const auto points = Fibre();
  std::vector<AnalysisEvent> events(4);
  events[0].position = 0.004f;
  events[0].sampleIndex = 4;
  events[1].sampleIndex = 1004;
  events[1].cumulativeLoss = 0.33f;
  events[1].loss = 0.5f;
  events[2].sampleIndex = 2004;
  events[2].cumulativeLoss = 0.33f + 0.5f + 0.2f;
  events[3].sampleIndex = 2004;  // an end inserted on the same sample
  events[3].cumulativeLoss = 2.0f;
  ComputeSectionAttenuations(points, events, 4);
  EXPECT_EQ(events[0].position, 0.0f);
  EXPECT_NEAR(events[1].attenuation, 0.33f, 1e-4);
  EXPECT_NEAR(events[2].attenuation, 0.2f, 1e-4);
  EXPECT_EQ(events[3].attenuation, 0.0f);
}

}  // namespace
