#include "reports/ui/batch_print_setup.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "document/batch_edit.h"
#include "document/trace_file_bytes.h"
#include "document/ui/batch_list_widgets.h"
#include "document/ui/dir_tree_ctrl.h"
#include "platform/message_sink.h"
#include "platform/path_util.h"
#include "reports/batch_page_plan.h"
#include "reports/batch_print_state.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr LangRow kCaptionRow = 200;
constexpr LangRow kFolderRow = 189;
constexpr LangRow kFilesInFolderRow = 190;
constexpr LangRow kChosenFilesRow = 191;
constexpr LangRow kAddRow = 192;
constexpr LangRow kInsertRow = 193;
constexpr LangRow kAddAllRow = 194;
constexpr LangRow kRemoveRow = 195;
constexpr LangRow kRemoveAllRow = 196;
// One Remove moves at most this many names back; the rest stay chosen and
// selected.
constexpr std::size_t kMaxRemovedAtOnce = 1000;


}  // namespace

CCBatchPrintSetup::CCBatchPrintSetup(QString startFolder, QString treeRoot, QWidget* parent)
    : QDialog(parent),
      m_strStartFolder(std::move(startFolder)),
      m_strTreeRoot(std::move(treeRoot)),
      m_pTree(new CDirTreeCtrl(this)),
      m_pFolderFiles(MakeBatchFileList(this)),
      m_pChosenFiles(MakeBatchFileList(this)),
      m_pAddAll(new QPushButton(this)),
      m_pInsert(new QPushButton(this)),
      m_pAdd(new QPushButton(this)),
      m_pRemove(new QPushButton(this)),
      m_pRemoveAll(new QPushButton(this)),
      m_pOk(new QPushButton(this)),
      m_pCancel(new QPushButton(this)) {
  m_Controls = {m_pFolderFiles, m_pChosenFiles, m_pAdd, m_pInsert, m_pAddAll, m_pRemove, m_pRemoveAll, m_pOk};
  auto* folderLabel = new QLabel(this);
  auto* filesInFolderLabel = new QLabel(this);
  auto* chosenLabel = new QLabel(this);
  folderLabel->setObjectName(QStringLiteral("folderLabel"));
  filesInFolderLabel->setObjectName(QStringLiteral("filesInFolderLabel"));
  chosenLabel->setObjectName(QStringLiteral("chosenFilesLabel"));
  auto* lists = new QGridLayout;
  lists->addWidget(folderLabel, 0, 0);
  lists->addWidget(filesInFolderLabel, 0, 1);
  lists->addWidget(chosenLabel, 0, 2);
  lists->addWidget(m_pTree, 1, 0);
  lists->addWidget(m_pFolderFiles, 1, 1);
  lists->addWidget(m_pChosenFiles, 1, 2);
  auto* moves = new QHBoxLayout;
  for (QPushButton* button : {m_pAddAll, m_pInsert, m_pAdd}) moves->addWidget(button);
  moves->addStretch();
  moves->addWidget(m_pRemove);
  moves->addWidget(m_pRemoveAll);
  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_pOk);
  buttons->addWidget(m_pCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists);
  layout->addLayout(moves);
  layout->addWidget(rule);
  layout->addLayout(buttons);

  connect(m_pTree, &CDirTreeCtrl::folderSelected, this, &CCBatchPrintSetup::OnFolderChanged);
  connect(m_pAdd, &QPushButton::clicked, this, &CCBatchPrintSetup::OnAddFiles);
  connect(m_pAddAll, &QPushButton::clicked, this, &CCBatchPrintSetup::OnAddAllFiles);
  connect(m_pInsert, &QPushButton::clicked, this, &CCBatchPrintSetup::OnInsertFiles);
  connect(m_pRemove, &QPushButton::clicked, this, &CCBatchPrintSetup::OnRemoveFiles);
  connect(m_pRemoveAll, &QPushButton::clicked, this, &CCBatchPrintSetup::OnRemoveAllFiles);
  connect(m_pOk, &QPushButton::clicked, this, &CCBatchPrintSetup::OnOK);
  connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_pFolderFiles, &QListWidget::itemDoubleClicked, this, &CCBatchPrintSetup::OnAddFiles);
  connect(m_pChosenFiles, &QListWidget::itemDoubleClicked, this, &CCBatchPrintSetup::OnRemoveFiles);
  connect(m_pFolderFiles, &QListWidget::itemSelectionChanged, this, &CCBatchPrintSetup::UpdateSelectButtons);
  connect(m_pChosenFiles, &QListWidget::itemSelectionChanged, this, &CCBatchPrintSetup::UpdateSelectButtons);
  OnInitDialog();
}

