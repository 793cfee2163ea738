#include "document/display_model_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "display_model_fixture.h"
#include "document/display_model.h"
#include "document/display_model_params.h"
#include "trace/trace_conversions.h"

namespace {

using lumivane::test::AddKeyEvent;
using lumivane::test::kKmPerSample;
using lumivane::test::MakeTraceRecord;
using lumivane::test::NewModel;

/// Builds the event table of `record` into `model` the way loading does.
void BuildTable(SorRecord& record, TraceDisplayModel& model, std::int32_t distanceCorrection = 0) {
  LoadDisplayModel(kSorFileKind, record, {.distanceCorrection = distanceCorrection}, DisplayModelTargetOf(model));
}

TEST(BuildEventTable, TakesTypeOriginAndReflectanceFromTheEventCodes) {
  struct Case {
    const char* code;
    std::int32_t sample;
    std::int32_t reflectance;
    std::int32_t type;
    std::int32_t origin;
    float shownReflectance;
  };
  const Case cases[] = {
      {"1F9999", 0, -45000, kEventLaunch, kOriginAnalysis, -45.0f},  // a launch keeps its reflectance
      {"0F9999", 1000, -45000, kEventNonReflective, kOriginAnalysis, 0.0f},
      {"1F9999", 1100, 45000, kEventReflective, kOriginAnalysis, -45.0f},
      {"1A9999", 1200, -30000, kEventReflective, kOriginUserAdded, -30.0f},
      {"0M9999", 1300, 0, kEventNonReflective, kOriginUserMoved, 0.0f},
      {"1O9999", 1400, -20000, kEventOutOfRange, kOriginAnalysis, -20.0f},
      {"0D9999", 1500, 0, kEventEnd, kOriginUserAdded, 0.0f},
      {"1E9999", 1600, -14000, kEventEnd, kOriginAnalysis, -14.0f},
      // A saturated reflection ('2') is a reflection, mid-fibre or at the end.
      {"2F9999", 1650, -23000, kEventReflective, kOriginAnalysis, -23.0f},
      {"2E9999", 1680, -15000, kEventEnd, kOriginAnalysis, -15.0f},
      {"XF9999", 1700, -14000, kEventLaunch, kOriginAnalysis, 0.0f},
      // Only the first event at the user's zero is the launch: a later one keeps its type.
      {"0F9999", 0, 0, kEventNonReflective, kOriginAnalysis, 0.0f},
  };
  auto record = MakeTraceRecord(4000);
  for (const Case& c : cases) AddKeyEvent(*record, c.sample, c.code).Reflectance = c.reflectance;
  auto model = NewModel();
  BuildTable(*record, *model);
  ASSERT_EQ(model->m_nEventCount, static_cast<std::int32_t>(std::size(cases)));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].code);
    const EventRow& row = model->m_EventRows[i];
    EXPECT_EQ(row.Index, static_cast<std::int32_t>(i));
    EXPECT_EQ(row.Type, cases[i].type);
    EXPECT_EQ(row.Origin, cases[i].origin);
    EXPECT_FLOAT_EQ(row.Reflectance, cases[i].shownReflectance);
  }
  EXPECT_EQ(model->m_nEndEventRow, 6);  // the first D or E
}

TEST(BuildEventTable, MeasuresDistancesAndSectionsBetweenEvents) {
  auto record = MakeTraceRecord(10000);
  AddKeyEvent(*record, 0, "1F9999");
  AddKeyEvent(*record, 3000, "0F9999").SpliceLoss = 250;
  AddKeyEvent(*record, 5000, "1E9999").SpliceLoss = 1000;
  AddKeyEvent(*record, 6000, "1F9999");  // a ghost past the end
  struct Case { std::int32_t correction; double factor; };
  for (const Case& c : {Case{0, 1.0}, Case{500, 0.995}}) {
    SCOPED_TRACE(c.correction);
    auto model = NewModel();
    BuildTable(*record, *model, c.correction);
    const auto& rows = model->m_EventRows;
    EXPECT_NEAR(rows[1].Distance, 3000 * kKmPerSample * c.factor, 1e-5);
    EXPECT_FLOAT_EQ(rows[1].SpliceLoss, 0.25f);
    // Section lengths and distances to the end are taken without the correction.
    EXPECT_NEAR(rows[2].SectionLength, 2000 * kKmPerSample, 1e-5);
    EXPECT_NEAR(rows[0].DistanceToEnd, 5000 * kKmPerSample, 1e-5);
    EXPECT_NEAR(rows[3].DistanceToEnd, 1000 * kKmPerSample, 1e-5);
    EXPECT_EQ(rows[0].SectionLength, 0.0f);
    EXPECT_EQ(rows[0].Attenuation, 0.0f);
    EXPECT_EQ(rows[0].SectionLoss, 0.0f);
  }
  // Without an end event every distance is measured to the end of the trace.
  record->KeyEvents.Events[2].EventCode[1] = u'F';
  auto model = NewModel();
  BuildTable(*record, *model);
  EXPECT_EQ(model->m_nEndEventRow, kNoEndEventRow);
  EXPECT_NEAR(model->m_EventRows[1].DistanceToEnd, 6999 * kKmPerSample, 1e-5);
  EXPECT_EQ(model->m_LinkSummary.LinkLength, 0.0f);
  EXPECT_NEAR(model->m_LinkSummary.TraceLength, 9999 * kKmPerSample, 1e-5);
}

