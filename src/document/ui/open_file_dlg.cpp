#include "document/ui/open_file_dlg.h"

#include <QFile>
#include <QGridLayout>
#include <QPlainTextEdit>

#include "document/trace_preview.h"

namespace {

/// Lines the preview box shows without scrolling: the five of a preview and the two of the warning
/// a damaged file opens with.
constexpr int kPreviewLines = 7;

}  // namespace

CCMyOpenFileDlg::CCMyOpenFileDlg(bool openFileDialog, const QString& defaultExtension, const QString& fileName,
                                 QFileDialog::Options options, const QStringList& nameFilters, QWidget* parent)
    : QFileDialog(parent) {
  // The preview box lives in the dialog's own layout, which a native dialog does not have.
  setOptions(options | QFileDialog::DontUseNativeDialog);
  setAcceptMode(openFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  setDefaultSuffix(defaultExtension);
  if (!nameFilters.isEmpty()) setNameFilters(nameFilters);
  if (!fileName.isEmpty()) selectFile(fileName);

  m_pPreviewBox = new QPlainTextEdit(this);
  m_pPreviewBox->setReadOnly(true);
  m_pPreviewBox->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_pPreviewBox->setFocusPolicy(Qt::StrongFocus);
  const int frame = 2 * m_pPreviewBox->frameWidth() + 2 * static_cast<int>(m_pPreviewBox->document()->documentMargin());
  m_pPreviewBox->setFixedHeight(m_pPreviewBox->fontMetrics().lineSpacing() * kPreviewLines + frame);
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    grid->addWidget(m_pPreviewBox, grid->rowCount(), 0, 1, grid->columnCount());
  } else if (layout() != nullptr) {
    layout()->addWidget(m_pPreviewBox);
  }

  connect(this, &QFileDialog::currentChanged, this, &CCMyOpenFileDlg::OnFileNameChange);
}

void CCMyOpenFileDlg::OnFileNameChange(const QString& path) {
  m_strPreviewText = TracePreviewTextOfPath(QFile::encodeName(path).toStdString());
  DoDataExchange();
}

void CCMyOpenFileDlg::DoDataExchange() {
  QString text = QString::fromUtf8(m_strPreviewText);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  m_pPreviewBox->setPlainText(text);
}
