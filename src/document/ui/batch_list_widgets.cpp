#include "document/ui/batch_list_widgets.h"

#include <QPushButton>
#include <algorithm>

#include "platform/message_sink.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

QListWidget* MakeBatchFileList(QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setSortingEnabled(false);
  return list;
}

std::vector<std::size_t> SelectedRowsOf(const QListWidget& list) {
  std::vector<std::size_t> rows;
  for (int i = 0; i < list.count(); ++i) {
    if (list.item(i)->isSelected()) rows.push_back(static_cast<std::size_t>(i));
  }
  return rows;
}

void ShowSelectableList(QListWidget& list, const SelectableList& model) {
  const QSignalBlocker block(list);
  list.clear();
  for (std::size_t i = 0; i < model.Count(); ++i) {
    auto* item = new QListWidgetItem(QString::fromStdString(model.names[i]), &list);
    item->setSelected(model.selected[i]);
  }
  const auto first = std::find(model.selected.begin(), model.selected.end(), true);
  if (first != model.selected.end()) {
    list.scrollToItem(list.item(static_cast<int>(first - model.selected.begin())), QAbstractItemView::PositionAtTop);
  }
}

std::string BatchFolderOf(const QString& path) {
  std::string folder = path.toStdString();
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return folder;
}

void TakeBatchSelections(BatchFileLists& lists, const BatchListControls& controls) {
  lists.Folder().Select(SelectedRowsOf(*controls.folder));
  lists.Edit().Select(SelectedRowsOf(*controls.chosen));
}

void ShowBatchLists(const BatchFileLists& lists, const BatchListControls& controls) {
  ShowSelectableList(*controls.folder, lists.Folder());
  ShowSelectableList(*controls.chosen, lists.Edit());
}

void UpdateBatchButtons(BatchFileLists& lists, const BatchListControls& controls, bool anyBoxTicked) {
  TakeBatchSelections(lists, controls);
  const BatchButtonStates states = lists.ButtonStates(anyBoxTicked);
  controls.remove->setEnabled(states.remove);
  controls.removeAll->setEnabled(states.removeAll);
  controls.add->setEnabled(states.add);
  controls.addAll->setEnabled(states.addAll);
  controls.insert->setEnabled(states.insert);
  controls.ok->setEnabled(states.ok);
}

bool AskFormatErrorContinue(const std::string& name) {
  const std::string question =
      name + " \n" + g_CurrentStrings[TextRow::FormatError] + " \n" + g_CurrentStrings[TextRow::ContinueQuestion];
  return lumivane::Ask(question, lumivane::QuestionButtons::YesNo) == lumivane::Reply::Yes;
}
