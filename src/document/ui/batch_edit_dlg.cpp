#include "document/ui/batch_edit_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "document/trace_file_bytes.h"
#include "document/trace_info.h"
#include "document/ui/batch_list_widgets.h"
#include "document/ui/dir_tree_ctrl.h"
#include "document/ui/user_text_limits.h"
#include "platform/message_sink.h"
#include "platform/path_util.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr LangRow kCaptionRow = 188;
constexpr LangRow kFolderRow = 189;
constexpr LangRow kFilesInFolderRow = 190;
constexpr LangRow kFilesToEditRow = 191;
constexpr LangRow kAddRow = 192;
constexpr LangRow kInsertRow = 193;
constexpr LangRow kAddAllRow = 194;
constexpr LangRow kRemoveRow = 195;
constexpr LangRow kRemoveAllRow = 196;
constexpr LangRow kStartingNumberRow = 197;
constexpr LangRow kSelectToChangeRow = 198;
constexpr LangRow kClearAllTextRow = 199;
// Check-box texts in field order; the numbering box has none.
constexpr std::array<LangRow, 6> kFieldRows = {99, 100, 101, 102, 103, 104};


}  // namespace

CCBatchEditDlg::CCBatchEditDlg(QString startFolder, QString treeRoot, QWidget* parent)
    : QDialog(parent),
      m_strStartFolder(std::move(startFolder)),
      m_strTreeRoot(std::move(treeRoot)),
      m_pTree(new CDirTreeCtrl(this)),
      m_pFolderList(MakeBatchFileList(this)),
      m_pEditList(MakeBatchFileList(this)),
      m_pFibreType(new QComboBox(this)),
      m_pStartingNumber(new QSpinBox(this)),
      m_pAdd(new QPushButton(this)),
      m_pInsert(new QPushButton(this)),
      m_pAddAll(new QPushButton(this)),
      m_pRemove(new QPushButton(this)),
      m_pRemoveAll(new QPushButton(this)),
      m_pClearAllText(new QPushButton(this)),
      m_pOk(new QPushButton(this)),
      m_pCancel(new QPushButton(this)) {
  m_Controls = {m_pFolderList, m_pEditList, m_pAdd, m_pInsert, m_pAddAll, m_pRemove, m_pRemoveAll, m_pOk};
  m_pStartingNumber->setRange(0, kMaxStartingFiberNumber);
  for (int field = 0; field < kFieldCount; ++field) {
    m_Boxes[static_cast<std::size_t>(field)] = new QCheckBox(this);
    connect(m_Boxes[static_cast<std::size_t>(field)], &QCheckBox::toggled, this, &CCBatchEditDlg::OnCheckBox);
  }
  for (const int field : {kCableId, kFiberId, kOriginating, kTerminating, kOperator}) {
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(field == kFiberId ? kBatchFiberIdLimit : kTraceInfoTextLimit);
    m_Values[static_cast<std::size_t>(field)] = edit;
  }
  m_Values[kFibreType] = m_pFibreType;
  m_Values[kNumbering] = m_pStartingNumber;

  auto* folderLabel = new QLabel(this);
  auto* filesInFolderLabel = new QLabel(this);
  auto* filesToEditLabel = new QLabel(this);
  folderLabel->setObjectName(QStringLiteral("folderLabel"));
  filesInFolderLabel->setObjectName(QStringLiteral("filesInFolderLabel"));
  filesToEditLabel->setObjectName(QStringLiteral("filesToEditLabel"));
  auto* moves = new QVBoxLayout;
  for (QPushButton* button : {m_pAdd, m_pInsert, m_pAddAll, m_pRemove, m_pRemoveAll}) moves->addWidget(button);
  moves->addStretch();
  auto* lists = new QGridLayout;
  lists->addWidget(folderLabel, 0, 0);
  lists->addWidget(filesInFolderLabel, 0, 1);
  lists->addWidget(filesToEditLabel, 0, 3);
  lists->addWidget(m_pTree, 1, 0);
  lists->addWidget(m_pFolderList, 1, 1);
  lists->addLayout(moves, 1, 2);
  lists->addWidget(m_pEditList, 1, 3);

  auto* fields = new QGroupBox(this);
  fields->setObjectName(QStringLiteral("selectToChange"));
  auto* grid = new QGridLayout(fields);
  for (int field = 0; field < kFieldCount; ++field) {
    grid->addWidget(m_Boxes[static_cast<std::size_t>(field)], field, 0);
    grid->addWidget(m_Values[static_cast<std::size_t>(field)], field, 1);
  }
  auto* numberLabel = new QLabel(this);
  numberLabel->setObjectName(QStringLiteral("startingNumberLabel"));
  grid->addWidget(numberLabel, kNumbering, 2);
  grid->addWidget(m_pClearAllText, kFieldCount, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_pOk);
  buttons->addWidget(m_pCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists);
  layout->addWidget(fields);
  layout->addLayout(buttons);
  m_pOk->setDefault(true);

  connect(m_pTree, &CDirTreeCtrl::folderSelected, this, &CCBatchEditDlg::OnFolderSelected);
  connect(m_pAdd, &QPushButton::clicked, this, &CCBatchEditDlg::OnAdd);
  connect(m_pInsert, &QPushButton::clicked, this, &CCBatchEditDlg::OnInsert);
  connect(m_pAddAll, &QPushButton::clicked, this, &CCBatchEditDlg::OnAddAll);
  connect(m_pRemove, &QPushButton::clicked, this, &CCBatchEditDlg::OnRemove);
  connect(m_pRemoveAll, &QPushButton::clicked, this, &CCBatchEditDlg::OnRemoveAll);
  connect(m_pClearAllText, &QPushButton::clicked, this, &CCBatchEditDlg::OnClearAllText);
  connect(m_pOk, &QPushButton::clicked, this, &CCBatchEditDlg::OnOK);
  connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_pFolderList, &QListWidget::itemDoubleClicked, this, &CCBatchEditDlg::OnAdd);
  connect(m_pEditList, &QListWidget::itemDoubleClicked, this, &CCBatchEditDlg::OnRemove);
  connect(m_pFolderList, &QListWidget::itemSelectionChanged, this, &CCBatchEditDlg::UpdateButtonStates);
  connect(m_pEditList, &QListWidget::itemSelectionChanged, this, &CCBatchEditDlg::UpdateButtonStates);
  OnInitDialog();
}

