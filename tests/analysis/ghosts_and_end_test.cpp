#include "analysis/ghosts_and_end.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "analysis/event_list_helpers.h"
#include "analysis/physical_events.h"
#include "event_fixtures.h"

namespace {

constexpr float kBs = -0.33f;

AnalysisContext ContextOf(const std::vector<TracePoint>& trace, int noiseStart) {
  return AnalysisContext{trace, trace, kBs, -10.0f, noiseStart, static_cast<int>(trace.size()), Reference()};
}

AnalysisEvent Reflection(int index, float reflectance, float loss = 0.3f) {
  return EventAt(kEventReflective, index, loss, {index - 300, index - 3, index + 10, index + 300}, reflectance);
}

AnalysisParams ParamsFor(float range, int pulseWidth = 100) {
  AnalysisParams params;
  params.range = range;
  params.pulseWidth = pulseWidth;
  params.endThreshold = 3.0f;
  return params;
}

TEST(MarkGhostsTest, MarksEchoesAtSumsOfDistances) {
  const auto trace = FibreLine(8000);
  struct Case {
    const char* name;
    int third;
    float thirdReflectance;
    bool ghost;
  } cases[] = {
      {"at the sum, weaker", 3510, -50.0f, true},
      {"beyond the tolerance", 3550, -50.0f, false},
      {"at the sum but stronger", 3510, -30.0f, false},
      {"at twice the first, weaker", 2000, -50.0f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<AnalysisEvent> events{LaunchEvent(), Reflection(1000, -40.0f), Reflection(2500, -45.0f),
                                      Reflection(c.third, c.thirdReflectance)};
    if (c.third < 2500) std::swap(events[2], events[3]);
    const int ghostAt = c.third < 2500 ? 2 : 3;
    MarkGhosts(ContextOf(trace, 7999), ParamsFor(20.0f), events, 4);
    EXPECT_EQ(IsGhost(events[static_cast<std::size_t>(ghostAt)]), c.ghost);
    EXPECT_FALSE(IsGhost(events[1]));
  }
}

TEST(MarkGhostsTest, MarksAnyEchoBeyondTheNoise) {
  const auto trace = FibreLine(8000);
  std::vector<AnalysisEvent> events{LaunchEvent(), Reflection(1000, -40.0f), Reflection(2500, -45.0f),
                                    Reflection(3510, -20.0f)};
  MarkGhosts(ContextOf(trace, 3000), ParamsFor(20.0f), events, 4);
  EXPECT_TRUE(IsGhost(events[3]));
}

TEST(MarkGhostsTest, OnlyReflectionsEchoAndAreEchoed) {
  const auto trace = FibreLine(8000);
  std::vector<AnalysisEvent> events{LaunchEvent(), Reflection(1000, -40.0f),
                                    EventAt(kEventNonReflective, 2500, 0.3f, {2200, 2497, 2503, 2800}),
                                    Reflection(3500, -50.0f)};
  // 3.5 km is 1 + 2.5 km, but the event at 2.5 km does not reflect: nothing to echo.
  MarkGhosts(ContextOf(trace, 7999), ParamsFor(20.0f), events, 4);
  EXPECT_FALSE(IsGhost(events[3]));
  EXPECT_FALSE(IsGhost(events[2]));
  events[2].type = kEventReflective;
  events[2].reflectance = -45.0f;
  MarkGhosts(ContextOf(trace, 7999), ParamsFor(20.0f), events, 4);
  EXPECT_TRUE(IsGhost(events[3]));
}

// Launch, a reflection at 1 km, then two echoes of it at 3 and 4 km; behind 1 km the fibre either
// goes on or falls steeply.
std::vector<AnalysisEvent> EchoesOfOneReflection() {
  std::vector<AnalysisEvent> events{LaunchEvent(), Reflection(1000, -40.0f), Reflection(3000, -50.0f),
                                    Reflection(4000, -55.0f)};
  SetGhost(events[2], true);
  SetGhost(events[3], true);
  return events;
}

TEST(ResolveGhostsTest, ReleasesEchoesWhileTheFibreContinues) {
  const auto trace = FibreLine(8000);
  auto events = EchoesOfOneReflection();
  ASSERT_EQ(ResolveGhosts(ContextOf(trace, 7999), ParamsFor(20.0f), events, 4), 4);
  EXPECT_FALSE(IsGhost(events[2]));
  EXPECT_FALSE(IsGhost(events[3]));
  EXPECT_EQ(events[2].comment[0], u'\0');
}

TEST(ResolveGhostsTest, AConfirmedEchoDropsEveryLaterOne) {
  const auto trace = TraceOf(8000, 0.001, [](double x) { return x < 1.0 ? -10.0 - 0.33 * x : -10.33 - 3.0 * (x - 1.0); });
  auto events = EchoesOfOneReflection();
  ASSERT_EQ(ResolveGhosts(ContextOf(trace, 7999), ParamsFor(20.0f), events, 4), 2);
  EXPECT_EQ(events[1].sampleIndex, 1000);
}

TEST(ResolveGhostsTest, AbsorbsAReflectionInsideTheShortWindowOfThePreviousOne) {
  const auto trace = FibreLine(8000);
  AnalysisEvent first = EventAt(kEventReflective, 1000, 0.3f, {700, 997, 1010, 1015}, -40.0f);
  AnalysisEvent second = EventAt(kEventReflective, 1016, 0.3f, {1010, 1015, 1030, 1300}, -45.0f);
  std::vector<AnalysisEvent> events{LaunchEvent(), first, second};
  ASSERT_EQ(ResolveGhosts(ContextOf(trace, 7999), ParamsFor(20.0f), events, 3), 2);
  EXPECT_EQ(events[1].markers[2], 1030);
  EXPECT_EQ(events[1].markers[3], 1300);
}

// The launch, a splice of `loss` dB at 1 km and the events behind it.
std::vector<AnalysisEvent> SpliceThen(float loss, std::initializer_list<AnalysisEvent> behind) {
  std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, loss, {700, 997, 1003, 1300})};
  events.insert(events.end(), behind);
  return events;
}

