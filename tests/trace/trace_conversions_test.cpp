#include "trace/trace_conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "recording_message_sink.h"
#include "sor/sor_record.h"
#include "sor/sor_text.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FirstDecimalRound, RoundsHalfUpOnTheFirstDecimalAndTruncatesNegatives) {
  struct Case { double quotient; std::int32_t expected; };
  const Case cases[] = {
      {4.5, 5}, {4.49, 4}, {2.7, 3}, {2.5, 3}, {2.0, 2}, {0.0, 0},
      {-2.7, -2}, {-0.5, 0}, {-4.5, -4},
      // Beyond 2.1e8 the tenths no longer fit 32 bits.
      {300000000.5, 300000000},
      // Degenerate quotients must never become an index.
      {kNaN, 0}, {kInf, 0}, {-kInf, 0}, {3e9, 0}, {-3e9, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.quotient);
    EXPECT_EQ(FirstDecimalRound(c.quotient), c.expected);
  }
}

TEST(StoredSampleDb, ReadsTheStoredSampleAndZeroWhereNoneIsStored) {
  auto record = std::make_unique<SorRecord>();
  SorTraceData& trace = record->DataPts.Traces[0];
  trace.ScaleFactor = 1000;
  trace.Samples = {1500, 2250, 3000};
  struct Case { int index; double db; };
  for (const Case& c : {Case{0, 1.5}, Case{2, 3.0}, Case{3, 0.0}, Case{-1, 0.0}, Case{80000, 0.0}}) {
    EXPECT_DOUBLE_EQ(StoredSampleDb(*record, c.index), c.db) << c.index;
  }
}

TEST(RoundHalfUp, RoundsHalvesTowardPlusInfinityInFloatSteps) {
  EXPECT_FLOAT_EQ(RoundHalfUp(2.345f, 2), 2.35f);
  EXPECT_FLOAT_EQ(RoundHalfUp(-2.5f, 0), -2.0f);
  EXPECT_FLOAT_EQ(RoundHalfUp(2.5f, 0), 3.0f);
  EXPECT_FLOAT_EQ(RoundHalfUp(1.04f, 1), 1.0f);
  EXPECT_FLOAT_EQ(RoundHalfUp(-1.26f, 1), -1.3f);
}

TEST(ToThousandths, RoundsHalfAwayFromZeroOnTheFourthDecimal) {
  struct Case { float value; std::int32_t expected; };
  const Case cases[] = {
      {1.2345f, 1235}, {-1.2345f, -1235}, {0.0004f, 0}, {0.0005f, 1}, {-0.0005f, -1}, {2.0f, 2000},
      // The float's exact value decides: 0.0025f is slightly below 0.0025, 1.0005f below 1.0005.
      {0.0025f, 2}, {1.0005f, 1000},
      {std::numeric_limits<float>::quiet_NaN(), 0}, {std::numeric_limits<float>::infinity(), 0},
      {1e30f, std::numeric_limits<std::int32_t>::max()}, {-1e30f, std::numeric_limits<std::int32_t>::min()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ToThousandths(c.value), c.expected);
  }
}

TEST(IndexOfDistance, RoundsOnTheFirstDecimalAndClampsToTheTrace) {
  // 11 points over 10 km: one sample per km, 11 samples in use.
  struct Case { float distance; std::int32_t expected; };
  const Case cases[] = {
      {4.5f, 5}, {4.49f, 4}, {0.0f, 0}, {10.0f, 10}, {12.0f, 10}, {-3.0f, 0}, {1e30f, 10},
      {std::numeric_limits<float>::infinity(), 10}, {std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.distance);
    EXPECT_EQ(IndexOfDistance(c.distance, 11, 10.0, 11), c.expected);
  }
}

TEST(IndexOfDistance, DegenerateTracesGiveSampleZero) {
  EXPECT_EQ(IndexOfDistance(5.0f, 11, 0.0, 11), 0);     // no fibre length
  EXPECT_EQ(IndexOfDistance(5.0f, 11, 10.0, 0), 0);     // no samples: never -1
  EXPECT_EQ(IndexOfDistance(5.0f, 0, 10.0, 11), 0);     // no data points in the record
  EXPECT_EQ(IndexOfDistance(5.0f, 11, kNaN, 11), 0);
}