QLineEdit* CCBatchEditDlg::TextEdit(int field) const {
  return qobject_cast<QLineEdit*>(m_Values[static_cast<std::size_t>(field)]);
}

void CCBatchEditDlg::OnInitDialog() {
  setWindowTitle(RowText(kCaptionRow));
  findChild<QLabel*>(QStringLiteral("folderLabel"))->setText(RowText(kFolderRow));
  findChild<QLabel*>(QStringLiteral("filesInFolderLabel"))->setText(RowText(kFilesInFolderRow));
  findChild<QLabel*>(QStringLiteral("filesToEditLabel"))->setText(RowText(kFilesToEditRow));
  findChild<QLabel*>(QStringLiteral("startingNumberLabel"))->setText(RowText(kStartingNumberRow));
  findChild<QGroupBox*>(QStringLiteral("selectToChange"))->setTitle(RowText(kSelectToChangeRow));
  m_pAdd->setText(RowText(kAddRow));
  m_pInsert->setText(RowText(kInsertRow));
  m_pAddAll->setText(RowText(kAddAllRow));
  m_pRemove->setText(RowText(kRemoveRow));
  m_pRemoveAll->setText(RowText(kRemoveAllRow));
  m_pClearAllText->setText(RowText(kClearAllTextRow));
  m_pOk->setText(RowText(TextRow::Ok));
  m_pCancel->setText(RowText(TextRow::Cancel));
  for (std::size_t field = 0; field < kFieldRows.size(); ++field) m_Boxes[field]->setText(RowText(kFieldRows[field]));

  for (QWidget* value : m_Values) value->setEnabled(false);
  m_pFibreType->clear();
  for (const FibreTypeChoice& choice : kFibreTypeChoices) m_pFibreType->addItem(RowText(choice.nameRow));
  m_pFibreType->setCurrentIndex(-1);
  if (m_pTree->InitDirTree(m_strTreeRoot, 0) != 0) m_pTree->SelectPath(m_strStartFolder);
  UpdateButtonStates();
}

