#pragma once
// The Event Table pane's view, wired to the application: the Edit menu's Delete Event, served while
// the pane is the active one.
class COtdrDoc;
class QWidget;

/// Makes the event table view on the document; the application object must exist.
QWidget* MakeEventTablePaneView(COtdrDoc& doc);
