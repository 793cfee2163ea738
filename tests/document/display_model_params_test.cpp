#include "document/display_model_params.h"

#include <gtest/gtest.h>

#include <cmath>

#include "display_model_fixture.h"
#include "trace/backscatter_field.h"
#include "trace/trace_conversions.h"

namespace {

using lumivane::test::AddKeyEvent;
using lumivane::test::kKmPerSample;
using lumivane::test::kKmPerTime;
using lumivane::test::MakeTraceRecord;

// Writing the figure read from a field gives the field back in either convention; figures beyond
// the field saturate instead of wrapping into a coefficient of the opposite sign.
TEST(BackscatterField, WritesTheFiguresItReads) {
  struct Case {
    double microsecondDb;
    std::int32_t mode;
    std::int16_t field;
  };
  const Case cases[] = {
      {50.0, 0, 800},         {50.0, kBackscatterModeMicrosecond, 500}, {49.6, 0, 796},
      {49.25, 0, 793},        {80.0, kBackscatterModeMicrosecond, 800}, {5000.0, 0, 32767},
      {-5000.0, kBackscatterModeMicrosecond, -32768},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BackscatterFieldOf(c.microsecondDb, c.mode), c.field) << c.microsecondDb << " mode " << c.mode;
  }
  for (const std::int32_t mode : {0, 1, kBackscatterModeMicrosecond}) {
    for (const std::int16_t field : {std::int16_t{0}, std::int16_t{496}, std::int16_t{821}, std::int16_t{1100}}) {
      EXPECT_EQ(BackscatterFieldOf(BackscatterMicrosecondDb(field, mode), mode), field) << field << " mode " << mode;
    }
  }
}

TEST(BuildFibreParams, ConvertsTheFixedParameters) {
  struct Case {
    std::int16_t wavelengthField;
    std::int16_t backscatterField;
    std::int32_t backscatterMode;
    std::int32_t wavelength;
    float backscatter;
  };
  const Case cases[] = {
      {15500, 800, 0, 1550, -50.0f}, {1550, 800, 100, 1550, -80.0f}, {13105, 815, 1, 1311, -51.5f},
      {8500, 800, 0, 850, -50.0f},   {850, 800, 0, 850, -50.0f},     {1625, 800, 0, 1625, -50.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wavelengthField);
    auto record = MakeTraceRecord(1000);
    SorFxdParams& fxd = record->FxdParams;
    fxd.ActualWavelength = c.wavelengthField;
    fxd.Backscatter = c.backscatterField;
    record->UserName.BackscatterMode = c.backscatterMode;
    fxd.PulseWidths[0] = 275;
    fxd.PulseWidths[1] = 1000;
    fxd.AveragingTime = 305;
    fxd.EndOfFibreThreshold = 3000;
    fxd.LossThreshold = 50;
    fxd.ReflectanceThreshold = 40000;
    FibreParamsRecord params{};
    BuildFibreParams(kSorFileKind, *record, params, 40.0);
    EXPECT_FLOAT_EQ(params.Range, 40.0f);
    EXPECT_EQ(params.PulseWidth, 275);
    EXPECT_EQ(params.Wavelength, c.wavelength);
    EXPECT_FLOAT_EQ(params.GroupIndex, 1.468f);
    EXPECT_FLOAT_EQ(params.Backscatter, c.backscatter);
    EXPECT_EQ(params.AveragingTime, 30);
    EXPECT_FLOAT_EQ(params.EndThreshold, 3.0f);
    EXPECT_FLOAT_EQ(params.LossThreshold, 0.05f);
    EXPECT_FLOAT_EQ(params.ReflectanceThreshold, 40.0f);
  }
}

TEST(BuildFibreParams, OnlyAnAveragingTimeOfZeroIsUnlimited) {
  // Whole seconds, truncated; a positive time below one second is one second, never 0 ("Unlimited").
  struct Case { std::int16_t field; std::int32_t seconds; };
  for (const Case& c : {Case{0, 0}, Case{7, 1}, Case{1, 1}, Case{10, 1}, Case{150, 15}, Case{305, 30}, Case{-20, -2}}) {
    auto record = MakeTraceRecord(10);
    record->FxdParams.AveragingTime = c.field;
    FibreParamsRecord params{};
    BuildFibreParams(kSorFileKind, *record, params, 0.0);
    EXPECT_EQ(params.AveragingTime, c.seconds) << c.field;
  }
}

/// A 10,000-sample trace with a launch at 0 and an end event at sample 5000 (10.21 km).
std::unique_ptr<SorRecord> MakeLinkRecord() {
  auto record = MakeTraceRecord(10000);
  AddKeyEvent(*record, 0, "1F9999");
  AddKeyEvent(*record, 2000, "0F9999");
  AddKeyEvent(*record, 5000, "1E9999");
  SorKeyEvents& events = record->KeyEvents;
  events.EndToEndMarker1 = 0;
  events.EndToEndMarker2 = 5000 * lumivane::test::kTimePerSample;
  events.EndToEndLoss = 6500;
  events.OpticalReturnLoss = 32000;
  return record;
}

TEST(BuildLinkSummary, SummarisesTheLinkUpToTheEndEvent) {
  auto record = MakeLinkRecord();
  const double fibreLength = FibreLengthKm(10000, record->FxdParams.GroupIndex, record->FxdParams.DataSpacing[0]);
  EXPECT_NEAR(fibreLength, 9999 * kKmPerSample, 1e-9);

  struct Case { std::int32_t correction; double factor; };
  const Case cases[] = {{0, 1.0}, {35, 1.0 - 35 / 100000.0}, {-35, 1.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.correction);
    LinkSummaryRecord link{};
    BuildLinkSummary(kSorFileKind, *record, link, 10000, fibreLength, c.correction);
    const double length = 500000 * kKmPerTime * c.factor;
    EXPECT_NEAR(link.LinkLength, length, 1e-5);
    EXPECT_FLOAT_EQ(link.LinkLoss, 6.5f);
    EXPECT_FLOAT_EQ(link.LinkOrl, 32.0f);
    EXPECT_NEAR(link.LossPerKm, 6.5 / length, 1e-5);
    EXPECT_NEAR(link.TraceLength, fibreLength, 1e-5);
  }
}

