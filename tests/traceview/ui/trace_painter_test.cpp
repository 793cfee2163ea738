#include "traceview/ui/trace_painter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <vector>

#include "reference_curve.h"
#include "traceview/overlay_placement.h"
#include "synthetic_trace.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 500;

// A client-sized picture of the canvas part at (ox, oy), white like the view's background.
struct Render {
  Render(int ox, int oy) : image(kW, kH, QImage::Format_RGB32) {
    image.fill(Qt::white);
    painter.begin(&image);
    painter.translate(-ox, -oy);
  }
  QImage& Done() {
    painter.end();
    return image;
  }
  QImage image;
  QPainter painter;
};

PaintParams ParamsFor(PixelSize canvas, int ox, int oy, int pointCount) {
  return {{ox, oy, ox + kW, oy + kH},
          canvas,
          static_cast<double>(canvas.width) / pointCount,
          canvas.height / 60.0};
}

int CountDifferences(const QImage& a, const QImage& b) {
  int differ = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) differ += a.pixel(x, y) != b.pixel(x, y);
  }
  return differ;
}

TEST(DrawGrid, TenDivisionsOfTheClientWhateverTheScroll) {
  for (const PixelPoint origin : {PixelPoint{0, 0}, PixelPoint{1234, 567}, PixelPoint{7, 3}}) {
    Render r(origin.x, origin.y);
    DrawGrid(r.painter, ParamsFor({4000, 3000}, origin.x, origin.y, 1000));
    const QImage& image = r.Done();
    std::vector<bool> gridColumn(kW), gridRow(kH);
    for (int i = 0; i < 10; ++i) {
      gridColumn[static_cast<std::size_t>(kW * i / 10)] = true;
      gridRow[static_cast<std::size_t>(kH * i / 10)] = true;
    }
    for (int i = 0; i < 10; ++i) {
      int column = 0, row = 0;
      for (int y = 0; y < kH; ++y) column += image.pixel(kW * i / 10, y) == kGridColour;
      for (int x = 0; x < kW; ++x) row += image.pixel(x, kH * i / 10) == kGridColour;
      EXPECT_GE(column, kH / 4) << "column " << i << " at origin " << origin.x;
      EXPECT_GE(row, kW / 4) << "row " << i << " at origin " << origin.x;
    }
    int stray = 0;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (image.pixel(x, y) == kGridColour && !gridColumn[static_cast<std::size_t>(x)] &&
            !gridRow[static_cast<std::size_t>(y)]) {
          ++stray;
        }
      }
    }
    EXPECT_EQ(stray, 0) << "origin " << origin.x;
  }
}

// The per-column drawing must leave exactly the pixels of one line per sample.
TEST(DrawOverlayTraces, CurvePixelsEqualOneLinePerSample) {
  struct Case {
    const char* name;
    int points;
    PixelSize canvas;
    int ox;
    int oy;
    bool current;
  };
  const Case cases[] = {
      {"full view, 2-pixel pen", 80000, {kW, kH}, 0, 0, true},
      {"full view, 1-pixel pen", 80000, {kW, kH}, 0, 0, false},
      {"half width, 2-pixel pen", 30000, {400, kH}, 0, 0, true},
      {"two pixels per sample", 1000, {2000, 1200}, 600, 600, true},
      {"zoomed to the extent", 80000, {72767, 6000}, 36000, 4250, true},
      {"zoomed, 1-pixel pen", 80000, {72767, 6000}, 51234, 4650, false},
      {"a few samples on a wide canvas", 7, {kW, kH}, 0, 0, true},
      {"a few samples, 1-pixel pen", 7, {kW, kH}, 0, 0, false},
      {"two pixels per sample, 1-pixel pen", 1000, {2000, 1200}, 600, 600, false},
      {"1.4 pixels per sample, 1-pixel pen", 1000, {1400, 1200}, 300, 600, false},
      {"steep 1-pixel joins", 2000, {kW, 12000}, 0, 8500, false},
      {"joins of hundreds of rows, 1-pixel pen", 2000, {kW, 72000}, 0, 51000, false},
  };
  for (const Case& c : cases) {
    const std::vector<double> db = SyntheticTrace(c.points, 42u + static_cast<unsigned>(c.points));
    const PaintParams params = ParamsFor(c.canvas, c.ox, c.oy, c.points);
    const OverlayCurve curve{db, 30.0, params.pixelsPerSample, qRgb(0, 0, 255), c.current};
    Render fast(c.ox, c.oy);
    DrawOverlayTraces(fast.painter, params, std::span(&curve, 1), {});
    Render plain(c.ox, c.oy);
    const CurveMapping mapping{curve.step, params.pixelsPerDb, curve.ceilingDb, c.canvas.height, c.ox, kW};
    DrawCurveSamplePerLine(plain.painter, db, mapping, QPen(QColor(curve.colour), c.current ? 2 : 1));
    const QImage& expected = plain.Done();
    const QImage& actual = fast.Done();
    EXPECT_EQ(CountDifferences(actual, expected), 0) << c.name;
    int drawn = 0;
    for (int x = 0; x < kW; ++x) {
      for (int y = 0; y < kH; ++y) drawn += expected.pixel(x, y) == curve.colour;
    }
    EXPECT_GT(drawn, c.points < 10 ? 100 : kW / 2) << c.name << ": the curve must cross the picture";
  }
}

