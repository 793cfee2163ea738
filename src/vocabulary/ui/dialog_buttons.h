#pragma once
// The OK / Cancel row that the small dialogs share.

class QDialog;
class QBoxLayout;

/// Adds OK and Cancel, with the current language's texts, to the bottom of `layout`.
void AddOkCancel(QDialog& dialog, QBoxLayout& layout);