TEST(DetectEndByThresholdTest, ALossAboveTheEndThresholdEndsTheFibre) {
  const auto trace = FibreLine(8000);
  auto events = SpliceThen(5.0f, {Reflection(3000, -40.0f)});
  events[2].endFlag = kEndFlag;
  ASSERT_EQ(DetectEndByThreshold(ContextOf(trace, 5000), ParamsFor(20.0f), events, 3), 1);
  EXPECT_EQ(events[1].endFlag, kEndFlag);
  EXPECT_EQ(events[2].endFlag, 0);
}

TEST(DetectEndByThresholdTest, TheLastReflectionEndsAFibreThatReachesTheNoise) {
  const auto trace = FibreLine(8000);
  auto events = SpliceThen(0.5f, {Reflection(3000, -40.0f)});
  ASSERT_EQ(DetectEndByThreshold(ContextOf(trace, 3100), ParamsFor(20.0f), events, 3), 1);
  EXPECT_EQ(events[2].endFlag, kEndFlag);
  EXPECT_EQ(events[1].endFlag, 0);
}

TEST(DetectEndByThresholdTest, TheShortWindowBehindTheLastSpliceLeavesTheEndToTheNoise) {
  // The last event's right window only reaches half-way to the virtual event 100 samples behind it
  // (46 samples): the fibre may well go on, so the decision is left undone.
  const auto trace = FibreLine(8000);
  auto events = SpliceThen(0.5f, {EventAt(kEventNonReflective, 3000, 0.5f, {2700, 2997, 3003, 3049})});
  EXPECT_EQ(DetectEndByThreshold(ContextOf(trace, 6000), ParamsFor(20.0f), events, 3), 0);
  for (const AnalysisEvent& e : events) EXPECT_EQ(e.endFlag, 0);

  // An earlier splice with a short right window still ends the fibre there, once the last event is
  // passed over for the steep section in front of it.
  const auto steep = TraceOf(8000, 0.001, [](double x) { return x < 2.0 ? -10.0 - 0.33 * x : -10.66 - 3.0 * (x - 2.0); });
  events[1].markers[3] = 1040;
  ASSERT_EQ(DetectEndByThreshold(ContextOf(steep, 6000), ParamsFor(20.0f), events, 3), 1);
  EXPECT_EQ(events[1].endFlag, kEndFlag);
  EXPECT_EQ(events[2].endFlag, 0);
}

