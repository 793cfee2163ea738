#include "analysis/event_measurements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "trace/trace_conversions.h"

namespace {

constexpr int kCount = 1001;

// 1001 display samples over 1 km (1 m apart), times of flight equal to sample indices; a pulse of
// 10 samples.
class EventMeasurementsTest : public ::testing::Test {
 protected:
  EventMeasurementsTest() : record(std::make_unique<SorRecord>()), samples(kCount) {
    record->FxdParams.DataSpacing[0] = 10000;
    record->FxdParams.PulseWidths[0] = 1;  // 10 samples
    record->FxdParams.Backscatter = 800;  // 80 dB
    record->FxdParams.ActualWavelength = 16250;
    record->DataPts.Traces[0].PointCount = kCount;
    record->KeyEvents.KeyEventCount = 2;
    record->KeyEvents.Events.resize(2);
    // A fibre losing 0.3 dB/km with a 0.5 dB step at sample 500.
    for (int i = 0; i < kCount; ++i) samples[i] = 2.0 + 0.0003 * i + (i >= 500 ? 0.5 : 0.0);
  }

  void SetLaunchWindow(int s, int e) {
    record->KeyEvents.Events[0].MarkerLocations[2] = s;
    record->KeyEvents.Events[0].MarkerLocations[3] = e;
  }
  void SetEvent(int row, int time, int a, int b) {
    SorKeyEvent& k = record->KeyEvents.Events[row];
    k.TimeOfFlight = time;
    k.MarkerLocations[0] = a;
    k.MarkerLocations[1] = b;
  }
  float Loss(int row, double lengthKm = 1.0) { return GetEventLoss(row, 0, *record, kCount, samples, lengthKm); }
  // The two loss windows [a, b] and [c, d] of a marker set.
  void SetLossWindows(int set, int a, int b, int c, int d) {
    auto& w = markers.LossAuxMarkers[set];
    w[0].SampleIndex = a;
    w[1].SampleIndex = b;
    w[2].SampleIndex = c;
    w[3].SampleIndex = d;
  }

