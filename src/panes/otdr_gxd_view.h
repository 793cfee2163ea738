#pragma once
// The Marker Information pane: what markers A and B measure. It recomputes its readings on every
// broadcast, whoever sent it, and leaves its texts in the document for the printed report.
#include "panes/info_pane_view.h"
#include "panes/marker_readings.h"

class COtdrGxdView final : public CInfoPaneView {
  Q_OBJECT

 public:
  explicit COtdrGxdView(COtdrDoc& doc, QWidget* parent = nullptr);

  /// Recomputes the readings (hint 1 first moves the active marker onto the current event), leaves
  /// the texts in the document and repaints.
  void OnUpdate(DocView* sender, int hint) override;
  PaneLines Lines() override;
  const MarkerReadings& Readings() const { return m_Readings; }

 private:
  MarkerReadings m_Readings;
};