void CCBatchEditDlg::OnFolderSelected(const QString& path) {
  m_strFolder = BatchFolderOf(path);
  m_Lists.SetFolderFiles(ListFolderTraceFiles(m_strFolder));
  ShowLists();
}

BatchListCallbacks CCBatchEditDlg::Callbacks() const {
  BatchListCallbacks callbacks;
  const std::string folder = m_strFolder;
  callbacks.isValidTraceFile = [folder](const std::string& name) {
    return IsValidTraceFile(lumivane::JoinPath(folder, name)) == 1;
  };
  callbacks.askContinue = AskFormatErrorContinue;
  callbacks.notify = [](const std::string& text) { lumivane::ShowMessage(text); };
  return callbacks;
}

void CCBatchEditDlg::ShowLists() {
  ShowBatchLists(m_Lists, m_Controls);
  UpdateButtonStates();
}

void CCBatchEditDlg::OnAdd() {
  TakeBatchSelections(m_Lists, m_Controls);
  m_Lists.Add(Callbacks());
  ShowLists();
}

void CCBatchEditDlg::OnInsert() {
  TakeBatchSelections(m_Lists, m_Controls);
  m_Lists.Insert(Callbacks());
  ShowLists();
}

void CCBatchEditDlg::OnAddAll() {
  TakeBatchSelections(m_Lists, m_Controls);
  m_Lists.AddAll(Callbacks());
  ShowLists();
}

void CCBatchEditDlg::OnRemove() {
  TakeBatchSelections(m_Lists, m_Controls);
  m_Lists.Remove();
  ShowLists();
}

void CCBatchEditDlg::OnRemoveAll() {
  TakeBatchSelections(m_Lists, m_Controls);
  m_Lists.RemoveAll();
  ShowLists();
}

void CCBatchEditDlg::OnClearAllText() {
  for (const int field : {kCableId, kFiberId, kOriginating, kTerminating, kOperator}) TextEdit(field)->clear();
  m_pFibreType->setCurrentIndex(-1);
}

void CCBatchEditDlg::OnCheckBox() {
  for (std::size_t field = 0; field < m_Boxes.size(); ++field) m_Values[field]->setEnabled(m_Boxes[field]->isChecked());
  UpdateButtonStates();
}

void CCBatchEditDlg::UpdateButtonStates() {
  const bool anyTicked =
      std::any_of(m_Boxes.begin(), m_Boxes.end(), [](const QCheckBox* box) { return box->isChecked(); });
  UpdateBatchButtons(m_Lists, m_Controls, anyTicked);
}

BatchEditSpec CCBatchEditDlg::Spec() const {
  BatchEditSpec spec;
  spec.changeCableId = m_Boxes[kCableId]->isChecked();
  spec.changeFiberId = m_Boxes[kFiberId]->isChecked();
  spec.changeFibreType = m_Boxes[kFibreType]->isChecked();
  spec.changeOriginatingLocation = m_Boxes[kOriginating]->isChecked();
  spec.changeTerminatingLocation = m_Boxes[kTerminating]->isChecked();
  spec.changeOperator = m_Boxes[kOperator]->isChecked();
  spec.numberFibers = m_Boxes[kNumbering]->isChecked();
  spec.cableId = TextEdit(kCableId)->text().toStdU16String();
  spec.fiberId = TextEdit(kFiberId)->text().toStdU16String();
  spec.originatingLocation = TextEdit(kOriginating)->text().toStdU16String();
  spec.terminatingLocation = TextEdit(kTerminating)->text().toStdU16String();
  spec.operatorName = TextEdit(kOperator)->text().toStdU16String();
  spec.fibreTypeIndex = m_pFibreType->currentIndex();
  spec.startingNumber = m_pStartingNumber->value();
  return spec;
}

void CCBatchEditDlg::OnOK() {
  const std::vector<std::string>& names = m_Lists.Edit().names;
  if (names.empty()) return;
  const std::size_t count = std::min<std::size_t>(names.size(), kMaxBatchFiles);
  m_FileNames.assign(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(count));
  m_nFileCount = static_cast<int>(count);
  accept();
}
