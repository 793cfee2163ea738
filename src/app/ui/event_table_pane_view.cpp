#include "app/ui/event_table_pane_view.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "panes/ui/otdr_table_view.h"
#include "vocabulary/command_ids.h"

QWidget* MakeEventTablePaneView(COtdrDoc& doc) {
  // The pass/fail limits file lives beside the executable.
  auto* view = new COtdrTableView(doc, QCoreApplication::applicationDirPath().toStdString());
  theApp->BindViewCommand(
      *view, CmdDeleteEvent, [view] { view->OnDeleteEvent(); },
      [view] {
        // Only the active pane's view serves the Edit menu's Delete Event.
        const QMdiSubWindow* frame = theApp->PaneFrame(PaneKind::EventTable);
        return frame != nullptr && frame->widget() == view && frame->mdiArea() != nullptr &&
               frame->mdiArea()->activeSubWindow() == frame && view->OnUpdateDeleteEvent();
      });
  return view;
}
