#pragma once
// The plain drawing of a curve: one line from each sample to the next over the whole trace, as the
// plot was drawn before the per-column reduction. Tests compare pixels with it; the benchmark times it.
#include <QLine>
#include <QPainter>
#include <QPen>
#include <span>

#include "traceview/curve_geometry.h"

inline void DrawCurveSamplePerLine(QPainter& painter, std::span<const double> db, const CurveMapping& mapping,
                                   const QPen& pen) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(pen);
  if (!db.empty()) {
    QPoint previous(0, CurveY(db[0], mapping));
    for (int i = 1; i < static_cast<int>(db.size()); ++i) {
      const QPoint current(CurveX(i, mapping), CurveY(db[static_cast<std::size_t>(i)], mapping));
      painter.drawLine(previous, current);
      previous = current;
    }
  }
  painter.restore();
}