  std::unique_ptr<SorRecord> record;
  std::vector<double> samples;
  MarkerState markers;
};

TEST_F(EventMeasurementsTest, SpliceLossBetweenTheTwoLines) {
  markers.MarkerA = 500;
  SetLossWindows(0, 100, 490, 510, 900);
  EXPECT_NEAR(GetLsaSpliceLoss(0, markers, kCount, samples), 0.5f, 1e-5);

  SetLossWindows(0, 100, 490, 900, 900);
  EXPECT_EQ(GetLsaSpliceLoss(0, markers, kCount, samples), kMissingValue);
  // Marker B at the trace end: both windows reach the last sample and have no line.
  markers.MarkerB = 1000;
  SetLossWindows(1, 500, 1000, 1000, 1001);
  EXPECT_EQ(GetLsaSpliceLoss(1, markers, kCount, samples), kMissingValue);
}

TEST_F(EventMeasurementsTest, ReflectanceOfAPeak) {
  // A peak 3 dB high at sample 300 (smaller values are stronger signal), with the window offset.
  auto& q = markers.ReflectanceAuxMarkers[0];
  q[0].SampleIndex = 100;
  q[1].SampleIndex = 290;
  q[2].SampleIndex = 300;
  const double offset = 2.0;
  const double peak3Db = 10.0 * std::log10(std::pow(10.0, 0.6) - 1.0);
  struct Case {
    double height;
    int reflAdjust;
    std::int16_t backscatter, pulseWidth;
    std::int32_t backscatterMode;
    float expected;
  } cases[] = {
      {3.0, 0, 800, 1000, 0, static_cast<float>(peak3Db - 50.0)},
      {3.0, 500, 800, 1000, 0, static_cast<float>(peak3Db - 50.0 + 0.5)},
      // Both fields are divided as real numbers: 82.1 dB, 0.5 us.
      {3.0, 0, 821, 500, 0, static_cast<float>(peak3Db - (52.1 - 10.0 * std::log10(0.5)))},
      // Mode 100 files store the 1 us magnitude: the same -50 dB coefficient is written as 500.
      {3.0, 0, 500, 1000, 100, static_cast<float>(peak3Db - 50.0)},
      {3.0, 0, 800, 1000, 100, static_cast<float>(peak3Db - 80.0)},
      {0.001, 500, 800, 1000, 0, kNoHeightReflectance},
  };
  for (const Case& c : cases) {
    q[2].Value = samples[300] - c.height + offset;
    record->UserName.ReflAdjust = c.reflAdjust;
    record->UserName.BackscatterMode = c.backscatterMode;
    record->FxdParams.Backscatter = c.backscatter;
    record->FxdParams.PulseWidths[0] = c.pulseWidth;
    EXPECT_NEAR(GetEventReflectance(0, markers, kCount, samples, *record, offset), c.expected, 1e-3)
        << c.height << " " << c.reflAdjust << " mode " << c.backscatterMode;
  }
  EXPECT_NEAR(10.0 * std::log10(std::pow(10.0, 0.6) - 1.0), 4.744, 1e-3);
}

TEST_F(EventMeasurementsTest, ReflectanceWithoutMeasurementIsMissing) {
  auto& q = markers.ReflectanceAuxMarkers[1];
  q[0].SampleIndex = 100;
  q[1].SampleIndex = 1000;  // window reaching the last sample: no line
  q[2].SampleIndex = 300;
  q[2].Value = 0.0;
  EXPECT_EQ(GetEventReflectance(1, markers, kCount, samples, *record, 0.0), kMissingValue);
  q[1].SampleIndex = 100;
  EXPECT_EQ(GetEventReflectance(1, markers, kCount, samples, *record, 0.0), kMissingValue);
  q[1].SampleIndex = 290;
  record->FxdParams.PulseWidths[0] = 0;
  EXPECT_EQ(GetEventReflectance(1, markers, kCount, samples, *record, 0.0), kMissingValue);
}

TEST_F(EventMeasurementsTest, LossFromTheLaunchLineToTheEventLine) {
  SetLaunchWindow(20, 400);
  SetEvent(1, 600, 550, 600);
  // Launch line at 0: 2.0; event line at 600: 2.0 + 0.18 + 0.5.
  EXPECT_NEAR(Loss(1), 0.68f, 1e-4);
  EXPECT_EQ(Loss(0), kMissingValue);
  SetEvent(1, 1000, 550, 1000);  // window reaching the last sample
  EXPECT_EQ(Loss(1), kMissingValue);
  SetEvent(1, 600, 550, 600);
  // A launch window past the first event measures other fibre: the first section gives the level.
  SetLaunchWindow(500, 1000);
  EXPECT_NEAR(Loss(1), 0.68f, 1e-4);
}

TEST_F(EventMeasurementsTest, OneSampleLaunchWindowIsCarriedBackByTheNominalAttenuation) {
  // The sample of the window, less the nominal attenuation over its distance from the launch in
  // the 1310 and 1550 nm bands (5 km on a 100 km trace; the launch level may step up 0.001).
  SetLaunchWindow(50, 50);
  SetEvent(1, 600, 600, 600);
  const double sample50 = samples[50];
  struct Case {
    std::int16_t field;
    double attenuation;
  } cases[] = {{13100, 0.32}, {13084, 0.32}, {13129, 0.32}, {13040, 0.0}, {15486, 0.22}, {15450, 0.22},
               {16250, 0.0}, {1310, 0.32}, {1550, 0.22}};
  for (const Case& c : cases) {
    record->FxdParams.ActualWavelength = c.field;
    const double base = sample50 - c.attenuation * 5.0;
    EXPECT_NEAR(Loss(1, 100.0), samples[600] - base, 1.2e-3) << c.field;
  }
}

TEST_F(EventMeasurementsTest, LaunchWindowInsideTheLaunchReflectionGivesWayToTheFirstSection) {
  // The launch pulse: samples 0-10 far stronger than the backscatter. A level taken there made
  // every cumulative loss too small.
  for (int i = 0; i <= 10; ++i) samples[i] = 0.5;
  SetEvent(1, 600, 550, 600);
  for (const auto& window : {std::pair{0, 1}, std::pair{5, 400}, std::pair{10, 400}, std::pair{-100, -50}}) {
    SetLaunchWindow(window.first, window.second);
    // The middle half of the section before event 1 (150-450) carried back to the launch: 2.0.
    EXPECT_NEAR(Loss(1), 0.68f, 1e-4) << window.first << " " << window.second;
  }
  // A launch that stores no window at all gives no level: the losses follow from the stored values
  // (here no slopes, so none).
  SetLaunchWindow(0, 0);
  EXPECT_EQ(Loss(1), kMissingValue);
  record->KeyEvents.KeyEventCount = 1;  // no first section to fit
  EXPECT_EQ(GetLaunchLevel(0, *record, kCount, samples, 1.0), kMissingValue);
}

// Where the launch window starts in the launch's reflection, the first section's line runs over the
// middle of the window's reach: deleting the event behind the launch moves no cumulative loss.
TEST_F(EventMeasurementsTest, TheFirstSectionsLineStaysWhenTheEventBehindTheLaunchGoes) {
  for (int i = 0; i <= 10; ++i) samples[i] = 0.5;
  for (int i = 420; i < 500; ++i) samples[i] += 0.002 * (i - 420);  // a bend in front of the step
  SetLaunchWindow(5, 400);
  SetEvent(1, 450, 440, 450);
  const float withEvent = GetLaunchLevel(0, *record, kCount, samples, 1.0);
  EXPECT_NEAR(withEvent, 2.0f, 1.1e-3);
  SetEvent(1, 600, 550, 600);  // the event at 450 deleted: the section runs on past the bend
  EXPECT_EQ(GetLaunchLevel(0, *record, kCount, samples, 1.0), withEvent);
}

TEST_F(EventMeasurementsTest, LaunchLevelIsTakenAtTheLaunchNotAtTheFirstSample) {
  // 200 samples of launch cord before the user's zero: the launch (time 0) is sample 200, and the
  // line through its window is read there, 0.06 dB below its value at sample 0.
  record->GenParams.UserOffset = 200;
  SetLaunchWindow(20, 200);  // samples 220-400
  SetEvent(1, 390, 350, 390);  // event at sample 590, window 550-590
  EXPECT_NEAR(Loss(1), 0.677f - 0.06f, 1e-4);
  // A window starting within the launch's reflection, and events stored without windows.
  SetLaunchWindow(5, 200);
  EXPECT_NEAR(Loss(1), 0.677f - 0.06f, 1e-4);
  SetEvent(1, 390, 0, 0);
  record->KeyEvents.Events[1].MarkerLocations[2] = 0;
  EXPECT_EQ(Loss(1), kMissingValue);
}

TEST_F(EventMeasurementsTest, LaunchLevelStepsUpFromAFifthTenThousandth) {
  SetLaunchWindow(50, 50);
  SetEvent(1, 600, 600, 600);
  struct Case {
    double launch, base;
  } cases[] = {{1.2345, 1.2355}, {1.2344, 1.2344}, {2.0005, 2.0015}, {-1.2345, -1.2345}};
  for (const Case& c : cases) {
    samples[50] = c.launch;
    samples[600] = 3.0;
    EXPECT_NEAR(Loss(1), 3.0 - c.base, 2e-6) << c.launch;
  }
}

TEST_F(EventMeasurementsTest, LocationsOutsideTheTraceAreClamped) {
  SetLaunchWindow(-70000, 2000000000);
  SetEvent(1, -5, -2000000000, 2000000000);
  const float loss = Loss(1);
  EXPECT_TRUE(loss == kMissingValue || std::isfinite(loss));
  SetLaunchWindow(1500, 1600);  // beyond the trace: its last sample, carried back at 1625 nm as it is
  SetEvent(1, 5000, 5000, 5000);  // beyond it too: the last sample
  EXPECT_NEAR(Loss(1), 0.0, 1e-5);
  EXPECT_EQ(GetEventLoss(1, 0, *record, kCount, std::span<const double>(), 1.0), kMissingValue);
}

TEST_F(EventMeasurementsTest, CumulativeLossCountsFromTheStartNotFromAFirstEventBehindIt) {
  // The first event lies 300 samples behind the user's zero (sample 0); the line through its window
  // is read at the zero, where the fibre starts, so the section before it counts: 2.0 at sample 0.
  SetEvent(0, 300, 0, 0);
  SetLaunchWindow(320, 480);
  SetEvent(1, 600, 550, 600);
  EXPECT_NEAR(Loss(1), 0.68f, 1e-4);
  EXPECT_EQ(StartSampleIndex(*record, kCount), 0);
  // A first event before the zero is where the fibre starts.
  record->KeyEvents.Events[0].TimeOfFlight = -100;
  record->GenParams.UserOffset = 200;
  EXPECT_EQ(StartSampleIndex(*record, kCount), 100);
}

// Files that store no windows: the cumulative loss follows from the stored splice losses of the
// events before a row and the stored slopes over the sections up to it, from the user's zero.
TEST_F(EventMeasurementsTest, WithoutWindowsTheCumulativeLossFollowsFromTheStoredValues) {
  constexpr std::int32_t kGroupIndex = 146800;
  record->FxdParams.GroupIndex = kGroupIndex;
  const auto km = [](std::int32_t time) { return static_cast<double>(DistanceOfTime(time, kGroupIndex)); };
  const struct {
    const char* what;
    std::vector<std::int32_t> times;
    std::vector<std::int16_t> slopes;  // 0.001 dB/km, of the section before each event
    std::vector<std::int16_t> splices;  // 0.001 dB
    std::vector<double> expected;       // per row; kMissingValue where nothing follows
  } cases[] = {
      {"launch at the zero", {0, 50000, 120000}, {0, 300, 200}, {168, 500, 0},
       {kMissingValue, 0.168 + 0.3 * km(50000), 0.168 + 0.5 + 0.3 * km(50000) + 0.2 * km(70000)}},
      // Only an event at the user's zero is the launch: the first section ends at a first event further in.
      {"first event 1 km behind the start", {100000, 150000}, {350, 300}, {200, 0},
       {0.35 * km(100000), 0.35 * km(100000) + 0.2 + 0.3 * km(50000)}},
      // Nor does the trace, which ends long before it.
      {"a section without a slope beyond the trace", {0, 50000, 120000}, {0, 0, 200}, {100, 100, 0},
       {kMissingValue, kMissingValue, kMissingValue}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int n = static_cast<int>(c.times.size());
    record->KeyEvents.KeyEventCount = static_cast<std::int16_t>(n);
    record->KeyEvents.Events.assign(static_cast<std::size_t>(n), SorKeyEvent{});
    for (int i = 0; i < n; ++i) {
      SorKeyEvent& k = record->KeyEvents.Events[static_cast<std::size_t>(i)];
      k.TimeOfFlight = c.times[static_cast<std::size_t>(i)];
      k.Slope = c.slopes[static_cast<std::size_t>(i)];
      k.SpliceLoss = c.splices[static_cast<std::size_t>(i)];
    }
    for (int i = 0; i < n; ++i) {
      const double expected = c.expected[static_cast<std::size_t>(i)];
      // The table takes it wherever an event has no windows of its own.
      for (const float loss : {DerivedCumulativeLoss(i, *record, kCount, samples, 1.0), Loss(i, 100.0)}) {
        if (expected == kMissingValue) {
          EXPECT_EQ(loss, kMissingValue) << i;
        } else {
          EXPECT_NEAR(loss, expected, 1e-5) << i;
        }
      }
    }
  }
}

}  // namespace

namespace {

// A file without windows: the launch at the zero (0.168 dB), a 0.5 dB splice 50,000 time units in
// and the end at 120,000, with slopes of 0.3 and 0.2 dB/km before them.
class StoredLossesTest : public EventMeasurementsTest {
 protected:
  static constexpr std::int32_t kGroupIndex = 146800;
  StoredLossesTest() {
    record->FxdParams.GroupIndex = kGroupIndex;
    const std::int32_t times[] = {0, 50000, 120000};
    const std::int16_t slopes[] = {0, 300, 200};
    const std::int16_t splices[] = {168, 500, 0};
    record->KeyEvents.KeyEventCount = 3;
    record->KeyEvents.Events.assign(3, SorKeyEvent{});
    for (std::size_t i = 0; i < 3; ++i) {
      SorKeyEvent& k = record->KeyEvents.Events[i];
      k.TimeOfFlight = times[i];
      k.Slope = slopes[i];
      k.SpliceLoss = splices[i];
      k.EventCode[0] = u'1';
      k.EventCode[1] = i == 2 ? u'E' : u'F';
    }
  }
  static double Km(std::int32_t time) { return DistanceOfTime(time, kGroupIndex); }
};

TEST_F(StoredLossesTest, BetweenEventsTheCumulativeLossFollowsFromTheStoredValues) {
  const double atSplice = 0.168 + 0.3 * Km(50000);
  const struct {
    std::int32_t time;
    double expected;
  } cases[] = {
      {-10, 0.0},
      {0, 0.0},
      {25000, 0.168 + 0.3 * Km(25000)},
      {50000, atSplice},  // to the splice, not past it
      {80000, atSplice + 0.5 + 0.2 * Km(30000)},
      {120000, atSplice + 0.5 + 0.2 * Km(70000)},
      {120001, kMissingValue},  // behind the end
  };
  for (const auto& c : cases) {
    const float loss = DerivedCumulativeLossAt(c.time, *record, kCount, samples, 1.0);
    if (c.expected == kMissingValue) {
      EXPECT_EQ(loss, kMissingValue) << c.time;
    } else {
      EXPECT_NEAR(loss, c.expected, 1e-5) << c.time;
    }
  }
  EXPECT_NEAR(DerivedCumulativeLossAt(120000, *record, kCount, samples, 1.0), DerivedCumulativeLoss(2, *record, kCount, samples, 1.0), 1e-6);
  // Without an end, past the last event no section is stored.
  record->KeyEvents.Events[2].EventCode[1] = u'F';
  EXPECT_EQ(DerivedCumulativeLossAt(120001, *record, kCount, samples, 1.0), kMissingValue);
}

// A file with a user offset and no windows: the reading at a marker is the derived value at its
// place, nothing at or before the zero, and nothing behind the end; a shifted zero changes none of
// it (the window before the marker is not read).
TEST_F(StoredLossesTest, AMarkerOnAFileWithoutWindowsReadsTheDerivedValueAtItsPlace) {
  const double lengthKm = Km(kCount - 1);
  for (const std::int32_t zero : {0, 547}) {
    SCOPED_TRACE(zero);
    record->GenParams.UserOffset = zero;
    for (const int x : {0, zero / 2, zero, zero + 200, zero + 450}) {
      const float loss = CumulativeLossAt(x, x - 500, x, *record, kCount, samples, lengthKm);
      const std::int32_t time = x - zero;
      EXPECT_NEAR(loss, time <= 0 ? 0.0f : DerivedCumulativeLossAt(time, *record, kCount, samples, 1.0), 1e-4) << x;
    }
    // The events stand past the trace; moved in (the end to 300 units), the samples behind the end
    // read nothing.
    record->KeyEvents.Events[1].TimeOfFlight = 100;
    record->KeyEvents.Events[2].TimeOfFlight = 300;
    EXPECT_FALSE(CumulativeLossAt(zero + 300, 0, 0, *record, kCount, samples, lengthKm) == kMissingValue);
    EXPECT_EQ(CumulativeLossAt(zero + 302, 0, 0, *record, kCount, samples, lengthKm), kMissingValue);
    record->KeyEvents.Events[1].TimeOfFlight = 50000;
    record->KeyEvents.Events[2].TimeOfFlight = 120000;
  }
}

// Behind the end nothing is measured on backscatter, from windows or from stored values.
TEST_F(EventMeasurementsTest, NothingIsMeasuredBehindTheEnd) {
  record->KeyEvents.KeyEventCount = 4;
  record->KeyEvents.Events.resize(4);
  SetLaunchWindow(20, 400);
  SetEvent(1, 450, 300, 440);
  SetEvent(2, 600, 550, 590);
  SetEvent(3, 900, 800, 890);
  record->KeyEvents.Events[2].EventCode[1] = u'E';
  EXPECT_FALSE(Loss(1) == kMissingValue);
  EXPECT_FALSE(Loss(2) == kMissingValue);
  EXPECT_EQ(Loss(3), kMissingValue);
  EXPECT_TRUE(IsBehindEnd(3, *record));
  EXPECT_FALSE(IsBehindEnd(2, *record));
  EXPECT_FALSE(CumulativeLossAt(600, 550, 590, *record, kCount, samples, 1.0) == kMissingValue);
  EXPECT_EQ(CumulativeLossAt(601, 550, 600, *record, kCount, samples, 1.0), kMissingValue);
}

TEST_F(EventMeasurementsTest, OnlyAFirstEventAtTheUsersZeroIsTheLaunch) {
  const struct {
    std::int32_t firstTime, userOffset;
    int row;
    bool launch;
  } cases[] = {
      {0, 0, 0, true},
      {-100, 100, 0, true},  // on the first sample, where a reanalysis puts it
      {1000, 0, 0, false},   // a connector 1 km in: no Start row
      {0, 0, 1, false},
  };
  for (const auto& c : cases) {
    record->KeyEvents.Events[0].TimeOfFlight = c.firstTime;
    record->GenParams.UserOffset = c.userOffset;
    EXPECT_EQ(IsLaunchEvent(c.row, *record), c.launch) << c.firstTime << " row " << c.row;
  }
}

}  // namespace

namespace {

// A link of 4000 samples 100 time units apart losing 0.378 dB/km at 1310 nm, a 10-sample pulse, and
// events at the samples a case gives with the steps they lose; behind the End only noise, 30 dB down.
class DerivedLossesTest : public ::testing::Test {
 protected:
  static constexpr int kSamples = 4000;
  static constexpr std::int32_t kGroupIndex = 146800;
  static constexpr double kAttenuation = 0.378;