TEST(DetectEndByThresholdTest, AReflectionOnPlainFibreHandsTheEndToTheNextReflection) {
  // Noise from 6 km on. The reflection at 3 km has plain fibre on both sides; the event behind it
  // follows too closely for a slope of its own and is passed over. An echo there ends the fibre; with
  // no reflection behind, the decision is left to the noise.
  const auto trace = FibreLine(8000);
  for (const bool echoBehind : {true, false}) {
    SCOPED_TRACE(echoBehind ? "echo behind" : "splice behind");
    const EventRowType behind = echoBehind ? kEventReflective : kEventNonReflective;
    auto events = SpliceThen(0.5f, {Reflection(3000, -40.0f), EventAt(behind, 3043, 0.5f, {3010, 3040, 3053, 3300}, -50.0f)});
    SetGhost(events[3], echoBehind);
    EXPECT_EQ(DetectEndByThreshold(ContextOf(trace, 6000), ParamsFor(20.0f), events, 4), echoBehind ? 1 : 0);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(events[static_cast<std::size_t>(i)].endFlag, echoBehind && i == 3 ? kEndFlag : 0) << i;
    }
  }
}

TEST(DetectEndByThresholdTest, NeedsMoreThanTheLaunch) {
  const auto trace = FibreLine(8000);
  std::vector<AnalysisEvent> events{LaunchEvent()};
  EXPECT_EQ(DetectEndByThreshold(ContextOf(trace, 3100), ParamsFor(20.0f), events, 1), 0);
  EXPECT_EQ(DetectEndByThreshold(ContextOf(trace, 3100), ParamsFor(20.0f), events, 0), 0);
}

TEST(DetectEndByThresholdTest, AReflectionFollowedByASteepFallEndsAFibreWithoutNoise) {
  // The trace never reaches the noise; behind the reflection it falls by 3 dB/km.
  const auto trace = TraceOf(8000, 0.001, [](double x) { return x < 3.0 ? -10.0 - 0.33 * x : -10.99 - 3.0 * (x - 3.0); });
  auto events = SpliceThen(0.5f, {Reflection(3000, -40.0f)});
  ASSERT_EQ(DetectEndByThreshold(ContextOf(trace, 7999), ParamsFor(20.0f), events, 3), 1);
  EXPECT_EQ(events[2].endFlag, kEndFlag);

  const auto fibre = FibreLine(8000);
  ASSERT_EQ(DetectEndByThreshold(ContextOf(fibre, 7999), ParamsFor(20.0f), events, 3), 1);
  EXPECT_EQ(events[2].endFlag, 0);
}

// Fibre at 21.9 dB above the noise floor down to 4.95 km, then falling onto the floor at 5 km
// (`gradual`) or dropping onto it at once.
std::vector<TracePoint> FibreIntoNoise(bool gradual) {
  const double floor = Reference();
  auto fibre = [](double x) { return -25.0 - 0.33 * x; };
  return TraceOf(8000, 0.001, [=](double x) {
    if (x >= 5.0) return floor;
    if (gradual && x >= 4.95) return fibre(4.95) + (floor - fibre(4.95)) * (x - 4.95) / 0.05;
    return fibre(x);
  });
}

