#pragma once
// What the three information panes share: a white text pane on the document that places its frame
// in its tile at every layout and draws its lines in a 13-pixel font, label at the left edge and
// value at the pane's value column, failing values in red. Nothing is drawn while no trace is loaded.
// Lines that do not fit the pane scroll.
#include <QAbstractScrollArea>
#include <QFont>
#include <QSize>

#include "document/doc_view.h"
#include "panes/info_pane_lines.h"

class COtdrDoc;

class CInfoPaneView : public QAbstractScrollArea, public DocView {
  Q_OBJECT

 public:
  CInfoPaneView(COtdrDoc& doc, PaneKind pane, int lineStep, QWidget* parent = nullptr);

  /// Places the frame in its tile and refreshes the pane as after a change of the document.
  void OnInitialUpdate() override;
  /// The lines the pane shows now.
  virtual PaneLines Lines() = 0;
  /// The lines of the last paint (empty when nothing was drawn).
  const PaneLines& PaintedLines() const { return m_PaintedLines; }
  const QFont& Font() const { return m_Font; }
  /// The size the pane's lines take, from its top left corner.
  QSize ContentSize() const { return m_ContentSize; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  /// Restores the pane's frame and moves it to its tile of the MDI area.
  void PlacePaneFrame();
  /// Fits the scroll range to the lines the pane shows now and repaints it.
  void Refresh();

  COtdrDoc& m_Doc;

 private:
  PaneKind m_Pane;
  int m_nLineStep;
  QFont m_Font;
  PaneLines m_PaintedLines;
  QSize m_ContentSize;

  void SetContentSize(const PaneLines& lines);
  void SetScrollRanges();
};
