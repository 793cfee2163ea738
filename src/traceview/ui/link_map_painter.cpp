#include "traceview/ui/link_map_painter.h"

#include <QFont>
#include <QFontMetrics>

#include "platform/saturate.h"

namespace {

using lumivane::TruncToInt32;

QPoint Truncated(const LinkPoint& p) { return {TruncToInt32(p.x), TruncToInt32(p.y)}; }

const QImage& PictureOf(const LinkMapPictures& pictures, LinkPicture picture) {
  switch (picture) {
    case LinkPicture::Start: return pictures.start;
    case LinkPicture::End: return pictures.end;
    case LinkPicture::Reflector: return pictures.reflector;
    case LinkPicture::Connector: return pictures.connector;
    case LinkPicture::Router: return pictures.router;
  }
  return pictures.connector;
}

// A picture at `scale`, its size truncated as the stretch would.
void DrawScaled(QPainter& painter, const QImage& picture, const LinkPoint& at, double scale) {
  const QRect target(Truncated(at), QSize(TruncToInt32(picture.width() * scale), TruncToInt32(picture.height() * scale)));
  painter.drawImage(target, picture);
}

void DrawLines(QPainter& painter, const std::vector<LinkLine>& lines, QRgb colour) {
  painter.setPen(QPen(QColor(colour), 2));
  for (const LinkLine& line : lines) painter.drawLine(Truncated(line.from), Truncated(line.to));
}

}  // namespace

const LinkMapPictures& LoadedLinkMapPictures() {
  static const LinkMapPictures pictures{
      QImage(QStringLiteral(":/traceview/link_background.png")), QImage(QStringLiteral(":/traceview/link_start.png")),
      QImage(QStringLiteral(":/traceview/link_end.png")),        QImage(QStringLiteral(":/traceview/link_reflector.png")),
      QImage(QStringLiteral(":/traceview/link_connector.png")),  QImage(QStringLiteral(":/traceview/link_router.png")),
      QImage(QStringLiteral(":/traceview/link_pass.png")),       QImage(QStringLiteral(":/traceview/link_fail.png")),
      QImage(QStringLiteral(":/traceview/link_a.png")),          QImage(QStringLiteral(":/traceview/link_b.png"))};
  return pictures;
}

LinkMapPictureSizes LinkMapSizesOf(const LinkMapPictures& p) {
  auto size = [](const QImage& image) { return PixelSize{image.width(), image.height()}; };
  return {size(p.background), size(p.start), size(p.end),   size(p.reflector), size(p.connector),
          size(p.router),     size(p.pass),  size(p.markA), size(p.markB)};
}

void DrawLinkMapLayout(QPainter& painter, const LinkMapLayout& layout, const std::vector<std::string>& distanceLabels,
                       const std::string& unitName, int gridRight) {
  if (!layout.drawn) return;
  const LinkMapPictures& pictures = LoadedLinkMapPictures();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(std::max(layout.fontHeight, 1));
  font.setWeight(QFont::ExtraLight);
  painter.setFont(font);
  // Labels stand on a box of the plot's background, so grid lines do not run through them.
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(Qt::white);
  for (std::size_t i = 0; i < layout.tiles.size(); ++i) {
    const LinkMapTile& tile = layout.tiles[i];
    painter.setPen(Qt::black);
    if (i < distanceLabels.size()) {
      painter.drawText(QRect(Truncated(tile.distanceAt), QSize(400, layout.fontHeight + 4)),
                       Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(distanceLabels[i]));
    }
    painter.drawText(QRect(Truncated(tile.numberAt), QSize(60, layout.fontHeight + 4)), Qt::AlignLeft | Qt::AlignTop,
                     QString::number(i + 1));
    const QRect tileRect(Truncated(tile.at), QSize(TruncToInt32(tile.width), TruncToInt32(tile.height)));
    painter.drawImage(tileRect, pictures.background);
    DrawScaled(painter, PictureOf(pictures, tile.picture), tile.pictureAt, tile.pictureScale);
    DrawScaled(painter, tile.pass ? pictures.pass : pictures.fail, tile.badgeAt, tile.pictureScale);
    if (tile.mark != 0) DrawScaled(painter, tile.mark == 1 ? pictures.markA : pictures.markB, tile.markAt, tile.pictureScale);
    if (tile.framed) {
      painter.setPen(QPen(Qt::black, 1));
      painter.setBrush(Qt::NoBrush);
      const QPoint a = Truncated({tile.at.x - 1, tile.at.y - 1});
      const QPoint b = Truncated({tile.at.x + tile.width + 1, tile.at.y + tile.height + 1});
      const QPoint corners[] = {a, {b.x(), a.y()}, b, {a.x(), b.y()}, a};
      painter.drawPolyline(corners, 5);
    }
  }
  DrawLines(painter, layout.joins, kLinkGreen);
  painter.setPen(Qt::black);
  const QString unit = QString::fromStdString(unitName);
  const int unitWidth = QFontMetrics(font).horizontalAdvance(unit);
  painter.drawText(QPoint(gridRight - unitWidth, TruncToInt32(layout.unitLabelY) + QFontMetrics(font).ascent()), unit);
  DrawLines(painter, layout.overviewGreen, kLinkGreen);
  DrawLines(painter, layout.overviewOrange, kLinkOrange);
  painter.setPen(QPen(QColor(kLinkYellow), 2));
  for (const LinkLine& tick : layout.ticks) painter.drawLine(Truncated(tick.from), Truncated(tick.to));
  painter.drawImage(Truncated(layout.overviewMarkA), pictures.markA);
  painter.drawImage(Truncated(layout.overviewMarkB), pictures.markB);
  painter.restore();
}