  struct Event {
    int sample;
    std::int16_t slope;  // 0.001 dB/km, of the section before the event
    std::int16_t loss;   // 0.001 dB
    bool end = false;
  };

  DerivedLossesTest() : record(std::make_unique<SorRecord>()), samples(kSamples) {
    record->FxdParams.DataSpacing[0] = 1000000;
    record->FxdParams.PulseWidths[0] = 100;
    record->FxdParams.GroupIndex = kGroupIndex;
    record->FxdParams.ActualWavelength = 13100;
    record->DataPts.Traces[0].PointCount = kSamples;
  }

  static double Km(int sample) { return DistanceOfTime(sample * 100, kGroupIndex); }

  void Build(const std::vector<Event>& events, int noiseFrom = kSamples) {
    record->KeyEvents.KeyEventCount = static_cast<std::int16_t>(events.size());
    record->KeyEvents.Events.assign(events.size(), SorKeyEvent{});
    for (std::size_t i = 0; i < events.size(); ++i) {
      SorKeyEvent& k = record->KeyEvents.Events[i];
      k.TimeOfFlight = events[i].sample * 100;
      k.Slope = events[i].slope;
      k.SpliceLoss = events[i].loss;
      k.EventCode[0] = u'1';
      k.EventCode[1] = events[i].end ? u'E' : u'F';
      if (events[i].end) noiseFrom = std::min(noiseFrom, events[i].sample + 1);
    }
    for (int i = 0; i < kSamples; ++i) {
      double level = 2.0 + kAttenuation * Km(i);
      for (const Event& e : events) {
        if (i > e.sample && !e.end) level += e.loss / 1000.0;
      }
      samples[static_cast<std::size_t>(i)] = i < noiseFrom ? level : 40.0 + (i % 2 == 0 ? 1.0 : -1.0);
    }
  }
  // The window before key event `row`, in samples.
  void SetWindow(int row, int from, int to) {
    record->KeyEvents.Events[static_cast<std::size_t>(row)].MarkerLocations[0] = from * 100;
    record->KeyEvents.Events[static_cast<std::size_t>(row)].MarkerLocations[1] = to * 100;
  }
  float Loss(int row) { return GetEventLoss(row, 0, *record, kSamples, samples, Km(kSamples - 1)); }

