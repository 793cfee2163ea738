#pragma once
// The list boxes of the batch dialogs and how they mirror a SelectableList,
// shared by Batch Edit and the batch print file selection.
#include <QListWidget>
#include <cstddef>
#include <string>
#include <vector>

#include "document/batch_file_lists.h"

/// A list of bare file names with extended selection that never sorts itself.
QListWidget* MakeBatchFileList(QWidget* parent);

/// The rows selected in the list, top to bottom.
std::vector<std::size_t> SelectedRowsOf(const QListWidget& list);

/// Shows the model's names and selection; the first selected name is scrolled
/// to the top.
void ShowSelectableList(QListWidget& list, const SelectableList& model);

/// The "Format Error" question about a file the trace-file test refused; true
/// answers Yes.
bool AskFormatErrorContinue(const std::string& name);
