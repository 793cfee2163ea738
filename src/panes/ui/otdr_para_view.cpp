#include "panes/ui/otdr_para_view.h"

#include "panes/parameters_text.h"

COtdrParaView::COtdrParaView(COtdrDoc& doc, QWidget* parent)
    : CInfoPaneView(doc, PaneKind::Parameters, kParametersLineStep, parent) {}

void COtdrParaView::OnUpdate(DocView* sender, int) {
  if (sender == nullptr) Refresh();
}

PaneLines COtdrParaView::Lines() { return ParametersLines(m_Doc, CurrentDisplayUnit()); }
