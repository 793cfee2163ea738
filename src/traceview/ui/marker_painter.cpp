#include "traceview/ui/marker_painter.h"

#include <QFont>
#include <vector>

#include "platform/saturate.h"
#include "trace/display_records.h"

using lumivane::TruncToInt32;

void DrawMarkerLabel(QPainter& painter, const MarkerLabelLayout& layout, bool active) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(layout.lineX, layout.lineBottom, layout.lineX, layout.lineTop);
  const QRect box(layout.box.left, layout.box.top, layout.box.Width(), layout.box.Height());
  painter.fillRect(box, active ? QColor(kActiveLabelColour) : QColor(Qt::white));
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(12);
  painter.setFont(font);
  painter.setPen(active ? Qt::white : Qt::black);
  painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, QString::fromStdString(layout.text));
  painter.restore();
}

void DrawAuxMarkerSet(QPainter& painter, const PaintParams& params, double maxDb, std::span<const AuxPoint> points) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(Qt::black, 2));
  painter.setBrush(Qt::white);
  const double cy = params.canvas.height;
  std::vector<QPoint> centres;
  std::vector<bool> shown;
  for (const AuxPoint& aux : points) {
    const bool visible = aux.value < kMissingValue;
    const QRect ring(QPoint(TruncToInt32(aux.index * params.pixelsPerSample - 4),
                            TruncToInt32(cy - (maxDb - aux.value) * params.pixelsPerDb - 4)),
                     QPoint(TruncToInt32(aux.index * params.pixelsPerSample + 4),
                            TruncToInt32(cy - (maxDb - aux.value) * params.pixelsPerDb + 4)));
    centres.push_back(ring.center());
    shown.push_back(visible);
    if (visible) painter.drawEllipse(ring.adjusted(0, 0, -1, -1));
  }
  for (std::size_t first = 0; first + 1 < centres.size(); first += 2) {
    if (shown[first] && shown[first + 1]) painter.drawLine(centres[first], centres[first + 1]);
  }
  painter.restore();
}