TEST(DistanceOfIndex, SpansTheFibreLengthAndGuardsShortTraces) {
  EXPECT_FLOAT_EQ(DistanceOfIndex(0, 10001, 25.0), 0.0f);
  EXPECT_FLOAT_EQ(DistanceOfIndex(10000, 10001, 25.0), 25.0f);
  EXPECT_FLOAT_EQ(DistanceOfIndex(4000, 10001, 25.0), 10.0f);
  EXPECT_FLOAT_EQ(DistanceOfIndex(7, 1, 25.0), 0.0f);  // one point: no spacing
  EXPECT_FLOAT_EQ(DistanceOfIndex(7, 0, 25.0), 0.0f);
  EXPECT_FLOAT_EQ(DistanceOfIndex(7, 11, kInf), 0.0f);
}

TEST(Conversions, IndexAndDistanceRoundTrip) {
  constexpr std::int32_t kPoints = 16001;
  constexpr double kLength = 40.8;
  for (std::int32_t index = 0; index < kPoints; index += 37) {
    SCOPED_TRACE(index);
    EXPECT_EQ(IndexOfDistance(DistanceOfIndex(index, kPoints, kLength), kPoints, kLength, kPoints), index);
  }
}

TEST(Conversions, DistanceAndTimeOfFlightRoundTrip) {
  constexpr std::int32_t kGroupIndex = 146800;
  for (std::int32_t time = 0; time < 2000000; time += 12347) {
    SCOPED_TRACE(time);
    EXPECT_EQ(TimeOfDistance(DistanceOfTime(time, kGroupIndex), kGroupIndex), time);
  }
}

TEST(Conversions, TimeOfDistanceMatchesTheWorkedExample) {
  EXPECT_EQ(TimeOfDistance(1.0f, 146800), 48967);  // 48,967.21
  EXPECT_NEAR(DistanceOfTime(48967, 146800), 1.0f, 1e-4f);
}

TEST(Conversions, TimeOfFlightToIndexRoundsAndTruncatesNegatives) {
  // A data spacing of 100,000 is one unit of time per 0.1 sample: time 27 is 2.7 samples.
  EXPECT_EQ(IndexOfTime(27, 100000), 3);
  EXPECT_EQ(IndexOfTime(-27, 100000), -2);
  EXPECT_EQ(IndexOfTime(24, 100000), 2);
  // Not clamped: an index past the trace is the caller's to bound.
  EXPECT_EQ(IndexOfTime(1000000, 10000), 1000000);
}

TEST(Conversions, ZeroSpacingOrGroupIndexGivesZero) {
  EXPECT_EQ(IndexOfTime(5000, 0), 0);
  EXPECT_EQ(IndexOfTime(std::numeric_limits<std::int32_t>::max(), 1), 0);  // beyond any index
  EXPECT_FLOAT_EQ(DistanceOfTime(5000, 0), 0.0f);
  EXPECT_EQ(TimeOfDistance(1.0f, 0), 0);
  EXPECT_EQ(TimeOfDistance(std::numeric_limits<float>::infinity(), 146800), 0);
}

