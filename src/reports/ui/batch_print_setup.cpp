#include "reports/ui/batch_print_setup.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "document/trace_file_bytes.h"
#include "platform/path_util.h"
#include "reports/batch_page_plan.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr LangRow kCaptionRow = 200;
// One Remove moves at most this many names back; the rest stay chosen and
// selected.
constexpr std::size_t kMaxRemovedAtOnce = 1000;

}  // namespace

CCBatchPrintSetup::CCBatchPrintSetup(QString startFolder, QString treeRoot, QWidget* parent)
    : QDialog(parent),
      m_strStartFolder(std::move(startFolder)),
      m_strTreeRoot(std::move(treeRoot)),
      m_pPicker(new CBatchFilePicker(BatchPickerArrangement::ButtonsBelowLists,
                                     [this](BatchMove move) { return Callbacks(move); }, this)),
      m_pOk(new QPushButton(this)),
      m_pCancel(new QPushButton(this)) {
  m_pPicker->SetOkButton(m_pOk);
  m_pPicker->SetMaxRemovedAtOnce(kMaxRemovedAtOnce);
  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_pOk);
  buttons->addWidget(m_pCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pPicker);
  layout->addWidget(rule);
  layout->addLayout(buttons);

  connect(m_pPicker, &CBatchFilePicker::folderListed, this, [this] { m_strFolder = m_pPicker->Folder(); });
  connect(m_pOk, &QPushButton::clicked, this, &CCBatchPrintSetup::OnOK);
  connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
  OnInitDialog();
}

void CCBatchPrintSetup::OnInitDialog() {
  setWindowTitle(RowText(kCaptionRow));
  m_pOk->setText(RowText(TextRow::Ok));
  m_pCancel->setText(RowText(TextRow::Cancel));
  m_pPicker->Init(m_strTreeRoot, m_strStartFolder);
}

void CCBatchPrintSetup::OnFolderChanged(const QString& path) { m_pPicker->ListFolder(path); }

BatchListCallbacks CCBatchPrintSetup::Callbacks(BatchMove move) const {
  const std::string folder = m_pPicker->Folder();
  // "Add >>" takes a refused file the user said Yes to like a valid one; asking
  // inside the test gives exactly that, and a No then stops the pass through
  // askContinue.
  const bool keepRefusedOnYes = move == BatchMove::Add;
  auto stopped = std::make_shared<bool>(false);
  const auto ask = [stopped](const std::string& name) {
    *stopped = !AskFormatErrorContinue(name);
    return !*stopped;
  };
  BatchListCallbacks callbacks;
  callbacks.isValidTraceFile = [folder, keepRefusedOnYes, ask](const std::string& name) {
    const std::string path = lumivane::JoinPath(folder, name);
    // Every trace file the batch can print is welcome, revision-1 files included.
    TracePreview preview;
    if (IsValidTraceFile(path) == 1 || ReadBatchFileEventCount(path, preview) != 0) return true;
    return keepRefusedOnYes && ask(name);
  };
  if (keepRefusedOnYes) {
    callbacks.askContinue = [stopped](const std::string&) { return !*stopped; };
  } else {
    callbacks.askContinue = ask;
  }
  return callbacks;
}

void CCBatchPrintSetup::OnAddFiles() { m_pPicker->Add(); }

void CCBatchPrintSetup::OnAddAllFiles() { m_pPicker->AddAll(); }

void CCBatchPrintSetup::OnInsertFiles() { m_pPicker->Insert(); }

void CCBatchPrintSetup::OnRemoveFiles() { m_pPicker->Remove(); }

void CCBatchPrintSetup::OnRemoveAllFiles() { m_pPicker->RemoveAll(); }

void CCBatchPrintSetup::OnOK() {
  if (m_pPicker->TakeChosenNames(m_FileNames, m_nFileCount)) accept();
}
