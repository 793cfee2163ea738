#include "analysis/reflectance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "synthetic_trace.h"

namespace {

TEST(ReflectanceCorrectionTest, Table) {
  struct Case {
    int wavelength, pulseWidth;
    float range, expected;
  } cases[] = {
      {1310, 1000, 80.0f, 0.8f},    {1310, 1000, 40.0f, 0.0f},   {1550, 12, 5.0f, 8.64f},
      {850, 500, 20.0f, -1.2f},     {850, 12, 123.0f, 3.7f},     {1300, 275, 3.0f, -1.4f},
      {1300, 500, 3.0f, 0.0f},      {1310, 500, 1.3f, -0.27f},   {1310, 5, 0.3f, 6.92f},
      {1550, 500, 2.5f, -1.2f},     {1310, 30, 19.95f, 7.66f},   {1310, 30, 20.2f, 0.0f},
      {1310, 100, 100.0f, 0.0f},    {1625, 100, 40.0f, 1.7f},    {1625, 275, 80.0f, 3.65f},
      {1309, 30, 20.0f, 6.4f},      {1550, 30, 10.05f, 1.0f},    {1490, 30, 7.0f, 0.0f},
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(ReflectanceCorrection(c.wavelength, c.pulseWidth, c.range), c.expected)
        << c.wavelength << " nm, " << c.pulseWidth << " ns, " << c.range << " km";
  }
}

class ComputeReflectanceTest : public ::testing::Test {
 protected:
  // Flat fibre at -20 dB, launch event 0 up to sample 20, a reflection of `height` at 100..109.
  void Build(float height) {
    points = MakeSyntheticTrace(CleanFibreSpec(400, 0.0));
    for (auto& p : points) p.level = -20.0f;
    for (int i = 100; i < 110; ++i) points[i].level = -20.0f + height;
    events.assign(3, AnalysisEvent{});
    events[0].endIndex = 20;
    events[0].level = -20.0f;
    events[1].type = kEventReflective;
    events[1].sampleIndex = 99;
    events[1].endIndex = 115;
    events[2].type = kEventNonReflective;
    events[2].sampleIndex = 300;
    events[2].endIndex = 310;
  }
  AnalysisParams Params() const {
    AnalysisParams p;
    p.wavelength = 1550.0f;
    p.pulseWidth = 1000;
    p.range = 20.0f;
    p.backscatterCoefficient = 80.0f;
    return p;
  }
  std::vector<TracePoint> points;
  std::vector<AnalysisEvent> events;
};

TEST_F(ComputeReflectanceTest, PeakHeightAboveTheFittedBase) {
  Build(4.0f);
  ComputeReflectance(points, events, 3, Params());
  EXPECT_NEAR(events[1].reflectance, 10.0 * std::log10(std::pow(10.0, 0.8) - 1.0) - 50.0, 1e-3);
  EXPECT_NEAR(events[1].reflectance, -42.75, 0.01);
  EXPECT_EQ(events[2].reflectance, 0.0f);
}

TEST_F(ComputeReflectanceTest, HeightThresholdAndMissingPulseWidth) {
  struct Case {
    float height;
    int pulseWidth;
    bool flat, missing;
  } cases[] = {{0.0009f, 1000, true, false},
               {0.0011f, 1000, false, false},
               {4.0f, 0, false, true},
               // So high that the float power overflows: no value rather than an infinite reflectance.
               {400.0f, 1000, false, true}};
  for (const Case& c : cases) {
    Build(c.height);
    AnalysisParams p = Params();
    p.pulseWidth = c.pulseWidth;
    ComputeReflectance(points, events, 3, p);
    if (c.missing) {
      EXPECT_EQ(events[1].reflectance, kNoValue);
    } else if (c.flat) {
      EXPECT_EQ(events[1].reflectance, kFlatReflectance);
    } else {
      EXPECT_LT(events[1].reflectance, -80.0f);
    }
  }
}

TEST_F(ComputeReflectanceTest, LaunchIsMeasuredFromItsOwnLevel) {
  Build(4.0f);
  for (int i = 0; i < 20; ++i) points[i].level = -14.0f;  // 6 dB above the launch level
  ComputeReflectance(points, events, 3, Params());
  EXPECT_NEAR(events[0].reflectance, 10.0 * std::log10(std::pow(10.0, 1.2) - 1.0) - 50.0, 1e-3);
}

TEST(ReflectanceBaseTest, FromTheFibreInFrontWithTheTablesCorrection) {
  // A steep fibre (30 dB/km, 0.03 dB a sample) with a 4 dB plateau at 100..109: the base is the line
  // through the gap in front of the event, taken at the peak, unless that gap is 10 samples or less.
  const auto points = [] {
    auto p = MakeSyntheticTrace(CleanFibreSpec(400, -30.0));
    for (int i = 100; i < 110; ++i) p[i].level += 4.0f;
    return p;
  }();
  struct Case {
    const char* name;
    int previousEnd;
    float wavelength, range;
    double base, correction;
  } cases[] = {
      {"fitted base", 20, 1550.0f, 20.0f, -10.0 - 30.0 * 0.1, 0.0},
      {"gap of 11 samples", 87, 1550.0f, 20.0f, -10.0 - 30.0 * 0.1, 0.0},
      {"gap of 10 samples: the sample itself", 88, 1550.0f, 20.0f, -10.0 - 30.0 * 0.099, 0.0},
      {"1310.9 nm is in the 1310 nm band", 20, 1310.9f, 80.0f, -10.0 - 30.0 * 0.1, 0.8},
      {"1308.4 nm is in the 1310 nm band", 20, 1308.4f, 80.0f, -10.0 - 30.0 * 0.1, 0.8},
  };
  for (const Case& c : cases) {
    std::vector<AnalysisEvent> events(2);
    events[0].endIndex = c.previousEnd;
    events[1].type = kEventReflective;
    events[1].sampleIndex = 99;
    events[1].endIndex = 115;
    AnalysisParams p;
    p.wavelength = c.wavelength;
    p.range = c.range;
    p.pulseWidth = 1000;
    p.backscatterCoefficient = 80.0f;
    ComputeReflectance(points, events, 2, p);
    const double height = points[100].level - c.base;
    const double expected = 10.0 * std::log10(std::pow(10.0, height / 5.0) - 1.0) - 50.0 + c.correction;
    EXPECT_NEAR(events[1].reflectance, expected, 2e-3) << c.name;
  }
}

TEST(MergeCloseReflectionsTest, JoinsReflectionsThatRunIntoEachOther) {
  auto points = MakeSyntheticTrace(CleanFibreSpec(300, 0.0));
  for (auto& p : points) p.level = -20.0f;
  for (int i = 100; i <= 130; ++i) points[i].level = -15.0f;  // still high when the second starts
  for (int i = 118; i <= 122; ++i) points[i].level = -14.0f;  // flat top of the second
  auto reflective = [](int index, int peak, int end) {
    AnalysisEvent e{};
    e.type = kEventReflective;
    e.sampleIndex = e.startIndex = index;
    e.peakIndex = peak;
    e.endIndex = end;
    e.markers[2] = end + 3;
    e.markers[3] = end + 9;
    return e;
  };
  struct Case {
    const char* name;
    int secondIndex;
    int secondType;
    float firstEndLevel;
    int count;
  } cases[] = {
      {"touching", 113, kEventReflective, -15.0f, 3},
      {"four samples apart", 114, kEventReflective, -15.0f, 4},
      {"first has fallen", 113, kEventReflective, -15.5f, 4},
      {"second non-reflective", 113, kEventNonReflective, -15.0f, 4},
  };
  for (const Case& c : cases) {
    auto pts = points;
    pts[110].level = c.firstEndLevel;
    std::vector<AnalysisEvent> events = {AnalysisEvent{}, reflective(100, 105, 110),
                                         reflective(c.secondIndex, 120, 135), reflective(200, 201, 205)};
    events[2].type = c.secondType;
    EXPECT_EQ(MergeCloseReflections(pts, events, 4), c.count) << c.name;
    if (c.count == 3) {
      EXPECT_EQ(events[1].peakIndex, 120);
      EXPECT_EQ(events[1].endIndex, 135);
      EXPECT_EQ(events[1].markers[2], 138);
      EXPECT_EQ(events[1].markers[3], 144);
      EXPECT_EQ(events[1].markers[4], (117 + 120 + 1) / 2);  // flat top 118..120 walked down from the peak
      EXPECT_EQ(events[2].sampleIndex, 200);
    }
  }
}

}  // namespace
