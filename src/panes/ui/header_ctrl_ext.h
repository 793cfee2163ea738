#pragma once
// The extended list view's header: it resizes columns with its own divider dragging, live, never
// below width 0, and puts the width back when the drag loses the mouse. Clicks on headings and
// painting stay with the platform header.
#include <QHeaderView>
#include <QPoint>

class CHeaderCtrlExt final : public QHeaderView {
  Q_OBJECT

 public:
  explicit CHeaderCtrlExt(QWidget* parent = nullptr);

  /// The column whose divider lies under header x coordinate `x`: the divider to the right of a
  /// column, or the zone just right of a zero-width column, which then is the one meant; -1 elsewhere.
  int DividerAt(int x) const;
  /// The column being dragged, -1 when no drag runs.
  int TrackColumn() const { return m_nTrackColumn; }
  /// Ends a running drag without applying it, as when another window takes the mouse.
  void CancelTrack();

 signals:
  /// A divider was double-clicked; the list sizes that column.
  void DividerDoubleClicked(int column);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BeginTrack(int column, QPoint down);
  void EndTrack(bool commit);
  int TrackedWidth(QPoint at) const;

  int m_nTrackColumn = -1;
  int m_nStartWidth = 0;
  QPoint m_ptDown;
  QPoint m_ptUp;
};
