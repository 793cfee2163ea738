#include "app/pane_templates.h"

#include <algorithm>

#include "app/empty_pane_view.h"
#include "app/trace_pane_view.h"

namespace {

// In template order, so a PaneKind indexes it.
const std::array<PaneTemplate, kPaneCount> kPaneTemplates{{
    {PaneKind::Trace, TextRow::TracePane, &MakeTracePaneView, false},
    {PaneKind::EventTable, TextRow::EventTablePane, &MakeEmptyPaneView, true},
    {PaneKind::Parameters, TextRow::ParametersPane, &MakeEmptyPaneView, true},
    {PaneKind::FiberInfo, TextRow::TotalFiberInformationPane, &MakeEmptyPaneView, true},
    {PaneKind::MarkerInfo, TextRow::MarkerInformationPane, &MakeEmptyPaneView, true},
}};

}  // namespace

const PaneTemplate& PaneTemplateOf(PaneKind pane) { return kPaneTemplates[static_cast<int>(pane)]; }

int WindowMenuIndex(PaneKind pane) {
  return static_cast<int>(std::find(kOpenOrder.begin(), kOpenOrder.end(), pane) - kOpenOrder.begin());
}
