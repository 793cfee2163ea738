#include "panes/ui/otdr_gxl_view.h"

#include "document/otdr_doc.h"
#include "measure/link_orl_cache.h"
#include "panes/fiber_info_text.h"

COtdrGxlView::COtdrGxlView(COtdrDoc& doc, QWidget* parent)
    : CInfoPaneView(doc, PaneKind::FiberInfo, kFiberInfoLineStep, parent) {}

void COtdrGxlView::OnUpdate(DocView* sender, int) {
  if (sender != nullptr) return;
  if (m_Doc.HasTrace()) TakeLinkOrl(m_Doc);
  Refresh();
}

PaneLines COtdrGxlView::Lines() { return FiberInfoLines(m_Doc, CurrentDisplayUnit()); }
