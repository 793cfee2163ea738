#pragma once
// The list boxes of the batch dialogs and how they mirror a SelectableList,
// shared by Batch Edit and the batch print file selection.
#include <QListWidget>
#include <cstddef>
#include <string>
#include <vector>

#include "document/batch_file_lists.h"

class QPushButton;

/// The two list boxes and the move buttons of a batch file selection.
struct BatchListControls {
  QListWidget* folder = nullptr;
  QListWidget* chosen = nullptr;
  QPushButton* add = nullptr;
  QPushButton* insert = nullptr;
  QPushButton* addAll = nullptr;
  QPushButton* remove = nullptr;
  QPushButton* removeAll = nullptr;
  QPushButton* ok = nullptr;
};

/// A list of bare file names with extended selection that never sorts itself.
QListWidget* MakeBatchFileList(QWidget* parent);

/// The rows selected in the list, top to bottom.
std::vector<std::size_t> SelectedRowsOf(const QListWidget& list);

/// Shows the model's names and selection; the first selected name is scrolled
/// to the top.
void ShowSelectableList(QListWidget& list, const SelectableList& model);

/// The folder `path` as the lists hold it: ending in "/".
std::string BatchFolderOf(const QString& path);

/// Copies the selections of both list boxes into `lists`.
void TakeBatchSelections(BatchFileLists& lists, const BatchListControls& controls);

/// Shows both lists of `lists` in their boxes.
void ShowBatchLists(const BatchFileLists& lists, const BatchListControls& controls);

/// Takes the selections, then enables each button as the lists allow.
void UpdateBatchButtons(BatchFileLists& lists, const BatchListControls& controls, bool anyBoxTicked);

/// The "Format Error" question about a file the trace-file test refused; true
/// answers Yes.
bool AskFormatErrorContinue(const std::string& name);