TEST(BuildEventTable, BlanksNonPositiveSlopesOnlyForTheTwoExactWavelengthFields) {
  struct Case { std::int16_t wavelengthField; std::int16_t slope; float attenuation; };
  const Case cases[] = {
      {1550, -5, 0.0f},     {1550, 0, 0.0f},      {1550, 1, 0.001f},   {15500, -5, -0.005f},
      {1330, 0, 0.0f},      {1330, 1, 0.001f},    {1310, -5, -0.005f}, {13100, 190, 0.19f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.wavelengthField << " " << c.slope);
    auto record = MakeTraceRecord(10000);
    record->FxdParams.ActualWavelength = c.wavelengthField;
    AddKeyEvent(*record, 0, "1F9999");
    AddKeyEvent(*record, 3000, "0F9999").Slope = c.slope;
    AddKeyEvent(*record, 5000, "1E9999").Slope = c.slope;
    auto model = NewModel();
    BuildTable(*record, *model);
    EXPECT_FLOAT_EQ(model->m_EventRows[2].Attenuation, c.attenuation);
  }
}

/// A trace falling `dbPerKm` from the launch on, with a launch at 0 and events at `eventSample`
/// and at the end; the windows before event 1 cover the first section.
std::unique_ptr<SorRecord> MakeSlopedRecord(double dbPerKm, std::int32_t eventSample, std::int16_t storedSlope,
                                            std::int16_t scaleFactor = 1000) {
  const std::int32_t points = 10000;
  auto record = MakeTraceRecord(points);
  record->DataPts.Traces[0].ScaleFactor = scaleFactor;
  for (std::int32_t i = 0; i < points; ++i) {
    const double db = 2.0 + dbPerKm * std::min(i, eventSample) * kKmPerSample;
    record->DataPts.Traces[0].Samples[i] = static_cast<std::uint16_t>(std::lround(db * scaleFactor));
  }
  AddKeyEvent(*record, 0, "1F9999", {0, 0, 0, 10, 0});
  AddKeyEvent(*record, eventSample, "0F9999", {eventSample - 100, eventSample - 10, eventSample + 10,
                                               eventSample + 100, eventSample}).Slope = storedSlope;
  AddKeyEvent(*record, 9000, "1E9999", {8800, 8900, 9010, 9100, 9000});
  return record;
}

