#include "panes/ui/header_ctrl_ext.h"

#include <QMouseEvent>
#include <QStyle>
#include <algorithm>
#include <cstdlib>

CHeaderCtrlExt::CHeaderCtrlExt(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  setMinimumSectionSize(0);
  setSectionResizeMode(QHeaderView::Interactive);
  setSectionsMovable(false);
  setStretchLastSection(false);
  setMouseTracking(true);
}

int CHeaderCtrlExt::DividerAt(int x) const {
  const int margin = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
  int found = -1;
  for (int visual = 0; visual < count(); ++visual) {
    const int column = logicalIndex(visual);
    if (isSectionHidden(column)) continue;
    const int edge = sectionViewportPosition(column) + sectionSize(column);
    // Left of an edge belongs to the column that ends there unless it has no width; right of it to
    // the last column ending there, so a zero-width column can be dragged open.
    if (std::abs(x - edge) <= margin && (sectionSize(column) > 0 || x >= edge)) found = column;
  }
  return found;
}

int CHeaderCtrlExt::TrackedWidth(QPoint at) const { return std::max(0, m_nStartWidth + (at.x() - m_ptDown.x())); }

void CHeaderCtrlExt::BeginTrack(int column, QPoint down) {
  m_nTrackColumn = column;
  m_ptDown = down;
  m_nStartWidth = sectionSize(column);
}

void CHeaderCtrlExt::EndTrack(bool commit) {
  if (m_nTrackColumn < 0) return;
  if (!commit) {
    resizeSection(m_nTrackColumn, m_nStartWidth);
  } else {
    resizeSection(m_nTrackColumn, TrackedWidth(m_ptUp));
  }
  m_nTrackColumn = -1;
}

void CHeaderCtrlExt::CancelTrack() { EndTrack(false); }

void CHeaderCtrlExt::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const int column = event->button() == Qt::LeftButton ? DividerAt(at.x()) : -1;
  if (column < 0) {
    QHeaderView::mousePressEvent(event);
    return;
  }
  BeginTrack(column, at);
  event->accept();
}

void CHeaderCtrlExt::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (m_nTrackColumn >= 0) {
    resizeSection(m_nTrackColumn, TrackedWidth(at));
    event->accept();
    return;
  }
  QHeaderView::mouseMoveEvent(event);
  setCursor(DividerAt(at.x()) >= 0 ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

void CHeaderCtrlExt::mouseReleaseEvent(QMouseEvent* event) {
  if (m_nTrackColumn < 0 || event->button() != Qt::LeftButton) {
    QHeaderView::mouseReleaseEvent(event);
    return;
  }
  m_ptUp = event->position().toPoint();
  EndTrack(true);
  event->accept();
}

void CHeaderCtrlExt::mouseDoubleClickEvent(QMouseEvent* event) {
  const int column = event->button() == Qt::LeftButton ? DividerAt(event->position().toPoint().x()) : -1;
  if (column < 0) {
    QHeaderView::mouseDoubleClickEvent(event);
    return;
  }
  // The platform's own sizing to the contents never runs; the list measures the cells itself.
  emit DividerDoubleClicked(column);
  event->accept();
}

bool CHeaderCtrlExt::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::UngrabMouse:
    case QEvent::WindowDeactivate:
    case QEvent::Hide: CancelTrack(); break;
    default: break;
  }
  return QHeaderView::event(event);
}
