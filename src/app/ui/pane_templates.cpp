#include "app/ui/pane_templates.h"

#include <algorithm>

#include "app/ui/empty_pane_view.h"
#include "app/ui/event_table_pane_view.h"
#include "app/ui/trace_pane_view.h"
#include "panes/ui/otdr_gxd_view.h"
#include "panes/ui/otdr_gxl_view.h"
#include "panes/ui/otdr_para_view.h"

namespace {

template <typename View>
QWidget* MakeInfoPaneView(COtdrDoc& doc) {
  return new View(doc);
}

// In template order, so a PaneKind indexes it.
const std::array<PaneTemplate, kPaneCount> kPaneTemplates{{
    {PaneKind::Trace, TextRow::TracePane, &MakeTracePaneView, false},
    {PaneKind::EventTable, TextRow::EventTablePane, &MakeEventTablePaneView, true},
    {PaneKind::Parameters, TextRow::ParametersPane, &MakeInfoPaneView<COtdrParaView>, true},
    {PaneKind::FiberInfo, TextRow::TotalFiberInformationPane, &MakeInfoPaneView<COtdrGxlView>, true},
    {PaneKind::MarkerInfo, TextRow::MarkerInformationPane, &MakeInfoPaneView<COtdrGxdView>, true},
}};

}  // namespace

const PaneTemplate& PaneTemplateOf(PaneKind pane) { return kPaneTemplates[static_cast<int>(pane)]; }

int WindowMenuIndex(PaneKind pane) {
  return static_cast<int>(std::find(kOpenOrder.begin(), kOpenOrder.end(), pane) - kOpenOrder.begin());
}
