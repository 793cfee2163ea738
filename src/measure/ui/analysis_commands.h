#pragma once
// The commands of trace analysis that open a dialog: Pass/Fail (a document command) and Trace
// Reanalysis (run by the Event Table pane, which keeps the wavelength entry chosen last).
#include <functional>
#include <string>
#include <string_view>

class COtdrDoc;
class QDialog;
class QWidget;

/// Runs a modal dialog and returns its result; tests fill and close the dialog instead.
using DialogRunner = std::function<int(QDialog&)>;

/// The runner of the program: QDialog::exec.
int ExecDialog(QDialog& dialog);

/// Pass/Fail: loads the limits from `programFolder`, runs the dialog and on OK takes its limits,
/// writes them to the file and sets the enable flags; broadcasts to the panes after OK and Cancel.
void OnPassFail(COtdrDoc& doc, std::string_view programFolder, QWidget* parent,
                const DialogRunner& run = ExecDialog);

/// Serves the document's Pass/Fail command with the limits file in `programFolder`; the dialog
/// opens over the window `parent` gives.
void BindPassFailCommand(COtdrDoc& doc, std::string programFolder, std::function<QWidget*()> parent);

/// Trace Reanalysis: runs the settings dialog, opened on the current trace's own settings, and
/// reanalyses the document on Apply. Returns whether the document was reanalysed.
bool RunTraceReanalysis(COtdrDoc& doc, QWidget* parent, const DialogRunner& run = ExecDialog);
