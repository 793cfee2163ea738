#pragma once
// The view of a pane whose own view is not built yet: a blank area, so the five panes stand in their
// places and every open refreshes them the same way.
#include <QWidget>

class COtdrDoc;

class EmptyPaneView final : public QWidget {
  Q_OBJECT

 public:
  explicit EmptyPaneView(QWidget* parent = nullptr);
};

/// Makes an empty view; the document is not read.
QWidget* MakeEmptyPaneView(COtdrDoc& doc);
