#include "traceview/link_map_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "traceview/event_icons.h"

namespace {

EventRow Row(int type, float km, float loss = 0.2f) {
  EventRow row{};
  row.Type = type;
  row.Distance = km;
  row.SpliceLoss = loss;
  return row;
}

LinkMapInputs Inputs(int width) {
  LinkMapInputs in;
  in.grid = {0, 0, width, 400};
  in.clientWidth = width;
  return in;
}

TEST(LinkMapLayout, WhichRowsBecomeTiles) {
  const std::vector<EventRow> endFirst{Row(1, 0.0f), Row(3, 1.0f)};
  EXPECT_FALSE(LayoutLinkMap(endFirst, {}, Inputs(1000)).drawn) << "a first end row leaves only the grid";

  const std::vector<EventRow> rows{Row(0, 0.0f), Row(3, 1.0f), Row(1, 2.0f), Row(2, 3.0f)};
  EXPECT_EQ(LayoutLinkMap(rows, {}, Inputs(1000)).tiles.size(), 3u) << "tiles stop at the first end row";
  const std::vector<EventRow> noEnd{Row(0, 0.0f), Row(3, 1.0f), Row(2, 3.0f)};
  const LinkMapLayout all = LayoutLinkMap(noEnd, {}, Inputs(1000));
  ASSERT_EQ(all.tiles.size(), 3u);
  EXPECT_DOUBLE_EQ(all.tiles[2].at.x, 40 + 124 + (1000 - 80 - 186)) << "the last row's distance is the fibre end";

  LinkMapInputs off = Inputs(1000);
  off.showEventBar = false;
  EXPECT_FALSE(LayoutLinkMap(rows, {}, off).drawn);
  EXPECT_FALSE(LayoutLinkMap({}, {}, Inputs(100)).drawn) << "no rows: nothing to divide by";
}

TEST(LinkMapLayout, PicturesAndVerdicts) {
  struct Case {
    EventRow row;
    bool limitFails;
    LinkPicture picture;
    bool pass;
  } cases[] = {
      {Row(0, 0.0f, 5.0f), true, LinkPicture::Start, true},
      {Row(1, 9.0f, 5.0f), true, LinkPicture::End, true},
      {Row(2, 1.0f, 3.0f), false, LinkPicture::Reflector, true},
      {Row(3, 1.0f, 3.01f), false, LinkPicture::Router, false},
      {Row(3, 1.0f, 0.5f), true, LinkPicture::Connector, false},
      {Row(4, 1.0f, 0.5f), false, LinkPicture::Connector, true},
  };
  for (const Case& c : cases) {
    bool pass = false;
    EXPECT_EQ(LinkPictureOf(c.row, c.limitFails, &pass), c.picture) << c.row.Type << " " << c.row.SpliceLoss;
    EXPECT_EQ(pass, c.pass) << c.row.Type << " " << c.row.SpliceLoss;
  }
}

TEST(LinkMapLayout, PlainLayoutPositionsAndHits) {
  const std::vector<EventRow> rows{Row(0, 0.0f), Row(3, 5.0f), Row(1, 10.0f)};
  LinkMapInputs in = Inputs(800);
  in.clickedEvent = 1;
  const LinkMapLayout map = LayoutLinkMap(rows, {}, in);
  ASSERT_FALSE(map.scaled);
  const LinkMapTile& middle = map.tiles[1];
  EXPECT_DOUBLE_EQ(middle.at.x, 40 + 62 + (800 - 80 - 186) / 2);  // 369
  EXPECT_DOUBLE_EQ(middle.at.y, 200);
  EXPECT_TRUE(middle.framed);
  EXPECT_FALSE(map.tiles[0].framed);
  EXPECT_DOUBLE_EQ(middle.pictureAt.x, 369 + 31 - 7);
  EXPECT_DOUBLE_EQ(middle.badgeAt.x, 369 + 62 - 16 - 6);
  EXPECT_EQ(g_EventHitX[1], 369 + 31);
  EXPECT_EQ(g_EventHitY[1], 262);
  EXPECT_EQ(map.tiles[0].mark, 1);
  EXPECT_EQ(map.tiles[2].mark, 2);
  ASSERT_EQ(map.joins.size(), 6u);
  EXPECT_DOUBLE_EQ(map.joins[3].from.x, 369 + 31 + 7) << "from the picture's right edge";
  EXPECT_DOUBLE_EQ(map.joins[3].to.x, map.tiles[2].at.x + 31 + 7 - 14);
  EXPECT_DOUBLE_EQ(map.unitLabelY, 180);
  EXPECT_DOUBLE_EQ(map.overviewGreen[0].from.x, 40);
  EXPECT_DOUBLE_EQ(map.overviewGreen[0].to.x, 760);
  EXPECT_DOUBLE_EQ(map.overviewOrange[0].from.y, 104);
  EXPECT_DOUBLE_EQ(map.ticks[1].from.x, 40 + 2 + (800 - 80 - 6) / 2);
  EXPECT_DOUBLE_EQ(map.overviewMarkA.x, 25);
  EXPECT_DOUBLE_EQ(map.overviewMarkB.x, 759);
}

TEST(LinkMapLayout, ScaledLayoutFromKTilesOn) {
  // k = (800 - 50) / 70 = 10.
  std::vector<EventRow> rows{Row(0, 0.0f)};
  for (int i = 1; i < 9; ++i) rows.push_back(Row(3, static_cast<float>(i)));
  rows.push_back(Row(1, 9.0f));
  EXPECT_TRUE(LayoutLinkMap(rows, {}, Inputs(800)).scaled) << "n = k";
  rows.pop_back();
  rows.back().Type = 1;
  EXPECT_FALSE(LayoutLinkMap(rows, {}, Inputs(800)).scaled) << "n = k - 1";

  rows.back().Type = 3;
  for (int i = 9; i < 12; ++i) rows.push_back(Row(3, static_cast<float>(i)));
  const LinkMapLayout map = LayoutLinkMap(rows, {}, Inputs(800));
  ASSERT_TRUE(map.scaled);
  const double s1 = ((800 - 47) / 12 - 3) / 62.0;
  EXPECT_DOUBLE_EQ(map.s1, s1);
  EXPECT_DOUBLE_EQ(map.s2, 1.0) << "fewer tiles than (Wg - 47) / 30 keep their pictures' size";
  EXPECT_DOUBLE_EQ(map.tiles[0].distanceAt.y, 200 - 20 * s1);
  EXPECT_DOUBLE_EQ(map.tiles[1].distanceAt.y, 200 - 40 * s1) << "odd tiles' labels sit higher";
  EXPECT_EQ(map.fontHeight, static_cast<int>(20 * s1));
}

TEST(LinkMapLayout, GuardsForDegenerateInput) {
  const std::vector<EventRow> atZero{Row(0, 0.0f), Row(1, 0.0f)};
  const LinkMapLayout map = LayoutLinkMap(atZero, {}, Inputs(800));
  EXPECT_DOUBLE_EQ(map.tiles[1].at.x, 40 + 62) << "a fibre end at 0 km spaces by pitch";

  std::vector<EventRow> crowd{Row(0, 0.0f)};
  for (int i = 1; i < 60; ++i) crowd.push_back(Row(3, static_cast<float>(i)));
  const LinkMapLayout tight = LayoutLinkMap(crowd, {}, Inputs(200));
  EXPECT_GT(tight.s1, 0.0) << "the tiles never fold to nothing";

  LinkMapInputs narrow = Inputs(800);
  narrow.grid = {-20, 0, 780, 400};
  const std::vector<EventRow> rows{Row(0, 0.0f), Row(1, 1.0f)};
  EXPECT_DOUBLE_EQ(LayoutLinkMap(rows, {}, narrow).tiles[0].at.x, 20);
  narrow.grid = {-100, 0, 700, 400};
  EXPECT_DOUBLE_EQ(LayoutLinkMap(rows, {}, narrow).tiles[0].at.x, -3) << "held at -3";
}

}  // namespace
