#include "traceview/scale_caption.h"

#include <gtest/gtest.h>

#include "traceview/zoom_state.h"

namespace {

TEST(FormatScaleCaption, PrecisionFollowsTheKmValue) {
  struct Case {
    double km;
    double db;
    const char* unit;
    double factor;
    const char* expected;
  };
  const Case cases[] = {
      {2.0, 5.0, "km", 1.0, "Trace    2.0 km/Div    5.0 dB/Div"},
      {1.0, 6.0, "km", 1.0, "Trace   1.00 km/Div    6.0 dB/Div"},
      {1.0, 6.0, "kft", 3.280839895, "Trace   3.28 kft/Div    6.0 dB/Div"},
      {0.05, 0.5, "km", 1.0, "Trace  0.050 km/Div 0.500 dB/Div"},
      {0.0002, 1.5, "km", 1.0, "Trace   0.000 km/Div   1.50 dB/Div"},
      {1.99, 1.99, "mi", 0.62137119, "Trace    1.2 mi/Div    2.0 dB/Div"},
      {0.98, 0.98, "km", 1.0, "Trace  0.980 km/Div 0.980 dB/Div"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatScaleCaption("Trace", {c.km, c.db}, c.unit, c.factor), c.expected);
  }
}

TEST(ComputeGridDivision, TenDivisionsOfTheVisiblePart) {
  const GridDivision full = ComputeGridDivision(800, 500, 800, 500, 10.0);
  EXPECT_DOUBLE_EQ(full.kmPerDiv, 1.0);
  EXPECT_DOUBLE_EQ(full.dbPerDiv, 6.0);
  const GridDivision zoomed = ComputeGridDivision(800, 500, 4000, 6000, 10.0);
  EXPECT_DOUBLE_EQ(zoomed.kmPerDiv, 0.2);
  EXPECT_DOUBLE_EQ(zoomed.dbPerDiv, 0.5);
  const GridDivision empty = ComputeGridDivision(0, 0, 0, 0, 10.0);
  EXPECT_EQ(empty.kmPerDiv, 0.0);
  EXPECT_EQ(empty.dbPerDiv, 0.0);
}

TEST(ComputeRenderScales, TheOverlayReferenceOverridesOnlyWhenAsked) {
  struct Case {
    const char* name;
    int popped;
    int useReference;
    int traces;
    double pps;
  };
  const Case cases[] = {
      {"own scale without a zoom", 0, 0, 2, 0.5},
      {"reference while zoomed with two traces", 0, 1, 2, 0.25},
      {"own scale with one trace", 0, 1, 1, 0.5},
      {"own scale after a zoom-out", 1, 1, 2, 0.5},
  };
  for (const Case& c : cases) {
    ZoomState zoom;
    zoom.PixelsPerSample = 0.25;
    zoom.PixelsPerDb = 99.0;
    const RenderScales s = ComputeRenderScales({4000, 600, 8000, c.popped, c.useReference, c.traces}, zoom);
    EXPECT_DOUBLE_EQ(s.pixelsPerSample, c.pps) << c.name;
    EXPECT_DOUBLE_EQ(s.pixelsPerDb, 10.0) << c.name << ": the reference keeps the canvas's dB scale";
    EXPECT_DOUBLE_EQ(zoom.PixelsPerDb, 10.0) << c.name;
  }
  ZoomState none;
  none.PixelsPerDb = 99.0;
  ComputeRenderScales({4000, 600, 8000, 0, 1, 2}, none);
  EXPECT_EQ(none.PixelsPerDb, 99.0) << "no reference, nothing to keep in step";
}

}  // namespace
