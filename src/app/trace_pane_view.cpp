#include "app/trace_pane_view.h"

#include <functional>
#include <string>
#include <utility>

#include "app/command_table.h"
#include "app/otdr_app.h"
#include "traceview/otdr_display_view.h"

QWidget* MakeTracePaneView(COtdrDoc& doc) {
  auto* view = new COtdrDisplayView(doc, theApp->m_TraceList);
  CommandTable& commands = theApp->Commands();
  view->BindCommands([&commands](int id, std::function<void()> run, std::function<bool()> enabled) {
    commands.Bind(id, std::move(run), [enabled = std::move(enabled)] { return EnabledIf(enabled()); });
  });
  view->SetCommandRunner([&commands](int id) { commands.Execute(id); });
  view->SetFileOpener([](const std::string& path) { theApp->OpenDocumentFile(path); });
  return view;
}
