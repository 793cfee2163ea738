#include "panes/otdr_gxd_view.h"

#include "document/otdr_doc.h"
#include "panes/marker_info_text.h"

COtdrGxdView::COtdrGxdView(COtdrDoc& doc, QWidget* parent)
    : CInfoPaneView(doc, PaneKind::MarkerInfo, kMarkerInfoLineStep, parent) {}

void COtdrGxdView::OnUpdate(DocView*, int hint) {
  UpdateMarkerReadings(m_Doc, hint, m_Readings);
  // Printing reprints these texts, also while the pane is hidden and never paints.
  if (m_Doc.HasTrace()) PublishMarkerInfo(m_Doc, m_Readings, CurrentDisplayUnit());
  Refresh();
}

PaneLines COtdrGxdView::Lines() { return PublishMarkerInfo(m_Doc, m_Readings, CurrentDisplayUnit()); }
