#include "panes/info_pane_view.h"

#include <QPainter>
#include <QPalette>

#include "document/otdr_doc.h"
#include "panes/pane_frame.h"

namespace {

constexpr int kFontPixelHeight = 13;
// The panes' columns were laid out for a dialog font of Arial's widths; wider faces overrun them.
constexpr const char* kFontFamily = "Arial";

}  // namespace

CInfoPaneView::CInfoPaneView(COtdrDoc& doc, PaneKind pane, int lineStep, QWidget* parent)
    : QWidget(parent), m_Doc(doc), m_Pane(pane), m_nLineStep(lineStep) {
  m_Font = QFont(kFontFamily);
  m_Font.setStyleHint(QFont::SansSerif);
  m_Font.setPixelSize(kFontPixelHeight);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  p.setColor(QPalette::WindowText, Qt::black);
  setPalette(p);
}

void CInfoPaneView::OnInitialUpdate() {
  PlacePaneFrame();
  OnUpdate(nullptr, kHintRefresh);
}

void CInfoPaneView::PlacePaneFrame() { PlacePaneFrameInTile(*this, m_Pane); }

void CInfoPaneView::paintEvent(QPaintEvent*) {
  m_PaintedLines.clear();
  if (!m_Doc.HasTrace()) return;
  m_PaintedLines = Lines();
  QPainter painter(this);
  painter.setFont(m_Font);
  painter.setPen(palette().color(QPalette::WindowText));
  const int ascent = painter.fontMetrics().ascent();
  int y = kPaneFirstLineY;
  for (const PaneLine& line : m_PaintedLines) {
    painter.drawText(0, y + ascent, QString::fromStdString(line.label));
    if (line.failing) {
      const QPen pen = painter.pen();
      painter.setPen(QColor(255, 0, 0));
      painter.drawText(line.valueX, y + ascent, QString::fromStdString(line.value));
      painter.setPen(pen);
    } else {
      painter.drawText(line.valueX, y + ascent, QString::fromStdString(line.value));
    }
    y += m_nLineStep;
  }
}
