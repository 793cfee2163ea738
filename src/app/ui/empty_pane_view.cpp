#include "app/ui/empty_pane_view.h"

#include <QPalette>

EmptyPaneView::EmptyPaneView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
  setMinimumSize(120, 80);
}

QWidget* MakeEmptyPaneView(COtdrDoc&) { return new EmptyPaneView; }
