#include "reports/report_graph_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

EventRow Row(int type, float spliceLoss) {
  EventRow row{};
  row.Type = type;
  row.SpliceLoss = spliceLoss;
  return row;
}

TEST(ReportGraphGeometry, LevelRangeReadsOnlyTheTracesOwnSamples) {
  // What a longer trace left beyond the point count must not set the curve's reference level.
  std::vector<double> buffer{3.0, 10.0, 7.5, 40.0, 45.0};
  const DbRange range = SampleDbRange(std::span<const double>(buffer.data(), 3));
  EXPECT_DOUBLE_EQ(range.min, 3.0);
  EXPECT_DOUBLE_EQ(range.max, 10.0);
  const std::vector<double> zeros(8, 0.0);
  EXPECT_DOUBLE_EQ(SampleDbRange(zeros).max, 0.0);
  EXPECT_DOUBLE_EQ(SampleDbRange({}).Span(), 0.0);
}

TEST(ReportGraphGeometry, PictogramByTypeAndLoss) {
  struct Case {
    int type;
    float loss;
    ReportGlyph glyph;
  };
  const Case cases[] = {
      {kEventLaunch, 9.0f, ReportGlyph::Start},         {kEventEnd, 9.0f, ReportGlyph::End},
      {kEventReflective, 3.0f, ReportGlyph::Reflective}, {kEventReflective, 3.001f, ReportGlyph::Splitter},
      {kEventNonReflective, 3.0f, ReportGlyph::NonReflective},
      {kEventNonReflective, 3.001f, ReportGlyph::Splitter},
      {kEventOutOfRange, 9.0f, ReportGlyph::NonReflective},
  };
  for (const Case& c : cases) EXPECT_EQ(GlyphFor(Row(c.type, c.loss)), c.glyph) << c.type << " " << c.loss;
  EXPECT_EQ(GlyphStrokes(ReportGlyph::Splitter).size(), 9u);
  EXPECT_EQ(GlyphPenWidth(ReportGlyph::Start), 2);
  EXPECT_EQ(GlyphPenWidth(ReportGlyph::Reflective), 1);
}

TEST(ReportGraphGeometry, GlyphAnchorAndVisibility) {
  const auto distance = [](int i) { return static_cast<float>(i) * 0.5f; };
  EXPECT_EQ(FirstSampleBeyond(1.0f, 10, distance), 3);
  EXPECT_EQ(FirstSampleBeyond(-1.0f, 10, distance), 0);
  EXPECT_EQ(FirstSampleBeyond(99.0f, 10, distance), 10);

  const GlyphPlace first = PlaceGlyph(Row(kEventLaunch, 0), 0, 1.0, -500);
  EXPECT_TRUE(first.drawn);
  EXPECT_EQ(first.x, 44);
  EXPECT_EQ(first.y, -484);
  EXPECT_TRUE(first.numbered);
  EXPECT_FALSE(PlaceGlyph(Row(kEventEnd, 0), 686, 1.0, -500).drawn);  // x = 730
  EXPECT_TRUE(PlaceGlyph(Row(kEventEnd, 0), 685, 1.0, -500).drawn);
  EXPECT_FALSE(PlaceGlyph(Row(kEventOutOfRange, 0), 10, 1.0, -500).numbered);
}

TEST(ReportGraphGeometry, MarkerLabelsLinesArrowsAndNearDrop) {
  // Far apart, A active: A's label starts at its line, B's ends at its line.
  auto labels = PlaceMarkerLabels(100, 600, 1.0, 6.0, 0, 1.0, -500, "km", 1.0);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_TRUE(labels[0].line);
  EXPECT_EQ(labels[0].lineX, 150);
  EXPECT_EQ(labels[0].lineTop, -500 + 342 - 12);
  EXPECT_EQ(labels[0].text, "A 1.00000 km");
  EXPECT_FALSE(labels[0].endsAtX);
  EXPECT_TRUE(labels[0].active);
  EXPECT_TRUE(labels[1].endsAtX);
  EXPECT_EQ(labels[1].y, -500 + 342 + 5);

  // Near: the inactive marker's label sits 15 lower.
  labels = PlaceMarkerLabels(100, 130, 1.0, 1.3, 1, 1.0, -500, "km", 1.0);
  EXPECT_EQ(labels[0].y, -500 + 327 + 5);
  EXPECT_EQ(labels[1].y, -500 + 342 + 5);

  // Exactly on the edges A and B differ: left edge line for A, arrow for B; right edge the reverse.
  labels = PlaceMarkerLabels(0, 0, 0, 0, 0, 1.0, -500, "km", 1.0);
  EXPECT_TRUE(labels[0].line);
  EXPECT_EQ(labels[1].text, "B<-");
  labels = PlaceMarkerLabels(679, 679, 0, 0, 0, 1.0, -500, "km", 1.0);
  EXPECT_EQ(labels[0].text, "->A");
  EXPECT_EQ(labels[0].x, 709);
  EXPECT_TRUE(labels[1].line);
}

}  // namespace
