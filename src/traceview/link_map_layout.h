#pragma once
// The link map's geometry: one tile per event from the launch to the end of the fibre, spread over
// the visible part by distance, with an overview line of the whole fibre above them. A plain
// function of the event rows and picture sizes, so the drawing only paints what it returns.
#include <span>
#include <string>
#include <vector>

#include "trace/display_records.h"
#include "traceview/view_geometry.h"

/// The event picture of a tile.
enum class LinkPicture { Start, End, Reflector, Connector, Router };

/// Sizes of the link-map pictures as loaded.
struct LinkMapPictureSizes {
  PixelSize background{62, 62};
  PixelSize start{14, 8};
  PixelSize end{14, 8};
  PixelSize reflector{22, 21};
  PixelSize connector{14, 8};
  PixelSize router{16, 16};
  PixelSize badge{16, 16};
  PixelSize markA{16, 16};
  PixelSize markB{16, 16};
};

/// A point with real coordinates; drawing truncates toward zero.
struct LinkPoint {
  double x = 0.0;
  double y = 0.0;
};

/// A straight line of the map.
struct LinkLine {
  LinkPoint from;
  LinkPoint to;
};

/// One tile.
struct LinkMapTile {
  LinkPicture picture = LinkPicture::Connector;
  bool pass = true;
  int mark = 0;                // 0 none, 1 mark A (launch), 2 mark B (end)
  LinkPoint at;                // top-left corner of the tile background
  double width = 0.0;          // the background's drawn size
  double height = 0.0;
  LinkPoint pictureAt;
  LinkPoint badgeAt;
  LinkPoint markAt;
  double pictureScale = 1.0;   // scale of the event picture, badge and mark
  LinkPoint distanceAt;        // distance label, top-left
  LinkPoint numberAt;          // event number, top-left; also the click position
  bool framed = false;         // the event last chosen in the event table
};

/// Everything the map draws; `drawn` false: nothing at all.
struct LinkMapLayout {
  bool drawn = false;
  bool scaled = false;
  double s1 = 1.0;  // tile scale of the scaled layout
  double s2 = 1.0;  // picture scale of the scaled layout
  int fontHeight = 20;
  std::vector<LinkMapTile> tiles;
  std::vector<LinkLine> joins;      // green lines between the tiles
  double unitLabelY = 0.0;          // top of the unit label, right-aligned to the grid's right edge
  std::vector<LinkLine> overviewGreen;
  std::vector<LinkLine> overviewOrange;
  std::vector<LinkLine> ticks;      // yellow, one per tile
  LinkPoint overviewMarkA;
  LinkPoint overviewMarkB;
};

/// What the layout reads besides the rows.
struct LinkMapInputs {
  PixelRect grid;            // visible part of the plot
  int clientWidth = 0;
  bool showEventBar = true;
  int clickedEvent = -1;     // tile framed in black
  LinkMapPictureSizes sizes;
};

/// Picture and verdict of a row: launch and end pass; a loss above 3.0 dB is a splitter that fails
/// whatever the limits; otherwise `limitFails` decides (a reflective row keeps its own picture, every
/// other row the non-reflective one).
LinkPicture LinkPictureOf(const EventRow& row, bool limitFails, bool* pass);

/// The layout of `rows` (each with its limit verdict in `limitFails`).
LinkMapLayout LayoutLinkMap(std::span<const EventRow> rows, const std::vector<bool>& limitFails,
                            const LinkMapInputs& in);

/// The distance label of a row in the display unit ("%.5f").
std::string LinkDistanceLabel(float distanceKm, double unitFactor);