TEST(FormatFixed, GivesFixedDecimalsWithoutPaddingBlanks) {
  struct Case { double value; const char* three; const char* five; };
  const Case cases[] = {
      {3.14159, "3.142", "3.14159"},
      {123.4567, "123.457", "123.45670"},
      {-0.0004, "0.000", "-0.00040"},  // no negative zero
      {2.5, "2.500", "2.50000"},
      {0.0625, "0.063", "0.06250"},  // exact ties round away from zero
      {-12345.678, "-12345.678", "-12345.67800"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(FormatFixed3(c.value), c.three);
    EXPECT_EQ(FormatFixed5(c.value), c.five);
  }
}

class RecordConversions : public ::testing::Test {
 protected:
  void SetUp() override {
    record_->DataPts.TraceCount = 1;
    record_->DataPts.Traces[0].PointCount = 10001;
    record_->FxdParams.DataSpacing[0] = 100000;
    record_->FxdParams.GroupIndex = 146800;
  }
  std::unique_ptr<SorRecord> record_ = std::make_unique<SorRecord>();
  lumivane::test::RecordingMessageSink sink_;
  lumivane::ScopedMessageSink scoped_{sink_};
};

TEST_F(RecordConversions, ReadTheFirstTracesFields) {
  EXPECT_FLOAT_EQ(GetDistance_Position(10000, kSorFileKind, *record_, 25.0), 25.0f);
  EXPECT_FLOAT_EQ(GetDistance_Position(0, kSorFileKind, *record_, 25.0), 0.0f);
  EXPECT_EQ(TimeToIndex(27, *record_), 3);
  EXPECT_NEAR(TimeToDistance(48967, *record_), 1.0f, 1e-4f);
  EXPECT_TRUE(sink_.messages().empty());
}

TEST_F(RecordConversions, OtherFileKindsAreRefusedWithTheirMessage) {
  EXPECT_FLOAT_EQ(GetDistance_Position(5000, 1, *record_, 25.0), 0.0f);
  ASSERT_EQ(sink_.MessageTexts().size(), 1u);
  EXPECT_EQ(sink_.MessageTexts()[0], "GetDistance_Position");
}

TEST_F(RecordConversions, AClearedRecordConvertsToZero) {
  *record_ = SorRecord{};
  EXPECT_FLOAT_EQ(GetDistance_Position(5000, kSorFileKind, *record_, 25.0), 0.0f);
  EXPECT_EQ(TimeToIndex(5000, *record_), 0);
  EXPECT_FLOAT_EQ(TimeToDistance(5000, *record_), 0.0f);
}

TEST_F(RecordConversions, DistancesCountFromTheUsersZeroWhereverTheFirstSampleLies) {
  // 10 time units per sample. The user's zero lies the user offset after the front panel; the first
  // sample lies the front panel offset before it, or minus the acquisition offset when that is 0.
  struct Case {
    const char* name;
    std::int32_t userOffset, frontPanelOffset, acquisitionOffset;
    std::int32_t shift;  // time from the first sample to the user's zero
    std::int32_t index;  // of file time 270
  };
  const Case cases[] = {
      {"no offsets", 0, 0, 0, 0, 27},
      {"user offset only", 7475, 0, 0, 7475, 775},
      {"front panel offset only", 0, 500, 0, 500, 77},
      {"acquisition offset only", 0, 0, -370, 370, 64},
      {"both agreeing", 7422, 300, -300, 7722, 799},
      {"front panel offset wins", 0, 300, 500, 300, 57},
      {"zero before the front panel", -500, 0, 0, -500, -23},
  };
  const std::int32_t group = record_->FxdParams.GroupIndex;
  const double length = DistanceOfTime(100000, group);  // 10,000 sample spacings
  const float sampleKm = DistanceOfTime(10, group);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    record_->GenParams.UserOffset = c.userOffset;
    record_->FxdParams.FrontPanelOffset = c.frontPanelOffset;
    record_->FxdParams.AcquisitionOffset = c.acquisitionOffset;
    EXPECT_EQ(UserZeroShift(*record_), c.shift);
    EXPECT_EQ(TimeToIndex(270, *record_), c.index);
    // A time of the file is a distance from the user's zero, whatever the offsets.
    EXPECT_FLOAT_EQ(TimeToDistance(270, *record_), DistanceOfTime(270, group));
    EXPECT_NEAR(UserZeroDistanceKm(*record_), DistanceOfTime(c.shift, group), 1e-9);
    // The first sample lies the origin before the zero: negative when the zero is behind it.
    EXPECT_NEAR(GetDistance_Position(0, kSorFileKind, *record_, length), -UserZeroDistanceKm(*record_), 1e-6);
    // The index of a time and the distance of that index agree within a sample, both ways.
    const std::int32_t index = TimeToIndex(27000, *record_);
    EXPECT_NEAR(GetDistance_Position(index, kSorFileKind, *record_, length), TimeToDistance(27000, *record_), sampleKm);
    EXPECT_NEAR(IndexOfShownDistance(TimeToDistance(27000, *record_), *record_, length, 10001), index, 1);
    EXPECT_NEAR(DistanceFromUserZero(DistanceFromFirstSample(1.25, *record_), *record_), 1.25, 1e-6);
    // Saving takes the origin off again, so a time read back is the time stored.
    EXPECT_EQ(DistanceToFileTime(TimeToDistance(48967, *record_), *record_), 48967);
  }
}

