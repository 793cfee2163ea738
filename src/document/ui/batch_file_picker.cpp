#include "document/ui/batch_file_picker.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "document/batch_edit.h"
#include "document/ui/dir_tree_ctrl.h"
#include "platform/message_sink.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr LangRow kFolderRow = 189;
constexpr LangRow kFilesInFolderRow = 190;
constexpr LangRow kChosenFilesRow = 191;
constexpr LangRow kAddRow = 192;
constexpr LangRow kInsertRow = 193;
constexpr LangRow kAddAllRow = 194;
constexpr LangRow kRemoveRow = 195;
constexpr LangRow kRemoveAllRow = 196;

QLabel* NamedLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

/// A list of bare file names with extended selection that never sorts itself.
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

}  // namespace

bool AskFormatErrorContinue(const std::string& name) {
  const std::string question =
      name + " \n" + g_CurrentStrings[TextRow::FormatError] + " \n" + g_CurrentStrings[TextRow::ContinueQuestion];
  return lumivane::Ask(question, lumivane::QuestionButtons::YesNo) == lumivane::Reply::Yes;
}

CBatchFilePicker::CBatchFilePicker(BatchPickerArrangement arrangement, MoveRules rules, QWidget* parent)
    : QWidget(parent),
      m_MoveRules(std::move(rules)),
      m_pTree(new CDirTreeCtrl(this)),
      m_pFolderList(MakeBatchFileList(this)),
      m_pChosenList(MakeBatchFileList(this)),
      m_pAdd(new QPushButton(this)),
      m_pInsert(new QPushButton(this)),
      m_pAddAll(new QPushButton(this)),
      m_pRemove(new QPushButton(this)),
      m_pRemoveAll(new QPushButton(this)) {
  auto* lists = new QGridLayout;
  lists->addWidget(NamedLabel("folderLabel", this), 0, 0);
  lists->addWidget(NamedLabel("filesInFolderLabel", this), 0, 1);
  lists->addWidget(m_pTree, 1, 0);
  lists->addWidget(m_pFolderList, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(lists);
  if (arrangement == BatchPickerArrangement::ButtonsBetweenLists) {
    auto* moves = new QVBoxLayout;
    for (QPushButton* button : {m_pAdd, m_pInsert, m_pAddAll, m_pRemove, m_pRemoveAll}) moves->addWidget(button);
    moves->addStretch();
    lists->addLayout(moves, 1, 2);
    lists->addWidget(NamedLabel("chosenFilesLabel", this), 0, 3);
    lists->addWidget(m_pChosenList, 1, 3);
  } else {
    lists->addWidget(NamedLabel("chosenFilesLabel", this), 0, 2);
    lists->addWidget(m_pChosenList, 1, 2);
    auto* moves = new QHBoxLayout;
    for (QPushButton* button : {m_pAddAll, m_pInsert, m_pAdd}) moves->addWidget(button);
    moves->addStretch();
    moves->addWidget(m_pRemove);
    moves->addWidget(m_pRemoveAll);
    layout->addLayout(moves);
    // The keyboard goes through the buttons as they stand, left to right.
    setTabOrder(m_pChosenList, m_pAddAll);
    setTabOrder(m_pAddAll, m_pInsert);
    setTabOrder(m_pInsert, m_pAdd);
  }

  connect(m_pTree, &CDirTreeCtrl::folderSelected, this, &CBatchFilePicker::ListFolder);
  connect(m_pAdd, &QPushButton::clicked, this, &CBatchFilePicker::Add);
  connect(m_pInsert, &QPushButton::clicked, this, &CBatchFilePicker::Insert);
  connect(m_pAddAll, &QPushButton::clicked, this, &CBatchFilePicker::AddAll);
  connect(m_pRemove, &QPushButton::clicked, this, &CBatchFilePicker::Remove);
  connect(m_pRemoveAll, &QPushButton::clicked, this, &CBatchFilePicker::RemoveAll);
  connect(m_pFolderList, &QListWidget::itemDoubleClicked, this, &CBatchFilePicker::Add);
  connect(m_pChosenList, &QListWidget::itemDoubleClicked, this, &CBatchFilePicker::Remove);
  connect(m_pFolderList, &QListWidget::itemSelectionChanged, this, &CBatchFilePicker::UpdateButtons);
  connect(m_pChosenList, &QListWidget::itemSelectionChanged, this, &CBatchFilePicker::UpdateButtons);
}

void CBatchFilePicker::SetOkButton(QPushButton* ok, std::function<bool()> okAllowed) {
  m_pOk = ok;
  m_OkAllowed = std::move(okAllowed);
}

void CBatchFilePicker::Init(const QString& treeRoot, const QString& startFolder) {
  findChild<QLabel*>(QStringLiteral("folderLabel"))->setText(RowText(kFolderRow));
  findChild<QLabel*>(QStringLiteral("filesInFolderLabel"))->setText(RowText(kFilesInFolderRow));
  findChild<QLabel*>(QStringLiteral("chosenFilesLabel"))->setText(RowText(kChosenFilesRow));
  m_pAdd->setText(RowText(kAddRow));
  m_pInsert->setText(RowText(kInsertRow));
  m_pAddAll->setText(RowText(kAddAllRow));
  m_pRemove->setText(RowText(kRemoveRow));
  m_pRemoveAll->setText(RowText(kRemoveAllRow));
  if (m_pTree->InitDirTree(treeRoot, 0) != 0) m_pTree->SelectPath(startFolder);
  UpdateButtons();
}

void CBatchFilePicker::ListFolder(const QString& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_strFolder = BatchFolderOf(path);
  m_Lists.SetFolderFiles(ListFolderTraceFiles(m_strFolder));
  ShowLists();
  QApplication::restoreOverrideCursor();
  emit folderListed();
}

BatchListCallbacks CBatchFilePicker::RulesOf(BatchMove move) const {
  BatchListCallbacks rules = m_MoveRules(move);
  rules.notify = [](const std::string& text) { lumivane::ShowMessage(text); };
  return rules;
}

void CBatchFilePicker::Add() {
  TakeSelections();
  m_Lists.Add(RulesOf(BatchMove::Add));
  ShowLists();
}

void CBatchFilePicker::Insert() {
  TakeSelections();
  m_Lists.Insert(RulesOf(BatchMove::Insert));
  ShowLists();
}

void CBatchFilePicker::AddAll() {
  TakeSelections();
  m_Lists.AddAll(RulesOf(BatchMove::AddAll));
  ShowLists();
}

void CBatchFilePicker::Remove() {
  TakeSelections();
  SelectableList& chosen = m_Lists.Edit();
  const std::vector<std::size_t> selected = chosen.SelectedRows();
  const std::size_t taken = std::min(selected.size(), m_nMaxRemovedAtOnce);
  std::vector<std::string> kept;
  for (std::size_t i = taken; i < selected.size(); ++i) kept.push_back(chosen.names[selected[i]]);
  chosen.Select({selected.begin(), selected.begin() + static_cast<std::ptrdiff_t>(taken)});
  m_Lists.Remove();
  std::vector<std::size_t> still;
  for (const std::string& name : kept) {
    if (const auto row = chosen.Find(name)) still.push_back(*row);
  }
  chosen.Select(still);
  ShowLists();
}

void CBatchFilePicker::RemoveAll() {
  TakeSelections();
  m_Lists.RemoveAll();
  ShowLists();
}

void CBatchFilePicker::UpdateButtons() {
  TakeSelections();
  const BatchButtonStates states = m_Lists.ButtonStates(!m_OkAllowed || m_OkAllowed());
  m_pRemove->setEnabled(states.remove);
  m_pRemoveAll->setEnabled(states.removeAll);
  m_pAdd->setEnabled(states.add);
  m_pAddAll->setEnabled(states.addAll);
  m_pInsert->setEnabled(states.insert);
  if (m_pOk != nullptr) m_pOk->setEnabled(states.ok);
}

bool CBatchFilePicker::TakeChosenNames(std::vector<std::string>& names, int& count) const {
  const std::vector<std::string>& chosen = m_Lists.Edit().names;
  if (chosen.empty()) return false;
  // Names keep their case: on this system "B.SOR" and "b.sor" are different files.
  const std::size_t taken = std::min<std::size_t>(chosen.size(), kMaxBatchFiles);
  names.assign(chosen.begin(), chosen.begin() + static_cast<std::ptrdiff_t>(taken));
  count = static_cast<int>(taken);
  return true;
}

void CBatchFilePicker::TakeSelections() {
  m_Lists.Folder().Select(SelectedRowsOf(*m_pFolderList));
  m_Lists.Edit().Select(SelectedRowsOf(*m_pChosenList));
}

void CBatchFilePicker::ShowLists() {
  ShowSelectableList(*m_pFolderList, m_Lists.Folder());
  ShowSelectableList(*m_pChosenList, m_Lists.Edit());
  UpdateButtons();
}