// Painters that cannot write into the picture directly (a printer, a clipped painter) draw the
// same pixels through the raster engine alone.
TEST(DrawOverlayTraces, ClippedPainterDrawsTheSamePixels) {
  const std::vector<double> db = SyntheticTrace(80000, 9u);
  const PaintParams params = ParamsFor({kW, kH}, 0, 0, 80000);
  const OverlayCurve curve{db, 30.0, params.pixelsPerSample, qRgb(0, 0, 255), false};
  Render direct(0, 0);
  DrawOverlayTraces(direct.painter, params, std::span(&curve, 1), {});
  Render clipped(0, 0);
  clipped.painter.setClipRect(0, 0, kW, kH);
  DrawOverlayTraces(clipped.painter, params, std::span(&curve, 1), {});
  EXPECT_EQ(CountDifferences(direct.Done(), clipped.Done()), 0);
}

TEST(DrawOverlayTraces, PensFollowTheModeAndTheCurrentTraceWins) {
  const std::vector<double> flat(100, 30.0);  // y = 500 - trunc(30 x 500/60) = 250
  const PaintParams params = ParamsFor({kW, kH}, 0, 0, 100);
  const OverlayCurve curves[] = {
      {flat, 60.0, 8.0, qRgb(0, 0, 255), false},
      {flat, 60.0, 8.0, qRgb(0, 200, 0), true},
  };
  Render overlay(0, 0);
  DrawOverlayTraces(overlay.painter, params, curves, {});
  const QImage& image = overlay.Done();
  EXPECT_EQ(image.pixel(400, 250), qRgb(0, 200, 0)) << "drawn last, over the other";
  EXPECT_EQ(image.pixel(400, 249), qRgb(0, 200, 0)) << "2 pixels wide";

  Render single(0, 0);
  DrawOverlayTraces(single.painter, params, std::span(curves, 1), {.singleTraceMode = true});
  const QImage& red = single.Done();
  EXPECT_EQ(red.pixel(400, 250), kSingleTraceColour);
  EXPECT_EQ(red.pixel(400, 249), kSingleTraceColour);
}

TEST(DrawOverlayTraces, EachCurveStandsWhereItsPlacementPutsIt) {
  // The other trace was sampled twice as coarsely and its user's zero lies 10 samples of the axis
  // later: its 50 samples span the axis's 100, moved 80 pixels to the left.
  const std::vector<double> flat(50, 30.0);
  const PaintParams params = ParamsFor({kW, kH}, 0, 0, 100);
  const CurvePlacement place = PlaceOnAxis(params.pixelsPerSample, {0.001, 0.0}, {0.002, 0.010});
  const OverlayCurve curve{flat, 60.0, place.step, qRgb(0, 0, 255), true, place.originX};
  for (const auto& [dotted, pixel] : {std::pair{false, 49 * 16 - 80}, std::pair{true, 49 * 16 - 80}}) {
    Render r(0, 0);
    DrawOverlayTraces(r.painter, params, std::span(&curve, 1), {.dotted = dotted});
    const QImage& image = r.Done();
    EXPECT_EQ(image.pixel(pixel, 250), qRgb(0, 0, 255)) << dotted;
    EXPECT_EQ(image.pixel(pixel + 3, 250), qRgb(255, 255, 255)) << dotted;
  }
}

TEST(DrawOverlayTraces, DottedModeSetsOnePixelPerSampleButTheFirstInTheTracesColour) {
  std::vector<double> db(100);
  for (int i = 0; i < 100; ++i) db[static_cast<std::size_t>(i)] = 10.0 + (i % 7);
  db[0] = 0.0;  // sample 0 would sit at a row of its own
  const PaintParams params = ParamsFor({kW, kH}, 0, 0, 100);
  const OverlayCurve curve{db, 60.0, params.pixelsPerSample, qRgb(255, 0, 255), true};
  Render r(0, 0);
  DrawOverlayTraces(r.painter, params, std::span(&curve, 1), {.dotted = true});
  const QImage& image = r.Done();
  const CurveMapping mapping{curve.step, params.pixelsPerDb, 60.0, kH, 0, kW};
  int dots = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) dots += image.pixel(x, y) == curve.colour;
  }
  EXPECT_EQ(dots, 99);
  for (int i = 1; i < 100; ++i) {
    EXPECT_EQ(image.pixel(CurveX(i, mapping), CurveY(db[static_cast<std::size_t>(i)], mapping)), curve.colour) << i;
  }
  EXPECT_EQ(image.pixel(0, CurveY(0.0, mapping)), qRgb(255, 255, 255));
}

