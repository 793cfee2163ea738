#include "analysis/reflective_detection.h"

#include <gtest/gtest.h>

#include <vector>

#include "analysis/trace_smoothing.h"
#include "event_fixtures.h"

namespace {

// A flat trace at `base` dB above the reference with one rise of `height` dB at sample 1000 whose top
// (0.5 dB below its peak after the first sample) is `width` samples long; `ripple` dB of alternating
// noise lies on the samples in front of it, away from the first samples, where any rise is accepted.
std::vector<TracePoint> RiseOn(double base, double height, int width, double ripple = 0.0, int n = 3000) {
  const double level = Reference() + base;
  std::vector<TracePoint> points = TraceOf(n, 0.001, [=](double) { return level; });
  for (int i = 100; i < 1000; ++i) points[static_cast<std::size_t>(i)].level += static_cast<float>(i % 2 == 0 ? -ripple : ripple);
  for (int i = 1000; i < 1000 + width; ++i) {
    points[static_cast<std::size_t>(i)].level = static_cast<float>(level + height - (i > 1000 ? 0.5 : 0.0));
  }
  return points;
}

std::vector<ReflectiveCandidate> Detect(const std::vector<TracePoint>& points, const std::vector<TracePoint>& smoothed,
                                        int pulseWidth = 100, float range = 20.0f) {
  AnalysisParams params;
  params.range = range;
  ReflectiveCandidateList list{};
  int count = -1;
  EXPECT_EQ(DetectReflectiveCandidates(points, smoothed, list, count, Reference(),
                                       static_cast<int>(points.size()) - 1, pulseWidth, params),
            1);
  return {list.begin(), list.begin() + count};
}

TEST(DetectReflectiveCandidatesTest, AcceptsARiseByItsBaseLevelNoiseOrWidth) {
  struct Case {
    const char* name;
    double base, height;
    int width;
    double ripple;
    bool found;
  } cases[] = {
      {"6 dB, base 12 dB above the reference", 12.0, 6.0, 5, 0.0, true},
      {"6 dB, base 4 dB above, quiet trace", 4.0, 6.0, 5, 0.0, true},
      {"3 dB, base 4 dB above", 4.0, 3.0, 5, 0.0, false},
      {"6 dB, base 5 dB above, narrow in noise", 5.0, 6.0, 5, 2.0, false},
      {"6 dB, base 5 dB above, wide in noise", 5.0, 6.0, 40, 2.0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto points = RiseOn(c.base, c.height, c.width, c.ripple);
    const auto smoothed = RiseOn(c.base, c.height, c.width);
    const auto found = Detect(points, smoothed);
    ASSERT_EQ(found.size(), c.found ? 1u : 0u);
    if (c.found) {
      EXPECT_EQ(found[0].kind, 0);
      EXPECT_NEAR(found[0].start, 999, 1);
      EXPECT_GE(found[0].peak, 1000);
      EXPECT_LT(found[0].peak, 1000 + c.width);
      EXPECT_EQ(found[0].end, found[0].peak);
      EXPECT_FLOAT_EQ(found[0].startPosition, points[static_cast<std::size_t>(found[0].start)].distance);
    }
  }
}

TEST(DetectReflectiveCandidatesTest, AWeakReflectionNearTheNoiseStandsOutOfTheFootInFrontOfItsRise) {
  // Reflections a pulse length (50 samples) wide, 7 dB above the reference, where a rise must stand
  // 2 dB out of its foot. The detection smoothing lifts the foot by half the rise; in front of that
  // lift the foot lies where it is.
  struct Case {
    const char* name;
    double height;
    bool found;
  } cases[] = {{"2.5 dB", 2.5, true}, {"1.8 dB", 1.8, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto points = RiseOn(7.0, c.height, 50);
    auto smoothed = points;
    SmoothingBuffers buffers;
    SmoothTrace(smoothed, 0, static_cast<int>(smoothed.size()) - 1, 5, 21, buffers);
    const auto found = Detect(points, smoothed);
    ASSERT_EQ(found.size(), c.found ? 1u : 0u);
    if (c.found) EXPECT_NEAR(found[0].start, 999, 1);
  }
}

TEST(DetectReflectiveCandidatesTest, ARiseStillClimbingAtTheLastSamplePeaksOneBefore) {
  auto points = RiseOn(20.0, 0.0, 0, 0.0, 1000);
  for (int i = 900; i < 1000; ++i) points[static_cast<std::size_t>(i)].level += static_cast<float>(0.1 * (i - 899));
  const auto found = Detect(points, points);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].peak, 998);
}

TEST(DetectReflectiveCandidatesTest, NoiseClimbingInFrontOfARiseIsNoPartOfIt) {
  // 5 mdB of ripple on every sample of a 1 m trace, and four samples that climb within it in front
  // of a 20 dB reflection at sample 1000: the reflection starts at the last of them.
  auto points = RiseOn(20.0, 20.0, 5, 0.005);
  for (int i = 996; i < 1000; ++i) points[static_cast<std::size_t>(i)].level += static_cast<float>(0.003 * (i - 995));
  const auto found = Detect(points, points);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].start, 999);
  // Without noise the foot stays where the rise rules put it.
  const auto clean = RiseOn(20.0, 20.0, 5);
  EXPECT_EQ(Detect(clean, clean).front().start, 999);
}

