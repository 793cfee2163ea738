#include "document/ui/batch_edit_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "document/trace_file_bytes.h"
#include "document/trace_info.h"
#include "document/ui/user_text_limits.h"
#include "platform/message_sink.h"
#include "platform/path_util.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr LangRow kCaptionRow = 188;
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
      m_pPicker(new CBatchFilePicker(BatchPickerArrangement::ButtonsBetweenLists,
                                     [this](BatchMove) { return Callbacks(); }, this)),
      m_pFibreType(new QComboBox(this)),
      m_pStartingNumber(new QSpinBox(this)),
      m_pClearAllText(new QPushButton(this)),
      m_pOk(new QPushButton(this)),
      m_pCancel(new QPushButton(this)) {
  m_pPicker->SetOkButton(m_pOk, [this] {
    return std::any_of(m_Boxes.begin(), m_Boxes.end(), [](const QCheckBox* box) { return box->isChecked(); });
  });
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
  layout->addWidget(m_pPicker);
  layout->addWidget(fields);
  layout->addLayout(buttons);
  m_pOk->setDefault(true);

  connect(m_pPicker, &CBatchFilePicker::folderListed, this, [this] { m_strFolder = m_pPicker->Folder(); });
  connect(m_pClearAllText, &QPushButton::clicked, this, &CCBatchEditDlg::OnClearAllText);
  connect(m_pOk, &QPushButton::clicked, this, &CCBatchEditDlg::OnOK);
  connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
  OnInitDialog();
}

QLineEdit* CCBatchEditDlg::TextEdit(int field) const {
  return qobject_cast<QLineEdit*>(m_Values[static_cast<std::size_t>(field)]);
}

void CCBatchEditDlg::OnInitDialog() {
  setWindowTitle(RowText(kCaptionRow));
  findChild<QLabel*>(QStringLiteral("startingNumberLabel"))->setText(RowText(kStartingNumberRow));
  findChild<QGroupBox*>(QStringLiteral("selectToChange"))->setTitle(RowText(kSelectToChangeRow));
  m_pClearAllText->setText(RowText(kClearAllTextRow));
  m_pOk->setText(RowText(TextRow::Ok));
  m_pCancel->setText(RowText(TextRow::Cancel));
  for (std::size_t field = 0; field < kFieldRows.size(); ++field) m_Boxes[field]->setText(RowText(kFieldRows[field]));

  for (QWidget* value : m_Values) value->setEnabled(false);
  m_pFibreType->clear();
  for (const FibreTypeChoice& choice : kFibreTypeChoices) m_pFibreType->addItem(RowText(choice.nameRow));
  m_pFibreType->setCurrentIndex(-1);
  m_pPicker->Init(m_strTreeRoot, m_strStartFolder);
}

void CCBatchEditDlg::OnFolderSelected(const QString& path) { m_pPicker->ListFolder(path); }

BatchListCallbacks CCBatchEditDlg::Callbacks() const {
  BatchListCallbacks callbacks;
  const std::string folder = m_pPicker->Folder();
  callbacks.isValidTraceFile = [folder](const std::string& name) {
    return IsValidTraceFile(lumivane::JoinPath(folder, name)) == 1;
  };
  callbacks.askContinue = AskFormatErrorContinue;
  return callbacks;
}

void CCBatchEditDlg::OnAdd() { m_pPicker->Add(); }

void CCBatchEditDlg::OnInsert() { m_pPicker->Insert(); }

void CCBatchEditDlg::OnAddAll() { m_pPicker->AddAll(); }

void CCBatchEditDlg::OnRemove() { m_pPicker->Remove(); }

void CCBatchEditDlg::OnRemoveAll() { m_pPicker->RemoveAll(); }

void CCBatchEditDlg::OnClearAllText() {
  for (const int field : {kCableId, kFiberId, kOriginating, kTerminating, kOperator}) TextEdit(field)->clear();
  m_pFibreType->setCurrentIndex(-1);
}

void CCBatchEditDlg::OnCheckBox() {
  for (std::size_t field = 0; field < m_Boxes.size(); ++field) m_Values[field]->setEnabled(m_Boxes[field]->isChecked());
  m_pPicker->UpdateButtons();
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
  if (m_pPicker->TakeChosenNames(m_FileNames, m_nFileCount)) accept();
}
