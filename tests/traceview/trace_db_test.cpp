#include "traceview/trace_db.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "recording_message_sink.h"
#include "sor/sor_record.h"

namespace {

struct DbCase {
  const char* name;
  std::vector<std::uint16_t> samples;
  std::int16_t scale;
  std::uint16_t noiseFloor;
  double min;
  double max;
};

TEST(ConvertSamplesToDb, ValuesRangeAndNoiseFloorCeiling) {
  const DbCase cases[] = {
      {"sample / scale factor", {12345, 1000}, 1000, 65000, 0.0, 12.345},
      {"a lower noise-floor maximum is raised", {15200, 3000}, 1000, 20000, 0.0, 20.0},
      {"just below the floor is raised too", {19999}, 1000, 20000, 0.0, 20.0},
      {"a floor of 65,000 or more is no floor", {15200}, 1000, 65535, 0.0, 15.2},
      {"both bounds start at 0 dB", {5000, 7000}, 1000, 65000, 0.0, 7.0},
      {"negative levels lower the minimum only", {60000}, -1000, 65000, -60.0, 0.0},
      {"a zero scale factor reads as 1000", {2500}, 0, 65000, 0.0, 2.5},
  };
  for (const DbCase& c : cases) {
    std::vector<double> db(c.samples.size(), -1.0);
    const TraceDbRange r = ConvertSamplesToDb(c.samples, c.scale, c.noiseFloor, db);
    EXPECT_DOUBLE_EQ(r.minDb, c.min) << c.name;
    EXPECT_DOUBLE_EQ(r.maxDb, c.max) << c.name;
    EXPECT_DOUBLE_EQ(r.spanDb, c.max - c.min) << c.name;
    const double f = c.scale == 0 ? 1000.0 : c.scale;
    for (std::size_t i = 0; i < db.size(); ++i) EXPECT_DOUBLE_EQ(db[i], c.samples[i] / f) << c.name;
  }
}

TEST(ConvertTraceToDb, ReadsTheFirstTraceOfTheRecord) {
  auto record = std::make_unique<SorRecord>();
  record->DataPts.Traces[0].PointCount = 3;
  record->DataPts.Traces[0].ScaleFactor = 1000;
  record->DataPts.Traces[0].Samples = {1000, 4000, 9000};  // the third lies beyond n = 2: not read
  record->FxdParams.NoiseFloorLevel = 65000;
  std::vector<double> db(80000, 0.0);
  double range = 0, min = 0, max = 0, span = 0;
  EXPECT_EQ(ConvertTraceToDb(0, *record, 12.5, 2, db, range, min, max, span), 1);
  EXPECT_EQ(range, 12.5);
  EXPECT_DOUBLE_EQ(db[1], 4.0);
  EXPECT_EQ(db[2], 0.0);
  EXPECT_DOUBLE_EQ(max, 4.0);
  EXPECT_DOUBLE_EQ(span, 4.0);

  // A point count beyond the record's capacity reads no further than the record.
  EXPECT_EQ(ConvertTraceToDb(0, *record, 12.5, 1'000'000, db, range, min, max, span), 1);
  EXPECT_DOUBLE_EQ(max, 9.0);
}

TEST(GetDistanceFromRecords, ScalesByPointCountAndRefusesOtherKinds) {
  auto record = std::make_unique<SorRecord>();
  record->DataPts.Traces[0].PointCount = 1001;
  EXPECT_FLOAT_EQ(GetDistanceFromRecords(0, *record, 10.0, 500), 5.0f);
  // Printed distances count from the user's zero, here 1.0 km (48,967 time units) after sample 0.
  record->FxdParams.GroupIndex = 146800;
  record->GenParams.UserOffset = 48967;
  EXPECT_NEAR(GetDistanceFromRecords(0, *record, 10.0, 500), 4.0f, 1e-5);
  EXPECT_NEAR(GetDistanceFromRecords(0, *record, 10.0, 0), -1.0f, 1e-5);

  record->DataPts.Traces[0].PointCount = 1;
  EXPECT_EQ(GetDistanceFromRecords(0, *record, 10.0, 0), 0.0f) << "one point has no spacing";

  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scope(sink);
  EXPECT_EQ(GetDistanceFromRecords(1, *record, 10.0, 5), 0.0f);
  EXPECT_EQ(sink.MessageTexts(), std::vector<std::string>{"GetDistance_Position"});
}

}  // namespace