TEST(BuildLinkSummary, ShowsTheFilesLinkWhenTheFirstEventIsNotAtTheUsersZero) {
  auto record = MakeLinkRecord();
  record->KeyEvents.Events[0].TimeOfFlight = 100;
  LinkSummaryRecord link{};
  BuildLinkSummary(kSorFileKind, *record, link, 10000, 9999 * kKmPerSample, 0);
  EXPECT_NEAR(link.LinkLength, 500000 * kKmPerTime, 1e-5);
  EXPECT_FLOAT_EQ(link.LinkLoss, 6.5f);
  EXPECT_FLOAT_EQ(link.LinkOrl, 32.0f);
  // Without a stored launch, an end alone is the link from the zero.
  record->KeyEvents.Events.erase(record->KeyEvents.Events.begin(), record->KeyEvents.Events.begin() + 2);
  record->KeyEvents.KeyEventCount = 1;
  link = LinkSummaryRecord{};
  BuildLinkSummary(kSorFileKind, *record, link, 10000, 9999 * kKmPerSample, 0);
  EXPECT_NEAR(link.LinkLength, 500000 * kKmPerTime, 1e-5);
}

// Instruments store 0 for a link loss or ORL they did not measure; no link has either.
TEST(BuildLinkSummary, ALossOrOrlStoredAsZeroIsMissing) {
  auto record = MakeLinkRecord();
  record->KeyEvents.EndToEndLoss = 0;
  record->KeyEvents.OpticalReturnLoss = 0;
  LinkSummaryRecord link{};
  BuildLinkSummary(kSorFileKind, *record, link, 10000, 9999 * kKmPerSample, 0);
  EXPECT_NEAR(link.LinkLength, 500000 * kKmPerTime, 1e-5);
  EXPECT_EQ(link.LinkLoss, kMissingValue);
  EXPECT_EQ(link.LossPerKm, kMissingValue);
  EXPECT_EQ(link.LinkOrl, kMissingValue);
}

TEST(BuildLinkSummary, FallsBackToTheTraceLengthWithoutAUsableLink) {
  struct Case {
    const char* name;
    void (*damage)(SorRecord&);
  };
  const Case cases[] = {
      {"no end event", [](SorRecord& r) { r.KeyEvents.Events[2].EventCode[1] = u'F'; }},
      {"one event", [](SorRecord& r) { r.KeyEvents.KeyEventCount = 1; }},
      {"link of length 0", [](SorRecord& r) { r.KeyEvents.EndToEndMarker2 = 0; }},
      {"link past the trace", [](SorRecord& r) { r.KeyEvents.EndToEndMarker2 = 10000 * 100; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto record = MakeLinkRecord();
    c.damage(*record);
    LinkSummaryRecord link{1, 2, 3, 4, 5};
    BuildLinkSummary(kSorFileKind, *record, link, 10000, 9999 * kKmPerSample, 0);
    EXPECT_EQ(link.LinkLength, 0.0f);
    EXPECT_EQ(link.LinkLoss, 0.0f);
    EXPECT_EQ(link.LinkOrl, 0.0f);
    EXPECT_EQ(link.LossPerKm, 0.0f);
    EXPECT_NEAR(link.TraceLength, 9999 * kKmPerSample, 1e-5);
  }
}

TEST(BuildLinkSummary, StaysFiniteOnDamagedMarkersAndCorrections) {
  struct Case {
    const char* name;
    std::int32_t marker1;
    std::int32_t marker2;
    std::int32_t correction;
  };
  const Case cases[] = {
      {"negative link", 500000, 0, 0},
      {"overflowing difference", 2147483647, -2147483647, 0},
      {"correction of the whole length", 0, 500000, 100000},
      {"correction beyond the length", 0, 500000, 2000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto record = MakeLinkRecord();
    record->KeyEvents.EndToEndMarker1 = c.marker1;
    record->KeyEvents.EndToEndMarker2 = c.marker2;
    LinkSummaryRecord link{};
    BuildLinkSummary(kSorFileKind, *record, link, 10000, 9999 * kKmPerSample, c.correction);
    for (float value : {link.TraceLength, link.LinkLength, link.LinkLoss, link.LinkOrl, link.LossPerKm}) {
      EXPECT_TRUE(std::isfinite(value));
    }
  }
}

TEST(FibreLengthKm, IsTheDistanceOfTheLastSampleAndZeroWithoutExtent) {
  struct Case { std::int32_t points; std::int32_t groupIndex; std::int32_t spacing; double km; };
  const Case cases[] = {
      {10000, lumivane::test::kGroupIndexField, lumivane::test::kDataSpacing, 9999 * kKmPerSample},
      {1, lumivane::test::kGroupIndexField, lumivane::test::kDataSpacing, 0.0},
      {0, lumivane::test::kGroupIndexField, lumivane::test::kDataSpacing, 0.0},
      {-7, lumivane::test::kGroupIndexField, lumivane::test::kDataSpacing, 0.0},
      {10000, 0, lumivane::test::kDataSpacing, 0.0},
      {10000, lumivane::test::kGroupIndexField, 0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.points);
    EXPECT_NEAR(FibreLengthKm(c.points, c.groupIndex, c.spacing), c.km, 1e-9);
  }
}

}  // namespace