TEST(DetectEndByNoiseTest, InsertsASyntheticEndInOrderAtTheNoiseOnset) {
  for (bool gradual : {true, false}) {
    SCOPED_TRACE(gradual ? "falling onto the floor" : "dropping onto the floor");
    const auto trace = FibreIntoNoise(gradual);
    std::vector<AnalysisEvent> events(4);
    events[0] = LaunchEvent();
    events[1] = EventAt(kEventNonReflective, 1000, 0.5f, {700, 997, 1003, 1300});
    // An echo in the noise behind the end of the fibre, still marked as one.
    events[2] = Reflection(6000, -50.0f);
    SetGhost(events[2], true);
    ASSERT_EQ(DetectEndByNoise(ContextOf(trace, 5000), events, 3), 1);
    const AnalysisEvent& end = events[2];
    if (gradual) {
      EXPECT_GT(end.sampleIndex, 4950);
      EXPECT_LT(end.sampleIndex, 5000);
    } else {
      EXPECT_EQ(end.sampleIndex, 5000);
    }
    EXPECT_EQ(end.type, kEventNonReflective);
    EXPECT_FLOAT_EQ(end.position, trace[static_cast<std::size_t>(end.sampleIndex)].distance);
    EXPECT_FLOAT_EQ(end.loss, 0.0001f);
    EXPECT_FLOAT_EQ(end.reflectance, 0.0001f);
    EXPECT_EQ(end.endFlag, kEndFlag);
    // Its left window is the fibre in front of it, so its level is the backscatter's.
    EXPECT_EQ(end.markers[0], 1003);
    EXPECT_EQ(end.markers[1], 1300);
    for (int w = 2; w < kMarkerCount; ++w) EXPECT_EQ(end.markers[w], end.sampleIndex);
    EXPECT_EQ(end.comment[0], u'\0');
    EXPECT_EQ(events[3].sampleIndex, 6000);
  }
}

TEST(DetectEndByNoiseTest, FlagsAReflectionWhoseWindowReachesTheNoise) {
  const auto trace = FibreIntoNoise(false);
  std::vector<AnalysisEvent> events(4);
  events[0] = LaunchEvent();
  events[1] = EventAt(kEventReflective, 4990, 0.5f, {4700, 4987, 5010, 5300}, -30.0f);
  ASSERT_EQ(DetectEndByNoise(ContextOf(trace, 5000), events, 2), 0);
  EXPECT_EQ(events[1].endFlag, kEndFlag);
}

// A trace that sinks into the noise right behind the launch still ends behind the launch.
TEST(DetectEndByNoiseTest, TheLaunchNeverEndsTheFibre) {
  const auto trace = FibreIntoNoise(false);
  std::vector<AnalysisEvent> events(3);
  events[0] = LaunchEvent(4990, 5300);
  ASSERT_EQ(DetectEndByNoise(ContextOf(trace, 5000), events, 1), 1);
  EXPECT_EQ(events[0].endFlag, 0);
  EXPECT_EQ(events[1].endFlag, kEndFlag);
  EXPECT_GT(events[1].sampleIndex, 0);
}

// A trace whose noise starts before its last event, a reflection and no ghost: that event ends the
// fibre, with or without a loss the end threshold calls an end.
TEST(DetectEndByThresholdTest, TheLastReflectionBehindTheNoiseStartEndsTheFibre) {
  const auto trace = FibreIntoNoise(false);
  for (const float loss : {0.5f, 9.0f}) {
    SCOPED_TRACE(testing::Message() << "loss " << loss);
    std::vector<AnalysisEvent> events(4);
    events[0] = LaunchEvent();
    events[1] = EventAt(kEventNonReflective, 1000, 0.3f, {700, 997, 1003, 1300});
    events[2] = EventAt(kEventReflective, 7000, loss, {6700, 6997, 7010, 7300}, -20.0f);
    ASSERT_EQ(DetectEndByThreshold(ContextOf(trace, 5000), ParamsFor(20.0f), events, 3), 1);
    EXPECT_EQ(events[2].endFlag, kEndFlag);
    EXPECT_EQ(events[1].endFlag, 0);
  }
}

// Where the trace falls into the noise right behind a reflection, the fibre ends there; a reflection
// seen through the noise further on does not end it, whatever loss the noise around it reads as (an
// echo of a launch cable's connector, in front of a user's zero inside the fibre, reads 5 dB).
TEST(DetectEndByThresholdTest, AReflectionThatDropsTheTraceIntoTheNoiseEndsTheFibre) {
  const auto trace = FibreIntoNoise(false);
  for (const float lossInTheNoise : {0.5f, 9.0f}) {
    SCOPED_TRACE(testing::Message() << "loss in the noise " << lossInTheNoise);
    std::vector<AnalysisEvent> events(4);
    events[0] = LaunchEvent();
    events[1] = EventAt(kEventReflective, 4990, 0.5f, {4700, 4987, 5010, 5300}, -30.0f);
    events[2] = EventAt(kEventReflective, 7000, lossInTheNoise, {6700, 6997, 7010, 7300}, -20.0f);
    ASSERT_EQ(DetectEndByThreshold(ContextOf(trace, 5000), ParamsFor(20.0f), events, 3), 1);
    EXPECT_EQ(events[1].endFlag, kEndFlag);
    EXPECT_EQ(events[2].endFlag, 0);
  }
}