  std::unique_ptr<SorRecord> record;
  std::vector<double> samples;
};

// A file without a Start row whose End stores the window of the event in front of it: that window
// measures the fibre before the other event, not the End's, and is not read; the End's loss follows
// from the event before it, its loss and the section's stored slope, as the trace shows it.
TEST_F(DerivedLossesTest, AWindowOutsideItsOwnSectionIsNotRead) {
  Build({{990, 378, 300}, {2000, 378, 87}, {3000, 378, 0, true}});
  SetWindow(0, 100, 980);
  SetWindow(1, 1000, 1990);
  const double atEnd = kAttenuation * Km(3000) + 0.387;
  for (const auto& endWindow : {std::pair{2010, 2990}, std::pair{1000, 1990}, std::pair{100, 980}}) {
    SCOPED_TRACE(endWindow.first);
    SetWindow(2, endWindow.first, endWindow.second);
    EXPECT_NEAR(Loss(0), kAttenuation * Km(990), 1e-3);
    EXPECT_NEAR(Loss(1), kAttenuation * Km(2000) + 0.3, 1e-3);
    EXPECT_NEAR(Loss(2), atEnd, 1e-3);
  }
}

// Files that store no windows and leave a section without a slope: the trace gives its loss where
// a line fits clear of the events' dead zones; a section inside the launch's dead zone costs its
// length at the band's attenuation; one running into the noise has no loss, nor the rows behind it.
TEST_F(DerivedLossesTest, ASectionWithoutASlopeIsMeasuredOnTheTrace) {
  const struct {
    const char* what;
    std::vector<Event> events;
    int noiseFrom;
    std::vector<double> expected;  // per row behind the launch
  } cases[] = {
      {"inside the launch's dead zone", {{0, 0, 0}, {5, 0, 374}, {1800, 378, 0, true}}, kSamples,
       {0.32 * Km(5), 0.32 * Km(5) + 0.374 + kAttenuation * Km(1795)}},
      {"on clean fibre", {{0, 0, 0}, {1000, 0, 200}, {2500, 378, 0, true}}, kSamples,
       {kAttenuation * Km(1000), kAttenuation * Km(2500) + 0.2}},
      {"in the noise", {{0, 0, 0}, {1000, 378, 200}, {3500, 0, 0, true}, }, 3000,
       {kAttenuation * Km(1000), kMissingValue}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Build(c.events, c.noiseFrom);
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      const int row = static_cast<int>(i) + 1;
      if (c.expected[i] == kMissingValue) {
        EXPECT_EQ(Loss(row), kMissingValue) << row;
      } else {
        EXPECT_NEAR(Loss(row), c.expected[i], 2e-3) << row;
      }
    }
  }
  // A marker halfway along the measured section reads half its loss, as Add Event proposes it; behind
  // a first section inside the launch's dead zone a marker reads as the rows do.
  Build(cases[1].events);
  EXPECT_NEAR(CumulativeLossAt(500, 0, 0, *record, kSamples, samples, Km(kSamples - 1)), kAttenuation * Km(500), 2e-3);
  Build(cases[0].events);
  EXPECT_NEAR(CumulativeLossAt(900, 0, 0, *record, kSamples, samples, Km(kSamples - 1)),
              0.32 * Km(5) + 0.374 + kAttenuation * Km(895), 2e-3);
}

}  // namespace

namespace {

// Fibre never gains: a negative slope an instrument stores over plain fibre would run the cumulative
// loss backwards, and the trace gives that section's loss instead; the net gain of a section that
// holds a gainer (one deleted from the table, its gain folded into the section) counts, as the trace
// gains across it too.
TEST_F(DerivedLossesTest, ANegativeSlopeCountsOnlyWhereTheTraceGainsAcrossTheSection) {
  Build({{0, 0, 0}, {1000, -100, 200}, {2500, 378, 0, true}});
  EXPECT_NEAR(Loss(1), kAttenuation * Km(1000), 2e-3);
  EXPECT_NEAR(Loss(2), kAttenuation * Km(2500) + 0.2, 2e-3);

  // A 1 dB gainer at sample 1000, taken out of the table; the section to 1100 keeps the net gain.
  Build({{0, 0, 0}, {1000, 378, -1000}, {1100, 378, 100}, {2500, 378, 0, true}});
  SorKeyEvents& keys = record->KeyEvents;
  keys.Events.erase(keys.Events.begin() + 1);
  keys.KeyEventCount = 3;
  const double net = kAttenuation * Km(1100) - 1.0;
  keys.Events[1].Slope = static_cast<std::int16_t>(std::lround(net / Km(1100) * 1000.0));
  ASSERT_LT(keys.Events[1].Slope, 0);
  EXPECT_NEAR(Loss(1), net, 3e-3);
  EXPECT_NEAR(Loss(2), kAttenuation * Km(2500) - 1.0 + 0.1, 3e-3);
}

}  // namespace
namespace {

// A file with windows whose first event stands 5 samples behind the launch, inside its dead zone:
// the trace in front of the event is the launch's own reflection. The level at the start comes from
// the line behind the event (the launch's window, or the next event's), carried back over the
// event's stored loss and its section at the band's attenuation; the event's own window, inside the
// dead zone, is not read: its section costs its length at the band's attenuation.
TEST_F(DerivedLossesTest, AFirstEventInsideTheLaunchsDeadZoneReadsTheBackscatterBehindIt) {
  Build({{0, 0, 0}, {5, 0, 374}, {1800, 378, 0, true}});
  for (int i = 0; i < 15; ++i) samples[static_cast<std::size_t>(i)] = 0.5;  // the launch's reflection
  SetWindow(1, 1, 4);
  SetWindow(2, 100, 1790);
  const double first = 0.32 * Km(5);
  const double end = first + 0.374 + kAttenuation * Km(1795);
  for (const auto& launchWindow : {std::pair{20, 1000}, std::pair{1, 4}}) {
    SCOPED_TRACE(launchWindow.first);
    record->KeyEvents.Events[0].MarkerLocations[2] = launchWindow.first * 100;
    record->KeyEvents.Events[0].MarkerLocations[3] = launchWindow.second * 100;
    // The launch level's step-up adds up to 0.001 dB.
    EXPECT_NEAR(Loss(1), first, 2e-3);
    EXPECT_NEAR(Loss(2), end, 2e-3);
    EXPECT_NEAR(CumulativeLossAt(900, 800, 900, *record, kSamples, samples, Km(kSamples - 1)),
                first + 0.374 + kAttenuation * Km(895), 2e-3);
  }
}

}  // namespace