void CCBatchPrintSetup::OnInitDialog() {
  setWindowTitle(RowText(kCaptionRow));
  findChild<QLabel*>(QStringLiteral("folderLabel"))->setText(RowText(kFolderRow));
  findChild<QLabel*>(QStringLiteral("filesInFolderLabel"))->setText(RowText(kFilesInFolderRow));
  findChild<QLabel*>(QStringLiteral("chosenFilesLabel"))->setText(RowText(kChosenFilesRow));
  m_pAddAll->setText(RowText(kAddAllRow));
  m_pInsert->setText(RowText(kInsertRow));
  m_pAdd->setText(RowText(kAddRow));
  m_pRemove->setText(RowText(kRemoveRow));
  m_pRemoveAll->setText(RowText(kRemoveAllRow));
  m_pOk->setText(RowText(TextRow::Ok));
  m_pCancel->setText(RowText(TextRow::Cancel));
  if (m_pTree->InitDirTree(m_strTreeRoot, 0) != 0) m_pTree->SelectPath(m_strStartFolder);
  UpdateSelectButtons();
}

void CCBatchPrintSetup::OnFolderChanged(const QString& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_strFolder = BatchFolderOf(path);
  m_Lists.SetFolderFiles(ListFolderTraceFiles(m_strFolder));
  ShowLists();
  QApplication::restoreOverrideCursor();
}

BatchListCallbacks CCBatchPrintSetup::Callbacks(bool keepRefusedOnYes, bool& stopped) const {
  const std::string folder = m_strFolder;
  const auto ask = [&stopped](const std::string& name) {
    stopped = !AskFormatErrorContinue(name);
    return !stopped;
  };
  BatchListCallbacks callbacks;
  // "Add >>" takes a refused file the user said Yes to like a valid one; asking
  // inside the test gives exactly that, and a No then stops the pass through
  // askContinue.
  callbacks.isValidTraceFile = [folder, keepRefusedOnYes, ask](const std::string& name) {
    const std::string path = lumivane::JoinPath(folder, name);
    // Every trace file the batch can print is welcome, revision-1 files included.
    TracePreview preview;
    if (IsValidTraceFile(path) == 1 || ReadBatchFileEventCount(path, preview) != 0) return true;
    return keepRefusedOnYes && ask(name);
  };
  if (keepRefusedOnYes) {
    callbacks.askContinue = [&stopped](const std::string&) { return !stopped; };
  } else {
    callbacks.askContinue = ask;
  }
  callbacks.notify = [](const std::string& text) { lumivane::ShowMessage(text); };
  return callbacks;
}

void CCBatchPrintSetup::ShowLists() {
  ShowBatchLists(m_Lists, m_Controls);
  UpdateSelectButtons();
}

void CCBatchPrintSetup::OnAddFiles() {
  TakeBatchSelections(m_Lists, m_Controls);
  bool stopped = false;
  m_Lists.Add(Callbacks(true, stopped));
  ShowLists();
}

void CCBatchPrintSetup::OnAddAllFiles() {
  TakeBatchSelections(m_Lists, m_Controls);
  bool stopped = false;
  m_Lists.AddAll(Callbacks(false, stopped));
  ShowLists();
}

void CCBatchPrintSetup::OnInsertFiles() {
  TakeBatchSelections(m_Lists, m_Controls);
  bool stopped = false;
  m_Lists.Insert(Callbacks(false, stopped));
  ShowLists();
}

void CCBatchPrintSetup::OnRemoveFiles() {
  TakeBatchSelections(m_Lists, m_Controls);
  SelectableList& chosen = m_Lists.Edit();
  const std::vector<std::size_t> selected = chosen.SelectedRows();
  const std::size_t taken = std::min(selected.size(), kMaxRemovedAtOnce);
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

void CCBatchPrintSetup::OnRemoveAllFiles() {
  TakeBatchSelections(m_Lists, m_Controls);
  m_Lists.RemoveAll();
  ShowLists();
}

void CCBatchPrintSetup::UpdateSelectButtons() { UpdateBatchButtons(m_Lists, m_Controls, true); }

void CCBatchPrintSetup::OnOK() {
  const std::vector<std::string>& names = m_Lists.Edit().names;
  if (names.empty()) return;
  // Names keep their case: on this system "B.SOR" and "b.sor" are different
  // files.
  const std::size_t count = std::min<std::size_t>(names.size(), MaxBatchFiles);
  m_FileNames.assign(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(count));
  m_nFileCount = static_cast<int>(count);
  accept();
}