TEST_F(RecordConversions, OffsetsAtTheFieldsExtremesSaturateTheShift) {
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  struct Case {
    std::int32_t userOffset, frontPanelOffset, acquisitionOffset;
    std::int32_t shift;
    std::int32_t fromFirstSample;  // of file time 5
  };
  const Case cases[] = {
      {lo, 0, 0, lo, lo + 5},
      {hi, 0, 0, hi, hi},
      {0, 0, lo, hi, hi},  // minus the lowest acquisition offset
      {0, 0, hi, -hi, -hi + 5},
      {hi, 0, lo, hi, hi},
      {lo, 0, hi, lo, lo + 5},
      {lo, lo, 0, lo, lo + 5},
      {hi, hi, lo, hi, hi},
      {lo, hi, hi, -1, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.userOffset << ", " << c.frontPanelOffset << ", " << c.acquisitionOffset);
    record_->GenParams.UserOffset = c.userOffset;
    record_->FxdParams.FrontPanelOffset = c.frontPanelOffset;
    record_->FxdParams.AcquisitionOffset = c.acquisitionOffset;
    EXPECT_EQ(UserZeroShift(*record_), c.shift);
    EXPECT_EQ(TimeFromFirstSample(5, *record_), c.fromFirstSample);
    EXPECT_TRUE(std::isfinite(UserZeroDistanceKm(*record_)));
    EXPECT_TRUE(std::isfinite(GetDistance_Position(10000, kSorFileKind, *record_, 25.0)));
    const std::int32_t index = IndexOfShownDistance(0.0f, *record_, 25.0, 10001);
    EXPECT_TRUE(index >= 0 && index <= 10000);
  }
}

TEST_F(RecordConversions, AUserOffsetThatPutsTheZeroOffTheTraceLeavesDistancesCountingFromTheFirstSample) {
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  // 10 time units per sample: the samples span times 0 to 100,000, about 2.04 km. User offset
  // distances count 0.1 m.
  record_->DataPts.Traces[0].Samples.resize(10001);
  SetSorText(record_->FxdParams.DistanceUnits, std::string_view("mt"));
  struct Case {
    const char* name;
    std::int32_t userOffset, userOffsetDistance, frontPanelOffset, acquisitionOffset;
    bool onTrace;
    std::int32_t shift;
  };
  const Case cases[] = {
      {"at the first sample", 0, 0, 0, 0, true, 0},
      {"inside", 7475, 1530, 0, 0, true, 7475},
      {"at the last sample", 100000, 0, 0, 0, true, 100000},
      {"a unit past the last sample", 100001, 0, 0, 0, false, 0},
      {"the lowest offset", lo, 0, 0, 0, false, 0},
      {"the highest offset", hi, 0, 0, 0, false, 0},
      {"before the first sample at the front panel", -500, 0, 0, 0, false, 0},
      {"between the front panel and a later first sample", 200, 0, 0, 500, true, -300},
      {"before a front panel ahead of the first sample", -200, 0, 0, 500, false, 0},
      {"past the front panel offset", 300, 0, 500, 0, true, 800},
      {"a distance past the trace's end", 0, 30000, 0, 0, false, 0},
      {"a distance before the trace", 0, -10, 0, 0, false, 0},
      {"the lowest distance", 0, lo, 0, 0, false, 0},
      {"a distance beside an offset that places the zero", 7475, 30000, 0, 0, true, 7475},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    record_->GenParams.UserOffset = c.userOffset;
    record_->GenParams.UserOffsetDistance = c.userOffsetDistance;
    record_->FxdParams.FrontPanelOffset = c.frontPanelOffset;
    record_->FxdParams.AcquisitionOffset = c.acquisitionOffset;
    EXPECT_EQ(UserZeroOnTrace(*record_), c.onTrace);
    EXPECT_EQ(UserZeroShift(*record_), c.shift);
    EXPECT_NEAR(GetDistance_Position(0, kSorFileKind, *record_, 2.0), -DistanceOfTime(c.shift, 146800), 1e-6);
  }
}

TEST_F(RecordConversions, WithoutOffsetsShownDistancesAreTheSampleDistancesToTheBit) {
  const double length = 25.0;
  for (std::int32_t index : {0, 1, 3333, 9999, 10000}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(GetDistance_Position(index, kSorFileKind, *record_, length), DistanceOfIndex(index, 10001, length));
  }
  for (float km : {0.0f, 0.1234567f, 24.99999f}) {
    EXPECT_EQ(IndexOfShownDistance(km, *record_, length, 10001), IndexOfDistance(km, 10001, length, 10001));
    EXPECT_EQ(DistanceFromUserZero(km, *record_), km);
  }
}

}  // namespace
