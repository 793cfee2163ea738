// The link map on paper: the trace view's own link-map layout drawn with lines and text at the
// printer's resolution, one plot pixel per 1/300 inch as the trace graph. The screen's tile
// pictures become simple outlined figures, so the page holds no picture at all.
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <span>

#include "document/otdr_doc.h"
#include "measure/pass_fail_check.h"
#include "reports/report_graph_geometry.h"
#include "reports/ui/single_trace_report.h"
#include "traceview/link_map_layout.h"
#include "traceview/ui/link_map_painter.h"
#include "vocabulary/length_unit.h"

namespace {

constexpr QRgb kTileOutline = qRgb(150, 150, 150);
constexpr QRgb kPassColour = qRgb(0, 150, 0);
constexpr QRgb kFailColour = qRgb(220, 0, 0);
constexpr QRgb kMarkColour = qRgb(0, 64, 128);

QPointF At(const LinkPoint& p) { return {p.x, p.y}; }

QRectF Box(const LinkPoint& at, const PixelSize& size, double scale) {
  return {At(at), QSizeF(size.width * scale, size.height * scale)};
}

// The event's figure inside its picture's box.
void DrawPicture(QPainter& painter, LinkPicture picture, const QRectF& r) {
  painter.setPen(QPen(Qt::black, std::max(1.0, r.height() / 8)));
  painter.setBrush(Qt::NoBrush);
  const double midY = r.center().y();
  switch (picture) {
    case LinkPicture::Start: {  // the light going in
      const QPointF arrow[] = {r.topLeft(), {r.right(), midY}, r.bottomLeft()};
      painter.setBrush(Qt::black);
      painter.drawPolygon(arrow, 3);
      break;
    }
    case LinkPicture::End:  // the fibre's cut end
      painter.drawLine(QPointF(r.left(), midY), QPointF(r.right(), midY));
      painter.drawLine(QPointF(r.right(), r.top()), QPointF(r.right(), r.bottom()));
      break;
    case LinkPicture::Reflector:  // light sent back
      painter.drawEllipse(r.adjusted(r.width() / 4, r.height() / 4, -r.width() / 4, -r.height() / 4));
      painter.drawLine(QPointF(r.right(), r.top()), QPointF(r.left(), midY));
      painter.drawLine(QPointF(r.left(), midY), QPointF(r.right(), r.bottom()));
      break;
    case LinkPicture::Connector:  // two mated ferrules
      painter.drawRect(QRectF(r.left(), r.top(), r.width() / 2, r.height()));
      painter.drawRect(QRectF(r.center().x(), r.top() + r.height() / 4, r.width() / 2, r.height() / 2));
      break;
    case LinkPicture::Router:  // one fibre splitting into several
      painter.drawLine(QPointF(r.left(), midY), QPointF(r.center().x(), midY));
      for (const double y : {r.top(), midY, r.bottom()}) painter.drawLine(QPointF(r.center().x(), midY), QPointF(r.right(), y));
      break;
  }
}

void DrawBadge(QPainter& painter, bool pass, const QRectF& r) {
  painter.setPen(QPen(QColor(pass ? kPassColour : kFailColour), std::max(1.0, r.height() / 6)));
  if (pass) {
    painter.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.left() + r.width() / 3, r.bottom()));
    painter.drawLine(QPointF(r.left() + r.width() / 3, r.bottom()), r.topRight());
  } else {
    painter.drawLine(r.topLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomLeft());
  }
}

void DrawMark(QPainter& painter, char name, const QRectF& r) {
  painter.setPen(QPen(QColor(kMarkColour), std::max(1.0, r.height() / 10)));
  painter.setBrush(Qt::white);
  painter.drawEllipse(r);
  QFont font = painter.font();
  font.setPixelSize(std::max(1, static_cast<int>(r.height() * 0.7)));
  painter.setFont(font);
  painter.drawText(r, Qt::AlignCenter, QString(QChar(name)));
}

void DrawLines(QPainter& painter, const std::vector<LinkLine>& lines, QRgb colour) {
  painter.setPen(QPen(QColor(colour), 2));
  for (const LinkLine& line : lines) painter.drawLine(At(line.from), At(line.to));
}

}  // namespace

void SingleTraceReport::PrintLinkMap(QPainter& painter, const PixelRect& box, const ReportTraceSet& set,
                                     const ReportViewSnapshot& view) {
  LinkMapInputs in;
  in.grid = box;
  in.clientWidth = box.Width();
  in.showEventBar = view.showEventBar;
  in.clickedEvent = m_Doc.m_nTableClickedEvent;
  in.sizes = LinkMapSizesOf(LoadedLinkMapPictures());
  const LinkMapLayout layout = LayoutLinkMap(set.rows, LossLimitFails(set.rows, set.limits), in);
  if (!layout.drawn) return;

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(layout.fontHeight, 1));
  painter.setFont(font);
  for (std::size_t i = 0; i < layout.tiles.size(); ++i) {
    const LinkMapTile& tile = layout.tiles[i];
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QSizeF label(400, layout.fontHeight + 4);
    painter.drawText(QRectF(At(tile.distanceAt), label), Qt::AlignLeft | Qt::AlignTop,
                     QString::fromStdString(LinkDistanceLabel(set.rows[i].Distance, g_LengthUnitFactor)));
    painter.drawText(QRectF(At(tile.numberAt), label), Qt::AlignLeft | Qt::AlignTop, QString::number(i + 1));
    painter.setPen(QPen(QColor(kTileOutline), 1));
    painter.setBrush(Qt::NoBrush);
    const QRectF tileRect(At(tile.at), QSizeF(tile.width, tile.height));
    painter.drawRoundedRect(tileRect, tile.width / 8, tile.height / 8);
    const PixelSize& pictureSize = tile.picture == LinkPicture::Start       ? in.sizes.start
                                   : tile.picture == LinkPicture::End       ? in.sizes.end
                                   : tile.picture == LinkPicture::Reflector ? in.sizes.reflector
                                   : tile.picture == LinkPicture::Router    ? in.sizes.router
                                                                            : in.sizes.connector;
    DrawPicture(painter, tile.picture, Box(tile.pictureAt, pictureSize, tile.pictureScale));
    DrawBadge(painter, tile.pass, Box(tile.badgeAt, in.sizes.badge, tile.pictureScale));
    if (tile.mark != 0) {
      DrawMark(painter, tile.mark == 1 ? 'A' : 'B', Box(tile.markAt, tile.mark == 1 ? in.sizes.markA : in.sizes.markB,
                                                        tile.pictureScale));
    }
    if (tile.framed) {
      painter.setPen(QPen(Qt::black, 1));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(tileRect.adjusted(-1, -1, 1, 1));
    }
  }
  DrawLines(painter, layout.joins, kLinkGreen);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QString unit = QString::fromStdString(g_LengthUnitName);
  painter.drawText(QRectF(box.left, layout.unitLabelY, box.Width(), layout.fontHeight + 4), Qt::AlignRight | Qt::AlignTop,
                   unit);
  DrawLines(painter, layout.overviewGreen, kLinkGreen);
  DrawLines(painter, layout.overviewOrange, kLinkOrange);
  DrawLines(painter, layout.ticks, kLinkYellow);
  DrawMark(painter, 'A', Box(layout.overviewMarkA, in.sizes.markA, 1.0));
  DrawMark(painter, 'B', Box(layout.overviewMarkB, in.sizes.markB, 1.0));
  painter.restore();
}
