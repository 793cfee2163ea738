#include "app/ui/trace_pane_view.h"

#include <QAction>
#include <QPainter>
#include <QPixmap>
#include <functional>
#include <string>
#include <utility>

#include "app/ui/command_table.h"
#include "app/ui/otdr_app.h"
#include "traceview/ui/otdr_display_view.h"
#include "vocabulary/command_ids.h"

namespace {

constexpr int kLegendIconSize = 24;

// A trace button's legend: a short line in the trace's colour along the bottom of its picture;
// none for a button without a trace.
void ShowTraceLegend(QAction& action, unsigned int colour) {
  const char* baseKey = "legendBaseIcon";
  const char* colourKey = "legendColour";
  if (action.property(colourKey).isValid() && action.property(colourKey).toUInt() == colour) return;
  if (!action.property(baseKey).isValid()) action.setProperty(baseKey, QVariant::fromValue(action.icon()));
  if (colour == kNoLegend) {
    action.setIcon(action.property(baseKey).value<QIcon>());
    action.setProperty(colourKey, colour);
    return;
  }
  QPixmap pixmap = action.property(baseKey).value<QIcon>().pixmap(kLegendIconSize, kLegendIconSize);
  if (pixmap.isNull()) {
    pixmap = QPixmap(kLegendIconSize, kLegendIconSize);
    pixmap.fill(Qt::transparent);
  }
  QPainter painter(&pixmap);
  painter.setPen(QPen(QColor::fromRgb(colour), 2));
  painter.drawLine(3, pixmap.height() - 2, pixmap.width() - 3, pixmap.height() - 2);
  painter.end();
  action.setIcon(QIcon(pixmap));
  action.setProperty(colourKey, colour);
}

}  // namespace

QWidget* MakeTracePaneView(COtdrDoc& doc) {
  auto* view = new COtdrDisplayView(doc, theApp->m_TraceList);
  CommandTable& commands = theApp->Commands();
  view->BindCommands([&commands](int id, std::function<void()> run, std::function<ViewCommandUi()> state) {
    commands.Bind(id, std::move(run), [state = std::move(state)] {
      const ViewCommandUi ui = state();
      return CommandUi{ui.enabled, ui.checked};
    });
  });
  view->SetCommandRunner([&commands](int id) { commands.Execute(id); });
  view->SetFileOpener([](const std::string& path) { theApp->OpenDocumentFile(path); });
  view->SetOverlayHost({
      [](const std::string& path) { theApp->OpenTraceByPath(path); },
      [](int i, int j) { theApp->SwapTraceEntries(i, j); },
      [] { theApp->RestoreListOrder(); },
      [](int position) {
        auto& list = theApp->m_TraceList;
        if (position >= 0 && position < static_cast<int>(list.size())) list.erase(list.begin() + position);
      },
      [&commands](int k, unsigned int colour) { ShowTraceLegend(*commands.Action(CmdTrace1 + k - 1), colour); },
      [] { return theApp->AskSaveFirst(); },
  });
  return view;
}
