#include "panes/ui/event_icon_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "panes/event_table_cells.h"

namespace {

constexpr int kSize = 16;

QPixmap Blank() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QIcon Draw(int image) {
  QPixmap pixmap = Blank();
  if (image == kIconBlank) return QIcon(pixmap);
  QPainter p(&pixmap);
  p.setPen(QPen(QColor(0, 0, 128), 1.5));
  switch (image) {
    case kIconStart:
      p.drawLine(4, 2, 4, 14);
      p.drawLine(4, 8, 13, 8);
      break;
    case kIconEnd:
      p.drawLine(12, 2, 12, 14);
      p.drawLine(3, 8, 12, 8);
      break;
    case kIconReflective:
      p.drawPolyline(QPolygon({{1, 12}, {6, 12}, {8, 2}, {10, 12}, {15, 12}}));
      break;
    case kIconNonReflective:
      p.drawPolyline(QPolygon({{1, 5}, {8, 5}, {8, 11}, {15, 11}}));
      break;
    case kIconOverThreshold:
      p.setPen(QPen(QColor(0, 0, 128), 1.5, Qt::DashLine));
      p.drawLine(1, 8, 15, 8);
      break;
    case kIconStepUp:
      p.drawPolyline(QPolygon({{1, 11}, {8, 11}, {8, 5}, {15, 5}}));
      break;
    case kIconSplitter:
      p.drawLine(1, 8, 7, 8);
      for (const int y : {2, 6, 10, 14}) p.drawLine(7, 8, 15, y);
      break;
    default: break;
  }
  p.end();
  return QIcon(pixmap);
}

}  // namespace

std::vector<QIcon> MakeEventIcons() {
  std::vector<QIcon> icons;
  icons.reserve(kEventIconCount);
  for (int image = 0; image < kEventIconCount; ++image) icons.push_back(Draw(image));
  return icons;
}
