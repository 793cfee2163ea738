#include "traceview/overlay_placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sor/sor_record.h"
#include "trace/trace_conversions.h"

namespace {

TEST(OverlayPlacement, ASampleStandsAtItsDistanceFromItsOwnUsersZero) {
  struct Case {
    const char* what;
    TraceDistanceScale axis;
    TraceDistanceScale trace;
    CurvePlacement expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"the axis's own trace", {0.001, 0.547}, {0.001, 0.547}, {0.0, 4.0}},
      {"a zero later on the axis's trace moves the other right", {0.001, 0.547}, {0.001, 0.160}, {1548.0, 4.0}},
      {"a later zero of its own moves it left", {0.001, 0.0}, {0.001, 0.250}, {-1000.0, 4.0}},
      {"coarser samples stretch", {0.001, 0.0}, {0.004, 0.0}, {0.0, 16.0}},
      {"a trace without length keeps the axis's scale", {0.001, 0.5}, {0.0, 0.1}, {0.0, 4.0}},
      {"an axis without length too", {0.0, 0.5}, {0.002, 0.1}, {0.0, 4.0}},
      {"no number is no length", {nan, 0.5}, {0.002, 0.1}, {0.0, 4.0}},
  };
  for (const Case& c : cases) {
    const CurvePlacement place = PlaceOnAxis(4.0, c.axis, c.trace);
    EXPECT_NEAR(place.originX, c.expected.originX, 1e-9) << c.what;
    EXPECT_DOUBLE_EQ(place.step, c.expected.step) << c.what;
  }
}

TEST(OverlayPlacement, AFeatureReadsItsOwnTablesDistanceOnTheAxis) {
  // Two files of another sample spacing and other offsets: wherever the other trace's sample j is
  // drawn, the axis's sample under it reads j's own distance from its user's zero.
  SorRecord axisRecord{};
  axisRecord.DataPts.Traces[0].PointCount = 20001;
  axisRecord.FxdParams.GroupIndex = 146800;
  axisRecord.GenParams.UserOffset = 26786;  // about 547 m
  SorRecord other = axisRecord;
  other.DataPts.Traces[0].PointCount = 10001;
  other.GenParams.UserOffset = 7835;  // about 160 m
  other.FxdParams.FrontPanelOffset = 100;
  const double axisLength = 40.0;
  const double otherLength = 30.0;
  const double pps = 0.25;
  const CurvePlacement place =
      PlaceOnAxis(pps, DistanceScaleOf(axisRecord, axisLength), DistanceScaleOf(other, otherLength));
  for (const int j : {0, 483, 4827, 10000}) {
    const double x = place.originX + j * place.step;
    const double axisIndex = x / pps;
    const double onAxis = axisIndex * axisLength / 20000.0 - UserZeroDistanceKm(axisRecord);
    const double own = GetDistance_Position(j, kSorFileKind, other, otherLength);
    EXPECT_NEAR(onAxis, own, 1e-6) << j;
  }
}

}  // namespace
