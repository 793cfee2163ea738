#pragma once
// What the trace view's small dialogs share: texts by row of the language table and an OK / Cancel
// row that closes the dialog.
#include <QString>

class QDialog;
class QBoxLayout;

/// The text of row `row` of the current language.
QString DialogText(int row);

/// Adds OK and Cancel, with the current language's texts, to the bottom of `layout`.
void AddOkCancel(QDialog& dialog, QBoxLayout& layout);
