#pragma once
// How each of the five panes is made. All five are views of the one document; a pane whose own
// view is not built yet shows an empty view in its place.
#include <array>

#include "document/doc_view.h"
#include "vocabulary/text_rows.h"

class COtdrDoc;
class QWidget;

inline constexpr int kPaneCount = 5;

/// The order in which the templates are registered.
inline constexpr std::array<PaneKind, kPaneCount> kTemplateOrder{
    PaneKind::Trace, PaneKind::EventTable, PaneKind::Parameters, PaneKind::FiberInfo, PaneKind::MarkerInfo};

/// The order in which an open creates and refreshes the panes; also the Window menu's numbering,
/// which the check mark (ActivePane) counts in.
inline constexpr std::array<PaneKind, kPaneCount> kOpenOrder{
    PaneKind::Trace, PaneKind::EventTable, PaneKind::Parameters, PaneKind::MarkerInfo, PaneKind::FiberInfo};

/// Makes the view of a pane on the document. The widget is put into the pane's frame by the caller;
/// when it is also a DocView, the open path gives it its initial update.
using PaneViewMaker = QWidget* (*)(COtdrDoc& doc);

/// How one pane is made.
struct PaneTemplate {
  PaneKind pane;
  LangRow caption;         ///< row of the frame's caption
  PaneViewMaker makeView;  ///< the pane's view
  bool closable;           ///< the Trace pane stays open for the whole run
};

/// The template of a pane.
const PaneTemplate& PaneTemplateOf(PaneKind pane);

/// The pane's number in the Window menu, 0 to 4.
int WindowMenuIndex(PaneKind pane);