TEST(DetectReflectiveCandidatesTest, ANoiseDipAtTheFootIsNoPartOfTheRise) {
  // Noise pulls the sample two in front of a 20 dB reflection at sample 1000 down by 50 mdB: the
  // sample behind it lies on the fibre in front, so the reflection starts there.
  auto points = RiseOn(20.0, 20.0, 5, 0.005);
  points[998].level -= 0.05f;
  const auto found = Detect(points, points);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].start, 999);
}

TEST(DetectReflectiveCandidatesTest, StopsAtFiftyCandidates) {
  auto points = RiseOn(20.0, 0.0, 0, 0.0, 8000);
  for (int r = 0; r < 60; ++r) {
    for (int i = 100 + r * 120; i < 110 + r * 120; ++i) points[static_cast<std::size_t>(i)].level += 3.0f;
  }
  const auto found = Detect(points, points);
  ASSERT_EQ(found.size(), static_cast<std::size_t>(kMaxReflectiveCandidates));
  EXPECT_NEAR(found.back().start, 99 + 49 * 120, 1);
}

// Candidates at the given starts, each 5 dB high over 5 samples on a trace 15 dB above the reference,
// except where `heights` says otherwise.
struct CandidateTrace {
  std::vector<TracePoint> points;
  ReflectiveCandidateList list{};
  int count = 0;

  CandidateTrace(std::initializer_list<std::pair<int, double>> starts, double base = 15.0) {
    points = RiseOn(base, 0.0, 0, 0.0, 5000);
    for (const auto& [start, height] : starts) {
      for (int i = start + 1; i <= start + 5; ++i) points[static_cast<std::size_t>(i)].level += static_cast<float>(height);
      list[static_cast<std::size_t>(count++)] =
          ReflectiveCandidate{0, start, start + 3, start + 5, points[static_cast<std::size_t>(start)].distance};
    }
  }
};

TEST(AbsorbWeakCandidatesTest, AStrongReflectionAbsorbsSmallEchoesWithinOneAndAHalfPulses) {
  for (const auto& [pulseWidth, kept] : {std::pair{1000, 1}, std::pair{500, 2}}) {
    SCOPED_TRACE(pulseWidth);
    CandidateTrace t({{1000, 5.0}, {1100, 0.8}});
    ASSERT_EQ(AbsorbWeakCandidates(t.list, t.count, t.points, pulseWidth, Reference()), kept);
    EXPECT_EQ(t.list[0].start, 1000);
    EXPECT_EQ(t.list[0].peak, 1003);
    EXPECT_EQ(t.list[0].end, 1005);
  }
}

TEST(MergeDeadZoneCandidatesTest, MergesCandidatesWithinOnePointTwoPulseLengths) {
  CandidateTrace t({{0, 5.0}, {119, 8.0}, {121, 1.0}});
  ASSERT_EQ(MergeDeadZoneCandidates(t.list, t.count, t.points, 1000), 2);
  EXPECT_EQ(t.list[0].peak, 122);  // the higher peak of the merged candidate
  EXPECT_EQ(t.list[0].end, 124);
  EXPECT_EQ(t.list[1].start, 121);
}