TEST(BuildEventTable, ShowsTheFittedFirstSectionInRow1AndKeepsTheFilesSlope) {
  struct Case {
    const char* name;
    double dbPerKm;
    std::int32_t eventSample;
    float attenuation;
    std::int16_t scaleFactor = 1000;
  };
  const Case cases[] = {
      {"fitted", 0.35, 1500, 0.35f},
      // The samples count in the file's own scale factor, as the display shows them.
      {"fitted, scale factor 5000", 0.35, 1500, 0.35f, 5000},
      // Beyond 5 km the analysis does not fit: the file's own slope is shown.
      {"long first section", 0.35, 3000, 0.5f},
      {"steep", 40.0, 250, 40.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto record = MakeSlopedRecord(c.dbPerKm, c.eventSample, 500, c.scaleFactor);
    auto model = NewModel();
    BuildTable(*record, *model);
    EXPECT_NEAR(model->m_EventRows[1].Attenuation, c.attenuation, 0.01);
    // A derived value never reaches the file: a plain save writes the slope the file had.
    EXPECT_EQ(record->KeyEvents.Events[1].Slope, 500);
  }
}

TEST(ConvertRowsForAnalysis, TurnsWindowsIntoIndicesInsideTheTrace) {
  struct Case {
    const char* name;
    std::int32_t points;
    std::int32_t spacing;
    std::array<std::int32_t, 5> locations;  // times of flight
    std::array<std::int32_t, 5> markers;
  };
  const Case cases[] = {
      {"inside", 1000, 1000000, {1000, 2000, 3000, 4000, 5000}, {10, 20, 30, 40, 50}},
      {"past the end", 1000, 1000000, {200000, 200000, 200000, 200000, 200000}, {799, 999, 999, 999, 999}},
      {"at the end", 1000, 1000000, {100000, 100000, 100000, 100000, 100000}, {999, 999, 999, 999, 999}},
      {"before the start", 1000, 1000000, {-500, -1, -100000, 0, -2147483647}, {0, 0, 0, 0, 0}},
      {"short trace", 100, 1000000, {20000, 20000, 20000, 20000, 20000}, {0, 99, 99, 99, 99}},
      {"spacing below one unit", 1000, 9999, {1000, 2000, 3000, 4000, 5000}, {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto record = MakeTraceRecord(c.points);
    record->FxdParams.DataSpacing[0] = c.spacing;
    SorKeyEvent& key = AddKeyEvent(*record, 10, "0F9999");
    for (int m = 0; m < 5; ++m) key.MarkerLocations[m] = c.locations[m];
    EventRow row{};
    row.Type = kEventNonReflective;
    row.Distance = 1.5f;
    row.Reflectance = -40.0f;
    row.SpliceLoss = 0.2f;
    row.Attenuation = 0.19f;
    row.CumulativeLoss = 0.7f;
    std::vector<AnalysisEvent> events(2);
    ConvertRowsForAnalysis(events, std::span<const EventRow>(&row, 1), 1, *record);
    for (int m = 0; m < 5; ++m) EXPECT_EQ(events[0].markers[m], c.markers[m]) << "marker " << m + 1;
    EXPECT_EQ(events[0].type, kEventNonReflective);
    EXPECT_FLOAT_EQ(events[0].position, 1.5f);
    EXPECT_FLOAT_EQ(events[0].reflectance, -40.0f);
    EXPECT_FLOAT_EQ(events[0].loss, 0.2f);
    EXPECT_FLOAT_EQ(events[0].attenuation, 0.19f);
    EXPECT_FLOAT_EQ(events[0].cumulativeLoss, 0.7f);
    EXPECT_EQ(events[1].markers[0], 0);  // rows past the count stay untouched
  }
}

TEST(ApplyStoredLossTotals, FillsLevelsFromTheStoredLaunchLevelFromVersion202) {
  struct Case { std::int32_t version; bool applied; };
  for (const Case& c : {Case{201, false}, Case{202, true}, Case{203, true}}) {
    SCOPED_TRACE(c.version);
    auto record = MakeTraceRecord(10);
    record->UserName.UserVer = c.version;
    record->UserName.StoredLaunchLevel = 12345;
    record->UserName.StoredLossCount = 77;
    std::array<EventRow, 4> rows{};
    rows[0].CumulativeLoss = kMissingValue;
    rows[1].CumulativeLoss = 0.5f;
    rows[2].CumulativeLoss = kMissingValue;
    rows[3].CumulativeLoss = 2.0f;  // past the count
    ApplyStoredLossTotals(*record, rows, 3);
    if (!c.applied) {
      EXPECT_EQ(record->UserName.StoredLossCount, 77);
      for (const EventRow& row : rows) EXPECT_EQ(row.Level, 0.0f);
      continue;
    }
    EXPECT_EQ(record->UserName.StoredLossCount, 3);
    EXPECT_FLOAT_EQ(rows[0].Level, -12.345f);
    EXPECT_FLOAT_EQ(rows[1].Level, -12.845f);
    EXPECT_EQ(rows[2].Level, kMissingValue);  // a missing loss leaves the level missing
    EXPECT_EQ(rows[3].Level, 0.0f);
  }
}

TEST(BuildEventTable, ChainsSectionLossesAndLevelsThroughMissingValues) {
  // Flat steps of 1.0, 1.5 and 2.25 dB: cumulative losses 0, 0.5 and 1.25 dB before events 1 to 3.
  auto record = MakeTraceRecord(4000);
  std::uint16_t* samples = record->DataPts.Traces[0].Samples.data();
  for (std::int32_t i = 0; i < 4000; ++i) samples[i] = i < 1000 ? 1000 : i < 2000 ? 1500 : 2250;
  record->UserName.UserVer = 203;
  record->UserName.StoredLaunchLevel = 3000;
  AddKeyEvent(*record, 0, "1F9999", {0, 0, 20, 900, 0});
  AddKeyEvent(*record, 1000, "0F9999", {500, 900, 1100, 1400, 1000}).SpliceLoss = 200;
  AddKeyEvent(*record, 2000, "0F9999", {1500, 1900, 2100, 2400, 2000}).SpliceLoss = 300;
  // A window with no line is none: the row follows from the one before, its loss and the flat trace.
  AddKeyEvent(*record, 2600, "0F9999", {2500, 2400, 2700, 2800, 2600}).SpliceLoss = 100;
  AddKeyEvent(*record, 3500, "1E9999", {3100, 3400, 3600, 3700, 3500});
  auto model = NewModel();
  BuildTable(*record, *model);
  ApplyStoredLossTotals(*record, model->m_EventRows, model->m_nEventCount);
  const auto& rows = model->m_EventRows;

  struct Expected { float cumulative; float section; float level; };
  const Expected expected[] = {
      {kMissingValue, 0.0f, -3.0f},
      {0.0f, 0.0f, -3.0f},
      {0.5f, 0.3f, -3.5f},  // 0.5 - 0 - 0.2
      {0.8f, 0.0f, -3.8f},    // 0.5 + 0.3 + nothing lost along the flat section
      {1.25f, 0.35f, -4.25f},  // 1.25 - 0.8 - 0.1
  };
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    for (auto [actual, wanted] : {std::pair{rows[i].CumulativeLoss, expected[i].cumulative},
                                  std::pair{rows[i].SectionLoss, expected[i].section},
                                  std::pair{rows[i].Level, expected[i].level}}) {
      if (wanted == kMissingValue) {
        EXPECT_EQ(actual, kMissingValue);
      } else {
        EXPECT_NEAR(actual, wanted, 1e-4);
      }
    }
  }
}

TEST(BuildEventTable, PlacesEventsOfAFileWithOffsetsOnTheirSamplesAndShowsThemFromTheUsersZero) {
  // Times count from the user's zero; the first sample lies `shift` samples before it. Each file
  // has a reflection on the sample its reflective event's time names, and every distance shown
  // counts from the zero, whatever the offsets.
  constexpr std::int32_t t = lumivane::test::kTimePerSample;
  struct Case {
    const char* name;
    std::int32_t userOffset, frontPanelOffset, acquisitionOffset;
    std::int32_t shift;  // samples from the first sample to the user's zero
  };
  const Case cases[] = {
      {"no offsets", 0, 0, 0, 0},
      {"user offset only", 300 * t, 0, 0, 300},
      {"front panel offset only", 0, 5 * t, 0, 5},
      {"acquisition offset only", 0, 0, -20 * t, 20},
      {"both agreeing", 300 * t, 20 * t, -20 * t, 320},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto record = MakeTraceRecord(10000);
    record->GenParams.UserOffset = c.userOffset;
    record->FxdParams.FrontPanelOffset = c.frontPanelOffset;
    record->FxdParams.AcquisitionOffset = c.acquisitionOffset;
    std::vector<std::uint16_t>& samples = record->DataPts.Traces[0].Samples;
    for (int k = -3; k <= 3; ++k) samples[static_cast<std::size_t>(c.shift + 3000 + k)] = 1000 + 300 * std::abs(k);
    AddKeyEvent(*record, 0, "1F9999", {0, 0, 20, 900, 0});
    AddKeyEvent(*record, 3000, "1F9999", {2000, 2900, 3100, 4000, 3010});
    AddKeyEvent(*record, 5000, "1E9999", {3100, 4900, 0, 0, 5010});
    record->KeyEvents.EndToEndMarker2 = 5000 * t;
    record->KeyEvents.EndToEndLoss = 1500;
    auto model = NewModel();
    BuildTable(*record, *model);
    const auto& rows = model->m_EventRows;
    EXPECT_EQ(rows[0].Type, kEventLaunch);
    EXPECT_EQ(rows[0].Distance, 0.0f);
    EXPECT_NEAR(rows[1].Distance, 3000 * kKmPerSample, 1e-5);
    EXPECT_NEAR(rows[1].SectionLength, 3000 * kKmPerSample, 1e-5);
    EXPECT_NEAR(rows[0].DistanceToEnd, 5000 * kKmPerSample, 1e-5);
    // The end-to-end markers run from the zero here, so the link is as long as the End row says.
    EXPECT_NEAR(model->m_LinkSummary.LinkLength, rows[2].Distance, 1e-6);

    // The reflective event's time names the reflection's peak.
    const std::int32_t peak = TimeToIndex(record->KeyEvents.Events[1].TimeOfFlight, *record);
    EXPECT_EQ(peak, c.shift + 3000);
    EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), samples[static_cast<std::size_t>(peak)]);
    EXPECT_NEAR(GetDistance_Position(peak, kSorFileKind, *record, model->m_dFibreLengthKm), rows[1].Distance, 1e-5);

    // The analysis reads its windows on the samples, counted from the first sample.
    std::vector<AnalysisEvent> events(3);
    ConvertRowsForAnalysis(events, rows, 3, *record);
    EXPECT_EQ(events[1].markers[0], c.shift + 2000);
    EXPECT_EQ(events[1].markers[4], c.shift + 3010);
    EXPECT_EQ(events[0].markers[3], c.shift + 900);
    EXPECT_NEAR(events[1].position, (c.shift + 3000) * kKmPerSample, 1e-5);
  }
}

