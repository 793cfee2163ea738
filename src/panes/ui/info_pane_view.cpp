#include "panes/ui/info_pane_view.h"

#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <algorithm>

#include "document/otdr_doc.h"
#include "panes/ui/pane_frame.h"

namespace {

constexpr int kFontPixelHeight = 13;
// The panes' columns were laid out for a dialog font of Arial's widths; wider faces overrun them.
constexpr const char* kFontFamily = "Arial";

}  // namespace

CInfoPaneView::CInfoPaneView(COtdrDoc& doc, PaneKind pane, int lineStep, QWidget* parent)
    : QAbstractScrollArea(parent), m_Doc(doc), m_Pane(pane), m_nLineStep(lineStep) {
  m_Font = QFont(kFontFamily);
  m_Font.setStyleHint(QFont::SansSerif);
  m_Font.setPixelSize(kFontPixelHeight);
  setFrameShape(QFrame::NoFrame);
  viewport()->setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  p.setColor(QPalette::Base, Qt::white);
  p.setColor(QPalette::WindowText, Qt::black);
  setPalette(p);
  viewport()->setPalette(p);
}

void CInfoPaneView::OnInitialUpdate() {
  PlacePaneFrame();
  OnUpdate(nullptr, kHintRefresh);
}

void CInfoPaneView::PlacePaneFrame() { PlacePaneFrameInTile(*this, m_Pane); }

void CInfoPaneView::paintEvent(QPaintEvent*) {
  m_PaintedLines.clear();
  if (m_Doc.HasTrace()) m_PaintedLines = Lines();
  SetContentSize(m_PaintedLines);
  if (m_PaintedLines.empty()) return;

  QPainter painter(viewport());
  painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
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

void CInfoPaneView::Refresh() {
  SetContentSize(m_Doc.HasTrace() ? Lines() : PaneLines{});
  viewport()->update();
}

// The lines' extent with a margin as wide as the first line's distance from the top.
void CInfoPaneView::SetContentSize(const PaneLines& lines) {
  const QFontMetrics metrics(m_Font);
  QSize size;
  for (const PaneLine& line : lines) {
    const int right = std::max(metrics.horizontalAdvance(QString::fromStdString(line.label)),
                               line.valueX + metrics.horizontalAdvance(QString::fromStdString(line.value)));
    size.setWidth(std::max(size.width(), right + kPaneFirstLineY));
  }
  if (!lines.empty()) size.setHeight(2 * kPaneFirstLineY + m_nLineStep * static_cast<int>(lines.size()));
  m_ContentSize = size;
  SetPaneContentNeed(*this, m_Pane, size);
  SetScrollRanges();
}

void CInfoPaneView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  SetScrollRanges();
}

// The bars cover what the lines need beyond the visible part.
void CInfoPaneView::SetScrollRanges() {
  const QSize visible = viewport()->size();
  const QSize over(std::max(m_ContentSize.width() - visible.width(), 0),
                   std::max(m_ContentSize.height() - visible.height(), 0));
  if (horizontalScrollBar()->maximum() != over.width()) horizontalScrollBar()->setRange(0, over.width());
  if (verticalScrollBar()->maximum() != over.height()) verticalScrollBar()->setRange(0, over.height());
  horizontalScrollBar()->setPageStep(visible.width());
  verticalScrollBar()->setPageStep(visible.height());
  verticalScrollBar()->setSingleStep(m_nLineStep);
}