TEST(FindReflectiveEndsTest, EndsWhereTheTrailingEdgeSettles) {
  struct Case {
    const char* name;
    double wavelength;
    int secondStart;
    int noiseStart;
    int firstEnd, secondEnd;  // -1: anywhere in (peak, peak + 30)
  } cases[] = {
      {"next start and noise start", 1550.0, 1000, 1500, 1000, -1},
      {"fewer than 20 samples before the trace end", 1550.0, 4970, 4999, 4970, 4984},
      {"a laser off nominal settles in its band", 1548.6, 1000, 1500, 1000, -1},
      {"a multimode band settles too", 1303.0, 1000, 1500, 1000, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CandidateTrace t({{0, 0.0}, {c.secondStart, 5.0}});
    t.list[2] = ReflectiveCandidate{1, c.noiseStart, c.noiseStart, c.noiseStart, 0.0f};
    ASSERT_EQ(FindReflectiveEnds(t.points, t.list, 2, Reference(), c.noiseStart, t.points, 100, c.wavelength, -0.33f), 1);
    EXPECT_EQ(t.list[0].end, c.firstEnd);
    if (c.secondEnd >= 0) {
      EXPECT_EQ(t.list[1].end, c.secondEnd);
    } else {
      EXPECT_GT(t.list[1].end, t.list[1].peak);
      EXPECT_LT(t.list[1].end, t.list[1].peak + 30);
    }
  }
}

TEST(FindReflectiveEndsTest, ACandidateInTheNoiseEndsWhereTheRawTraceReturnsToIt) {
  CandidateTrace t({{0, 0.0}, {3000, 5.0}}, 0.0);
  ASSERT_EQ(FindReflectiveEnds(t.points, t.list, 2, Reference(), 2000, t.points, 100, 1550.0, -0.33f), 1);
  EXPECT_EQ(t.list[1].end, 3006);
}

TEST(FilterReflectiveCandidatesTest, PutsALaunchInFrontOfALateFirstCandidate) {
  CandidateTrace t({{500, 5.0}});
  for (int i = 0; i < 10; ++i) t.points[static_cast<std::size_t>(i)].level += 5.0f;
  ASSERT_EQ(FilterReflectiveCandidates(t.list, 1, t.points, t.points, Reference()), 2);
  EXPECT_EQ(t.list[0].kind, 0);
  EXPECT_EQ(t.list[0].start, 0);
  EXPECT_EQ(t.list[0].peak, 0);
  EXPECT_EQ(t.list[0].end, 16);
  EXPECT_EQ(t.list[0].startPosition, t.points[0].distance);
  EXPECT_EQ(t.list[1].start, 500);
}

TEST(FilterReflectiveCandidatesTest, AFullListKeepsFiftyWithTheLaunch) {
  CandidateTrace t({});
  for (int k = 0; k < kMaxReflectiveCandidates; ++k) {
    t.list[static_cast<std::size_t>(k)] = ReflectiveCandidate{0, 100 + 90 * k, 103 + 90 * k, 105 + 90 * k, 0.0f};
  }
  ASSERT_EQ(FilterReflectiveCandidates(t.list, kMaxReflectiveCandidates, t.points, t.points, Reference()),
            kMaxReflectiveCandidates);
  EXPECT_EQ(t.list[0].start, 0);
  EXPECT_EQ(t.list[kMaxReflectiveCandidates - 1].start, 100 + 90 * 48);
}

TEST(FilterReflectiveCandidatesTest, DropsAWeakCandidateNearTheNoiseWithAShortEdge) {
  // Both lie 5 dB above the reference; only the second falls over more than three samples.
  CandidateTrace t({{0, 0.0}, {1000, 1.0}, {2000, 1.0}}, 5.0);
  for (int i = 2006; i < 2012; ++i) t.points[static_cast<std::size_t>(i)].level += static_cast<float>(0.9 - 0.15 * (i - 2006));
  t.list[2].end = 2012;
  ASSERT_EQ(FilterReflectiveCandidates(t.list, 3, t.points, t.points, Reference()), 2);
  EXPECT_EQ(t.list[1].start, 2000);
}

TEST(MergeNoiseFloorCandidatesTest, AbsorbsAWeakCandidateLyingOnTheNoise) {
  struct Case {
    const char* name;
    double startOffset;  // of the weak candidate's start above the reference
    int noiseStart;
    int count;
  } cases[] = {{"on the noise", 0.0, 4999, 2}, {"above the noise", 0.5, 4999, 3}, {"behind the noise start", 0.0, 1500, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CandidateTrace t({{0, 0.0}, {1000, 10.0}, {2000, 1.0}}, 0.0);
    t.points[2000].level += static_cast<float>(c.startOffset);
    t.list[1].end = 1006;
    t.list[2].end = 2004;
    ASSERT_EQ(MergeNoiseFloorCandidates(t.list, 3, t.points, c.noiseStart, Reference()), c.count);
    EXPECT_EQ(t.list[1].end, c.count == 2 ? 2004 : 1006);
  }
}

}  // namespace
