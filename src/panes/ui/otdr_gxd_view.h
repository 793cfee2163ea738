#pragma once
// The Marker Information pane: what markers A and B measure, as the document's values update last
// computed it on the broadcast (so the report shows the same whether or not the pane is open).
#include "panes/ui/info_pane_view.h"

class COtdrGxdView final : public CInfoPaneView {
  Q_OBJECT

 public:
  explicit COtdrGxdView(COtdrDoc& doc, QWidget* parent = nullptr);

  /// Repaints on every broadcast, whoever sent it: the markers may have moved.
  void OnUpdate(DocView* sender, int hint) override;
  PaneLines Lines() override;
};