// The rectangle of the picture drawn at (x, y) equals the picture.
bool PictureAt(const QImage& image, const QImage& icon, int x, int y) {
  for (int row = 0; row < icon.height(); ++row) {
    for (int col = 0; col < icon.width(); ++col) {
      const int px = x + col;
      if (px < 0 || px >= image.width() || y + row >= image.height()) continue;
      if (image.pixel(px, y + row) != icon.pixel(col, row)) return false;
    }
  }
  return true;
}

TEST(DrawEventIcons, PicturesAndNumbersAlongTheBottom) {
  ResetEventHitTables();
  const EventMark events[] = {
      {0, 0.0, 0},     // start at sample 0: x -6 raised to -3
      {3, 3.0, 200},   // non-reflective at exactly 3 dB keeps its picture
      {2, 3.01, 400},  // high loss
      {4, 0.5, 600},  {1, 0.0, 900},
  };
  const int ox = 100, oy = 40;
  const PaintParams params = ParamsFor({1600, 1000}, ox, oy, 1000);  // 1.6 pixels per sample
  Render r(ox, oy);
  DrawEventIcons(r.painter, params, events);
  const QImage& image = r.Done();
  const int y = oy + kH - 16;
  struct Expect {
    EventIcon icon;
    int x;
  };
  const Expect expected[] = {{EventIcon::Start, -3},
                             {EventIcon::NonReflective, 314},
                             {EventIcon::HighLoss, 634},
                             {EventIcon::Type4, 954},
                             {EventIcon::End, 1434}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(g_EventHitX[i], expected[i].x) << i;
    EXPECT_EQ(g_EventHitY[i], y - 12) << i;
    const bool visible = expected[i].x - ox < kW;
    if (visible && expected[i].x >= ox) {
      EXPECT_TRUE(PictureAt(image, EventIconImage(expected[i].icon), expected[i].x - ox, y - oy)) << i;
    }
  }
  EXPECT_EQ(EventIconImage(EventIcon::HighLoss).size(), QSize(18, 20));
  EXPECT_EQ(EventIconImage(EventIcon::Type4).size(), QSize(11, 13));
  EXPECT_EQ(EventIconImage(EventIcon::Reflective).size(), QSize(10, 13));
}

TEST(DrawEventIcons, AnIconAtSampleZeroShowsFromColumnThree) {
  const EventMark start{0, 0.0, 0};
  const PaintParams params = ParamsFor({kW, kH}, 0, 0, 1000);
  Render r(0, 0);
  DrawEventIcons(r.painter, params, std::span(&start, 1));
  const QImage& image = r.Done();
  const QImage& icon = EventIconImage(EventIcon::Start);
  for (int col = 3; col < icon.width(); ++col) {
    for (int row = 0; row < icon.height(); ++row) {
      ASSERT_EQ(image.pixel(col - 3, kH - 16 + row), icon.pixel(col, row)) << col << "," << row;
    }
  }
}

TEST(DrawEventIcons, NumbersStandOnABoxOfTheBackground) {
  // Two events a few samples apart: the second number covers whatever lies under its box.
  const EventMark events[] = {{0, 0.0, 0}, {2, 0.0, 10}};
  const PaintParams params = ParamsFor({kW, kH}, 0, 0, kW);
  Render r(0, 0);
  r.painter.fillRect(0, 0, kW, kH, Qt::black);
  DrawEventIcons(r.painter, params, events);
  const QImage& image = r.Done();
  const int top = g_EventHitY[1];
  const int left = g_EventHitX[1];
  ASSERT_EQ(left, 4);
  EXPECT_EQ(image.pixel(left, top), qRgb(255, 255, 255)) << "top-left corner of the box";
  EXPECT_EQ(image.pixel(left, top + 11), qRgb(255, 255, 255)) << "one text row of 12 pixels";
  EXPECT_EQ(image.pixel(left, top - 1), qRgb(0, 0, 0)) << "nothing above the box";
  int boxWidth = 0;
  while (image.pixel(left + boxWidth, top) == qRgb(255, 255, 255)) ++boxWidth;
  EXPECT_GE(boxWidth, 5) << "as wide as the number";
  EXPECT_LE(boxWidth, 9);
}

}  // namespace