TEST(BuildEventTable, ALaunchOnTheFirstSampleIsTheLaunch) {
  // A reanalysis stores the launch on the first sample, before the user's zero.
  auto onFirstSample = MakeTraceRecord(100);
  onFirstSample->GenParams.UserOffset = 300;
  AddKeyEvent(*onFirstSample, -3, "1F9999");
  auto launchModel = NewModel();
  BuildTable(*onFirstSample, *launchModel);
  EXPECT_EQ(launchModel->m_EventRows[0].Type, kEventLaunch);
  EXPECT_NEAR(launchModel->m_EventRows[0].Distance, -3 * kKmPerSample, 1e-6);
}

TEST(BuildEventTable, WithoutAnEndEventDistancesToEndRunToTheLastSample) {
  auto record = MakeTraceRecord(1001);
  record->GenParams.UserOffset = 100 * lumivane::test::kTimePerSample;
  AddKeyEvent(*record, 0, "1F9999");
  AddKeyEvent(*record, 400, "0F9999");
  auto model = NewModel();
  BuildTable(*record, *model);
  // The last sample lies 900 samples after the zero.
  EXPECT_NEAR(model->m_EventRows[0].DistanceToEnd, 900 * kKmPerSample, 1e-5);
  EXPECT_NEAR(model->m_EventRows[1].DistanceToEnd, 500 * kKmPerSample, 1e-5);
}

