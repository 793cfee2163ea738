#pragma once
// The Parameters pane: the current trace's acquisition parameters, read afresh at every paint.
#include "panes/ui/info_pane_view.h"

class COtdrParaView final : public CInfoPaneView {
  Q_OBJECT

 public:
  explicit COtdrParaView(COtdrDoc& doc, QWidget* parent = nullptr);

  /// Repaints after a change of the document; broadcasts from other views change nothing shown here.
  void OnUpdate(DocView* sender, int hint) override;
  PaneLines Lines() override;
};
