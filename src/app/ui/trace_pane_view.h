#pragma once
// The Trace pane's view, wired to the application: the loaded-trace list it draws, the commands it
// serves, the commands it forwards and the open path for dropped files.
class COtdrDoc;
class QWidget;

/// Makes the trace view on the document; the application object must exist.
QWidget* MakeTracePaneView(COtdrDoc& doc);
