#include "instrument/ui/thread_dlg.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "instrument/upload_protocol.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

CCThreadDlg::CCThreadDlg(UploadProgress progress, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_Progress(new QProgressBar),
      m_progress(progress),
      m_lblStatus(new QLabel),
      m_btnOk(new QPushButton),
      m_pTimer(new QTimer(this)) {
  auto* layout = new QGridLayout(this);
  layout->addWidget(m_lblStatus, 0, 0, 1, 2);
  layout->addWidget(m_Progress, 1, 0);
  layout->addWidget(m_btnOk, 1, 1);
  m_btnOk->setAutoDefault(false);
  m_Progress->setTextVisible(false);
  m_pTimer->setInterval(kUploadPollMs);
  connect(m_pTimer, &QTimer::timeout, this, &CCThreadDlg::UpdateProgress);
  connect(m_btnOk, &QPushButton::clicked, this, [this] { m_bEnded ? accept() : reject(); });
}

CCThreadDlg::~CCThreadDlg() = default;

void CCThreadDlg::OnInitDialog() {
  setWindowTitle(RowText(TextRow::UploadTraceFile));
  m_Progress->setRange(0, 100);
  m_Progress->setValue(0);
  UpdateProgress();
  if (!m_bEnded) m_pTimer->start();
}

int CCThreadDlg::DoModal() {
  OnInitDialog();
  return exec();
}

void CCThreadDlg::UpdateProgress() {
  // The count first: the worker writes it before the index.
  const std::int32_t c = m_progress.count.load();
  const std::int32_t i = m_progress.index.load();
  const ProgressView view =
      UpdateProgressView(c, i, {m_progress.unwritten.load(), m_progress.renamed.load()}, m_creep);
  if (view.bar) m_Progress->setValue(*view.bar);
  m_strStatus = view.text;
  m_lblStatus->setText(QString::fromStdString(m_strStatus));
  m_bEnded = view.ended;
  m_bConnecting = !m_bEnded && c == UploadConnecting;
  m_btnOk->setText(RowText(m_bConnecting ? TextRow::Cancel : TextRow::Ok));
  m_btnOk->setEnabled(m_bConnecting || m_bEnded);
  if (m_bEnded) m_pTimer->stop();
}

void CCThreadDlg::reject() {
  if (!m_bEnded && !m_bConnecting) return;
  m_bCancelled = !m_bEnded;
  m_pTimer->stop();
  QDialog::reject();
}

void CCThreadDlg::closeEvent(QCloseEvent* event) {
  if (m_bEnded || m_bConnecting) {
    QDialog::closeEvent(event);
  } else {
    event->ignore();
  }
}
