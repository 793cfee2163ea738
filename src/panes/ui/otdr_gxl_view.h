#pragma once
// The Total Fiber Information pane: measurement time and link totals of the current trace.
#include "panes/ui/info_pane_view.h"

class COtdrGxlView final : public CInfoPaneView {
  Q_OBJECT

 public:
  explicit COtdrGxlView(COtdrDoc& doc, QWidget* parent = nullptr);

  /// After a change of the document: brings the link ORL up to date (printing reads it, also while
  /// the pane is hidden) and repaints. Broadcasts from other views change nothing shown here.
  void OnUpdate(DocView* sender, int hint) override;
  PaneLines Lines() override;
};
