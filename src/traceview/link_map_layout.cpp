#include "traceview/link_map_layout.h"

#include <algorithm>

#include "platform/number_format.h"
#include "platform/saturate.h"
#include "traceview/event_icons.h"

namespace {

constexpr int kTilePitch = 62;
constexpr double kSplitterLossDb = 3.0;
constexpr double kMinTileScale = 0.01;  // keeps a crowded map drawable instead of folding it up
constexpr int kLaunch = 0;
constexpr int kEnd = 1;
constexpr int kReflective = 2;

PixelSize SizeOf(LinkPicture picture, const LinkMapPictureSizes& sizes) {
  switch (picture) {
    case LinkPicture::Start: return sizes.start;
    case LinkPicture::End: return sizes.end;
    case LinkPicture::Reflector: return sizes.reflector;
    case LinkPicture::Connector: return sizes.connector;
    case LinkPicture::Router: return sizes.router;
  }
  return sizes.connector;
}

double Trunc(double v) { return lumivane::TruncToInt32(v); }

}  // namespace

LinkPicture LinkPictureOf(const EventRow& row, bool limitFails, bool* pass) {
  *pass = true;
  if (row.Type == kLaunch) return LinkPicture::Start;
  if (row.Type == kEnd) return LinkPicture::End;
  if (row.SpliceLoss > kSplitterLossDb) {
    *pass = false;
    return LinkPicture::Router;
  }
  *pass = !limitFails;
  return row.Type == kReflective ? LinkPicture::Reflector : LinkPicture::Connector;
}

std::string LinkDistanceLabel(float distanceKm, double unitFactor) {
  return lumivane::Format("%.5f", static_cast<double>(distanceKm) * unitFactor);
}

LinkMapLayout LayoutLinkMap(std::span<const EventRow> rows, const std::vector<bool>& limitFails,
                            const LinkMapInputs& in) {
  LinkMapLayout out;
  if (!in.showEventBar || rows.empty() || rows.front().Type == kEnd) return out;
  std::size_t count = rows.size();
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (rows[i].Type == kEnd) {
      count = i + 1;
      break;
    }
  }
  count = std::min<std::size_t>(count, kMaxEventIcons);
  const int n = static_cast<int>(count);
  const double fibreEnd = rows[count - 1].Distance;
  // A fibre end at 0 km spreads the tiles by their pitch alone.
  auto along = [fibreEnd](const EventRow& row) { return fibreEnd > 0.0 ? row.Distance / fibreEnd : 0.0; };

  const PixelRect& g = in.grid;
  const int lg = g.left;
  const int wg = g.Width();
  const int hg = g.Height();
  const int yc = g.top + hg / 2;
  const int yo = g.top + hg / 4;
  const PixelSize bg = in.sizes.background;
  const PixelSize badge = in.sizes.badge;
  const int k = (in.clientWidth - 50) / 70;
  out.drawn = true;
  out.scaled = n >= k;
  if (out.scaled) {
    out.s1 = std::max(((wg - 47) / n - 3) / 62.0, kMinTileScale);
    out.s2 = n < (wg - 47) / 30 ? 1.0 : 2.0 * out.s1;
    out.fontHeight = lumivane::TruncToInt32(20.0 * out.s1);
  }
  const double s1 = out.s1;
  const double s2 = out.s2;

  double previousRight = 0.0;
  for (int i = 0; i < n; ++i) {
    const EventRow& row = rows[static_cast<std::size_t>(i)];
    LinkMapTile tile;
    const bool fails = static_cast<std::size_t>(i) < limitFails.size() && limitFails[static_cast<std::size_t>(i)];
    tile.picture = LinkPictureOf(row, fails, &tile.pass);
    tile.mark = row.Type == kLaunch ? 1 : (row.Type == kEnd ? 2 : 0);
    const PixelSize e = SizeOf(tile.picture, in.sizes);
    const PixelSize mark = tile.mark == 2 ? in.sizes.markB : in.sizes.markA;
    tile.framed = i == in.clickedEvent;
    double right = 0.0;
    if (!out.scaled) {
      int x = lumivane::TruncToInt32((lg + 40 + kTilePitch * i) + (wg - 80 - kTilePitch * n) * along(row));
      x = std::max(x, -3);
      tile.at = {double(x), double(yc)};
      tile.width = bg.width;
      tile.height = bg.height;
      tile.distanceAt = {double(x), double(yc - 20)};
      tile.numberAt = {double(x + bg.width / 2), double(yc + bg.height)};
      right = x + bg.width / 2 + e.width / 2;
      tile.pictureAt = {double(x + bg.width / 2 - e.width / 2), double(yc + bg.height / 2 - e.height / 2)};
      tile.badgeAt = {double(x + bg.width - badge.width - 6), double(yc + bg.height - badge.height - 6)};
      tile.markAt = {double(x + 6), double(yc + bg.height - mark.height - 6)};
      if (i > 0) {
        const double from = previousRight;
        const double to = right - e.width;
        for (int dy : {0, 2, -2}) {
          const double y = yc + bg.height / 2 + dy;
          out.joins.push_back({{from, y}, {to, y}});
        }
      }
    } else {
      const double x = lg + 25 + kTilePitch * i * s1 + (wg - 50 - kTilePitch * n * s1) * along(row);
      const double y = yc;
      const double sw = bg.width * s1;
      const double sh = bg.height * s1;
      tile.at = {x, y};
      tile.width = sw;
      tile.height = sh;
      tile.pictureScale = s2;
      tile.distanceAt = {x, (n >= 10 && i % 2 == 1) ? y - 40 * s1 : y - 20 * s1};
      tile.numberAt = {x + sw / 2, y + sh};
      right = x + (sw + e.width * s2) / 2;
      tile.pictureAt = {x + (sw - e.width * s2) / 2, y + (sh - e.height * s2) / 2};
      tile.badgeAt = {x + sw - badge.width * s1 - 6, y + sh - badge.height * s1 - 6};
      tile.markAt = {x + 6 * s1, y + sh - mark.height * s1 - 6};
      if (i > 0) {
        const double to = right - e.width * s2;
        out.joins.push_back({{previousRight, y + sh / 2}, {to, y + sh / 2}});
        out.joins.push_back({{previousRight, y + (bg.height / 2 - 2) * s1}, {to, y + sh / 2 - 2}});
      }
    }
    previousRight = right;
    g_EventHitX[static_cast<std::size_t>(i)] = lumivane::TruncToInt32(tile.numberAt.x);
    g_EventHitY[static_cast<std::size_t>(i)] = lumivane::TruncToInt32(tile.numberAt.y);
    out.tiles.push_back(tile);
  }

  out.unitLabelY = out.scaled ? Trunc(yc - 20 * s1) : yc - 20;
  const double x0 = lg + 40;
  const double x1 = g.right - 40;
  for (int dy : {0, 2, -2}) out.overviewGreen.push_back({{x0, double(yo + dy)}, {x1, double(yo + dy)}});
  for (int dy : {4, -4}) out.overviewOrange.push_back({{x0, double(yo + dy)}, {x1, double(yo + dy)}});
  for (int i = 0; i < n; ++i) {
    const double t = Trunc((lg + 2 * i + 40) + (wg - 80 - 2 * n) * along(rows[static_cast<std::size_t>(i)]));
    out.ticks.push_back({{t, double(yo + 4)}, {t, double(yo - 5)}});
  }
  out.overviewMarkA = {double(lg + 40 - in.sizes.markA.width + 1), double(yo - in.sizes.markA.height / 2)};
  out.overviewMarkB = {double(g.right - 41), double(yo - in.sizes.markB.height / 2)};
  return out;
}
