#pragma once
// The document's own file commands with their dialogs: Save, Save As, Edit Trace Information and
// Batch Edit.
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "document/trace_save.h"

class COtdrDoc;
class QDialog;
class QFileDialog;
class QWidget;

/// Runs a modal dialog and returns its result; tests fill and close the dialog instead.
using DocDialogRunner = std::function<int(QDialog&)>;

/// Gives the Save As dialog its filters, the overwrite question and the suffix of each filter; it
/// starts in the folder and with the name of `documentPath` when that is a trace file.
void ConfigureSaveAsDialog(QFileDialog& dialog, const std::string& documentPath);
/// The name a Save As dialog was closed with.
SaveAsChoice SaveAsChoiceOf(const QFileDialog& dialog);

/// Edit Trace Information on the current trace: the dialog, then on OK the texts into its record,
/// the device text into g_DeviceName and the modified flag set.
void OnEditTraceInfo(COtdrDoc& doc, QWidget* parent, const DocDialogRunner& run);

/// Batch Edit: the dialog (starting at `startFolder`), then the listed files edited; a message
/// lists the files left unchanged.
void OnBatchEdit(COtdrDoc& doc, QWidget* parent, const QString& startFolder, const DocDialogRunner& run);

/// Serves the four commands and the save prompt; dialogs open over `parent()`, and the Save As
/// picture filter writes through `saveViewAsBmp`.
void BindDocumentFileCommands(COtdrDoc& doc, std::function<QWidget*()> parent,
                              std::function<bool(const std::string&)> saveViewAsBmp);