TEST(BuildEventTable, EventsWithoutStoredWindowsOrSlopesTakeTheirSectionsFromTheTrace) {
  // Files that store neither windows nor slopes: the stored losses add up (the launch's among them)
  // and the trace gives each section's loss, none on this flat trace; a section loss is never the
  // previous splice loss negated.
  auto record = MakeTraceRecord(4000);
  AddKeyEvent(*record, 0, "1F9999").SpliceLoss = 168;
  AddKeyEvent(*record, 1000, "1F9999").SpliceLoss = 791;
  AddKeyEvent(*record, 2000, "0F9999").SpliceLoss = 45;
  AddKeyEvent(*record, 3000, "1E9999");
  auto model = NewModel();
  BuildTable(*record, *model);
  const float cumulative[] = {0.168f, 0.959f, 1.004f};
  for (int i = 1; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(model->m_EventRows[i].CumulativeLoss, cumulative[i - 1], 1e-5);
    EXPECT_NEAR(model->m_EventRows[i].SectionLoss, 0.0f, 1e-5);
  }
}

// Only an event at the user's zero is the launch: a file whose first stored event is a connector
// 1 km in (no Start row) shows that row with the section from the zero before it, its loss and its
// cumulative loss, as every later row.
TEST(BuildEventTable, AFirstEventBehindTheUsersZeroEndsTheFirstSection) {
  auto record = MakeTraceRecord(4000);
  SorKeyEvent& connector = AddKeyEvent(*record, 1000, "1F9999");
  connector.SpliceLoss = 434;
  connector.Slope = 300;
  AddKeyEvent(*record, 3000, "1E9999").Slope = 300;
  auto model = NewModel();
  BuildTable(*record, *model);
  const EventRow& first = model->m_EventRows[0];
  const double km = 1000 * kKmPerSample;
  EXPECT_EQ(first.Type, kEventReflective);
  EXPECT_NEAR(first.SectionLength, km, 1e-5);
  EXPECT_NEAR(first.CumulativeLoss, 0.3 * km, 1e-5);
  EXPECT_NEAR(first.SectionLoss, 0.3 * km, 1e-5);
  EXPECT_NEAR(model->m_EventRows[1].CumulativeLoss, 0.3 * km + 0.434 + 0.3 * 2 * km, 1e-5);
}

}  // namespace
