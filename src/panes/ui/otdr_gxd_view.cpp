#include "panes/ui/otdr_gxd_view.h"

#include "document/otdr_doc.h"
#include "panes/marker_info_text.h"
#include "panes/trace_values.h"

COtdrGxdView::COtdrGxdView(COtdrDoc& doc, QWidget* parent)
    : CInfoPaneView(doc, PaneKind::MarkerInfo, kMarkerInfoLineStep, parent) {}

void COtdrGxdView::OnUpdate(DocView*, int) { Refresh(); }

PaneLines COtdrGxdView::Lines() {
  return MarkerInfoLines(m_Doc, m_Doc.m_MarkerReadings, MarkerOrlOf(m_Doc), CurrentDisplayUnit());
}
