#pragma once
// The document's "Print Option..." command: the print options dialog on the document's options and
// the record of the report gates in "ConfigReport.ini" after every OK.
#include <functional>
#include <optional>
#include <string>

class CCPrintOptionsDlg;
class COtdrDoc;
class QWidget;

/// What the command uses of its surroundings; tests replace the dialog run and the folder.
struct PrintOptionEnvironment {
  /// The folder that receives "ConfigReport.ini" (the program's current directory).
  std::function<std::string()> iniFolder;
  /// Runs the dialog; QDialog::Accepted after OK.
  std::function<int(CCPrintOptionsDlg&)> runDialog;
  QWidget* owner = nullptr;
};

/// The program's environment: the current directory and the real dialog.
PrintOptionEnvironment DefaultPrintOptionEnvironment(QWidget* owner);

/// Runs the dialog on the document's print options; after OK stores them and writes "ConfigReport.ini".
void OnPrintOption(COtdrDoc& doc, const PrintOptionEnvironment& env);

/// Lets the document serve the command; it is always enabled.
void BindPrintOptionCommand(COtdrDoc& doc, PrintOptionEnvironment env);
