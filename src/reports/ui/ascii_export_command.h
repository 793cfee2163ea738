#pragma once
// The document's "ASCII  Export..." command: the export options dialog, the record of the choice in
// "ConfigOutputAscii.ini", the choice of a file name and the text file itself.
#include <functional>
#include <optional>
#include <string>

class CCAsciiOutputDlg;
class COtdrDoc;
class QWidget;

/// What the export command uses of its surroundings; tests replace the dialogs and the folder.
struct AsciiExportEnvironment {
  /// The folder that receives "ConfigOutputAscii.ini" (the program's current directory).
  std::function<std::string()> iniFolder;
  /// Runs the options dialog; QDialog::Accepted after OK.
  std::function<int(CCAsciiOutputDlg&)> runOptions;
  /// Asks for the name of the text file; nothing when the user cancels.
  std::function<std::optional<std::string>(QWidget*)> chooseFile;
  QWidget* owner = nullptr;
};

/// The program's environment: the current directory and the real dialogs.
AsciiExportEnvironment DefaultAsciiExportEnvironment(QWidget* owner);

/// Runs the options dialog on the document's export options; after OK stores and records them, then exports.
void OnAsciiExport(COtdrDoc& doc, const AsciiExportEnvironment& env);

/// Asks for the file name and writes the current trace's text; false when nothing was written
/// (cancelled, or a failure the user has been told about). A failed write leaves an existing file as it was.
bool ExportAsciiText(const COtdrDoc& doc, const AsciiExportEnvironment& env);

/// Lets the document serve the export command, enabled while it holds a trace.
void BindAsciiExportCommand(COtdrDoc& doc, AsciiExportEnvironment env);