// Behind the noise start only reflections that rise out of the noise take part in the end decision.
TEST(DropNoiseOnlyEventsTest, KeepsOnlyReflectionsRisingOutOfTheNoise) {
  auto trace = FibreIntoNoise(false);
  // Noise of +-1 dB on the floor, and a reflection 25 dB above it at 7000.
  for (std::size_t i = 5000; i < trace.size(); ++i) trace[i].level += (i % 7 == 0 ? 1.0f : (i % 5 == 0 ? -1.0f : 0.0f));
  for (std::size_t i = 7000; i < 7010; ++i) trace[i].level = static_cast<float>(Reference()) + 25.0f;
  std::vector<AnalysisEvent> events{LaunchEvent(), EventAt(kEventNonReflective, 1000, 0.3f, {700, 997, 1003, 1300}),
                                    EventAt(kEventNonReflective, 5500, 8.0f, {5200, 5497, 5503, 5800}),
                                    EventAt(kEventReflective, 6000, 0.2f, {5700, 5997, 6010, 6300}, -50.0f),
                                    EventAt(kEventReflective, 7000, 0.2f, {6700, 6997, 7010, 7300}, -20.0f)};
  events[3].peakIndex = 6005;
  events[4].startIndex = 6999;
  events[4].peakIndex = 7005;
  events[4].endIndex = 7010;
  ASSERT_EQ(DropNoiseOnlyEvents(trace, events, 5, 5000), 3);
  EXPECT_EQ(events[1].sampleIndex, 1000);
  EXPECT_EQ(events[2].sampleIndex, 7000);
}

TEST(DetectEndByNoiseTest, AddsNothingWhileTheTraceStaysAboveTheNoise) {
  const auto trace = FibreLine(8000);
  std::vector<AnalysisEvent> events(3);
  events[0] = LaunchEvent();
  events[1] = EventAt(kEventNonReflective, 1000, 0.5f, {700, 997, 1003, 1300});
  EXPECT_EQ(DetectEndByNoise(ContextOf(trace, 7999), events, 2), 0);
  EXPECT_EQ(events[1].endFlag, 0);
}

TEST(PruneAfterEndTest, KeepsReflectionsAndEventsOnNormalFibre) {
  const auto trace = FibreLine(8000);
  AnalysisEvent end = EventAt(kEventNonReflective, 1000, 0.5f, {700, 997, 1003, 1300});
  end.endFlag = kEndFlag;
  std::vector<AnalysisEvent> events{LaunchEvent(), end,
                                    EventAt(kEventNonReflective, 1155, 0.5f, {1100, 1153, 1160, 1400}),
                                    Reflection(1200, -40.0f),
                                    EventAt(kEventNonReflective, 2000, 0.5f, {1700, 1997, 2003, 2300})};
  ASSERT_EQ(PruneAfterEnd(trace, events, 5), 4);
  EXPECT_EQ(events[2].sampleIndex, 1200);
  EXPECT_EQ(events[3].sampleIndex, 2000);
  EXPECT_EQ(PruneAfterEnd(trace, events, 0), 0);
}

TEST(PruneAfterEndTest, DropsEventsOnASteepSectionBehindTheEnd) {
  const auto trace = TraceOf(8000, 0.001, [](double x) { return x < 1.0 ? -10.0 - 0.33 * x : -10.33 - 2.0 * (x - 1.0); });
  AnalysisEvent end = EventAt(kEventNonReflective, 1000, 0.5f, {700, 997, 1003, 1300});
  end.endFlag = kEndFlag;
  std::vector<AnalysisEvent> events{LaunchEvent(), end, EventAt(kEventNonReflective, 2000, 0.5f, {1700, 1997, 2003, 2300})};
  EXPECT_EQ(PruneAfterEnd(trace, events, 3), 2);
}

}  // namespace
