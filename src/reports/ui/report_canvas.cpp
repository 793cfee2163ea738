#include "reports/ui/report_canvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The em of the sans-serif face that stands in for Arial is this fraction of its cell height.
constexpr double kCellPerEm = 1.117;
// The narrowest mark of a failing value, in units.
constexpr int kFailedMarkMinWidth = 10;

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

ReportCanvas::ReportCanvas(QPainter& painter, double pixelsPerUnit)
    : m_Painter(painter), m_dPixelsPerUnit(pixelsPerUnit > 0 ? pixelsPerUnit : 1.0) {
  m_Painter.setRenderHint(QPainter::Antialiasing, false);
  SetFont(12, false);
}

void ReportCanvas::SetFont(int height, bool bold) {
  m_nFontHeight = height;
  m_bBold = bold;
  m_Font = QFont("Arial");
  m_Font.setStyleHint(QFont::SansSerif);
  m_Font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * m_dPixelsPerUnit / kCellPerEm))));
  m_Font.setWeight(bold ? QFont::Black : QFont::Normal);
  m_Painter.setFont(m_Font);
}

int ReportCanvas::TextWidth(std::string_view text) const {
  return static_cast<int>(QFontMetricsF(m_Font, m_Painter.device()).horizontalAdvance(ToQString(text)) / m_dPixelsPerUnit);
}

void ReportCanvas::Text(int x, int y, std::string_view text, QColor colour, QColor background) {
  const QString s = ToQString(text);
  const QFontMetricsF metrics(m_Font, m_Painter.device());
  const QPointF topLeft(x * m_dPixelsPerUnit, -y * m_dPixelsPerUnit);
  if (background.isValid()) {
    m_Painter.fillRect(QRectF(topLeft, QSizeF(metrics.horizontalAdvance(s), m_nFontHeight * m_dPixelsPerUnit)), background);
  }
  m_Painter.setPen(colour);
  m_Painter.drawText(topLeft + QPointF(0, metrics.ascent()), s);
}

void ReportCanvas::FittedText(int x, int y, int width, int slotHeight, std::string_view text) {
  const int height = m_nFontHeight;
  const bool bold = m_bBold;
  if (TextWidth(text) <= width) {
    Text(x, y, text);
    return;
  }
  // Smaller first, down to a size that still reads well on paper; then broken over as many lines
  // as it takes within the slot, so the whole text prints and nothing runs into its neighbour.
  for (int h = height - 1; h >= kSmallestFittedHeight; --h) {
    SetFont(h, bold);
    if (TextWidth(text) <= width) {
      Text(x, y, text);
      SetFont(height, bold);
      return;
    }
  }
  const QString whole = ToQString(text);
  for (int lines = 2;; ++lines) {
    const int h = std::max(1, slotHeight / lines);
    SetFont(h, bold);
    const QFontMetricsF metrics(m_Font, m_Painter.device());
    std::vector<QString> parts;
    QString part;
    for (const QChar c : whole) {
      if (!part.isEmpty() && metrics.horizontalAdvance(part + c) / m_dPixelsPerUnit > width) {
        parts.push_back(part);
        part.clear();
      }
      part += c;
    }
    if (!part.isEmpty()) parts.push_back(part);
    if (static_cast<int>(parts.size()) <= lines || h == 1) {
      for (std::size_t i = 0; i < parts.size(); ++i) {
        Text(x, y - static_cast<int>(i) * h, parts[i].toStdString());
      }
      break;
    }
  }
  SetFont(height, bold);
}

void ReportCanvas::FailedText(int x, int y, std::string_view text) {
  // At least a small block, so that even a short value shows its mark.
  FillRect(x, y, kFailedMarkMinWidth, m_nFontHeight, Qt::black);
  Text(x, y, text, Qt::white, Qt::black);
}

void ReportCanvas::TextWithFailedValue(int x, int y, std::string_view text, std::size_t valueAt) {
  const std::string_view label = text.substr(0, std::min(valueAt, text.size()));
  Text(x, y, label);
  FailedText(x + TextWidth(label), y, text.substr(label.size()));
}

void ReportCanvas::TextEndingAt(int x, int y, std::string_view text) { Text(x - TextWidth(text), y, text); }

void ReportCanvas::Line(int x1, int y1, int x2, int y2, int width, QColor colour) {
  QPen pen(colour);
  pen.setWidthF(width * m_dPixelsPerUnit);
  pen.setCapStyle(Qt::FlatCap);
  m_Painter.setPen(pen);
  m_Painter.drawLine(QPointF(x1 * m_dPixelsPerUnit, -y1 * m_dPixelsPerUnit),
                     QPointF(x2 * m_dPixelsPerUnit, -y2 * m_dPixelsPerUnit));
}

void ReportCanvas::FillRect(int left, int top, int width, int height, QColor colour) {
  m_Painter.fillRect(QRectF(left * m_dPixelsPerUnit, -top * m_dPixelsPerUnit, width * m_dPixelsPerUnit,
                            height * m_dPixelsPerUnit),
                     colour);
}

void ReportCanvas::Image(int left, int top, int width, int height, const QImage& image) {
  m_Painter.drawImage(QRectF(left * m_dPixelsPerUnit, -top * m_dPixelsPerUnit, width * m_dPixelsPerUnit,
                             height * m_dPixelsPerUnit),
                      image);
}
