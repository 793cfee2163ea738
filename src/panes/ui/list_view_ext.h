#pragma once
// A report list on which the Event Table pane is built. Beyond a plain table it paints cells in
// colours of their own, lets the user pick a current column with the right mouse button (shown by a
// focus rectangle around that cell of the focused row, painted in its own colours), searches that
// column as the user types, selects the focused row on Enter and Escape, scrolls a double-clicked
// cell into view and sizes a column to its widest text on a divider double-click.
#include <QTableView>
#include <functional>

#include "document/doc_view.h"
#include "panes/type_ahead_search.h"
#include "panes/ui/list_view_ext_model.h"

class CHeaderCtrlExt;

class CCListViewExt : public QTableView, public DocView {
  Q_OBJECT

 public:
  using ItemData = CListViewExtModel::ItemData;
  using CellInfo = CListViewExtModel::CellInfo;

  explicit CCListViewExt(QWidget* parent = nullptr);
  ~CCListViewExt() override;

  /// Records the list's default colours at the first call, then refreshes the view from its source.
  void OnInitialUpdate() override;
  /// Refreshes the view; the list itself only repaints.
  void OnUpdate(DocView* sender, int hint) override;

  /// Turns the current-cell display and the cell actions on or off.
  void EnableCellMode(bool enable) { m_bCellMode = enable; }
  bool CellMode() const { return m_bCellMode; }
  /// Sets a cell's background and text colours (kDefaultColour: the list's); ignored outside the list.
  void SetCellColors(int row, int column, ListColour bk, ListColour text);

  CListViewExtModel& Model() { return m_Model; }
  const CListViewExtModel& Model() const { return m_Model; }
  CHeaderCtrlExt& Header() { return *m_pHeader; }

  /// The current column chosen with the right mouse button, -1 none.
  int CurrentColumn() const { return m_nCurColumn; }
  /// Makes `column` the current column and repaints the focused row.
  void SetCurrentColumn(int column);
  /// The row with the keyboard focus, -1 none.
  int FocusedRow() const;
  /// The row last clicked or stepped to, -1 none.
  int GetSelectionMark() const { return m_nSelectionMark; }
  void SetSelectionMark(int row) { m_nSelectionMark = row; }
  /// The rectangle the last paint drew around the focused row or cell; empty when none was drawn.
  QRect LastFocusRect() const { return m_rcLastFocus; }
  /// Scrolls a cell fully into view, horizontally by as little as it needs.
  void ScrollCellIntoView(int row, int column);
  /// Sizes a column to its widest cell text (the first column's icon included).
  void AutoSizeColumn(int column);
  /// Replaces the clock of the type-ahead search (seconds since 1970).
  void SetClock(std::function<std::int64_t()> clock) { m_Clock = std::move(clock); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void OnRButtonDown(QMouseEvent* event);
  void OnChar(QKeyEvent* event);
  QRect RowBounds(int row) const;
  QRect FocusRectOf(int row) const;

  CListViewExtModel m_Model;
  CHeaderCtrlExt* m_pHeader;
  bool m_bCellMode = false;
  bool m_bDefaultsRecorded = false;
  int m_nCurColumn = -1;
  int m_nSelectionMark = -1;
  TypeAheadState m_Search;
  std::function<std::int64_t()> m_Clock;
  QRect m_rcLastFocus;
};
