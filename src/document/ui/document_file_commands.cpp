#include "document/ui/document_file_commands.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "document/batch_edit.h"
#include "document/otdr_doc.h"
#include "document/trace_info.h"
#include "document/ui/batch_edit_dlg.h"
#include "document/ui/trace_info_dlg.h"
#include "platform/message_sink.h"
#include "platform/path_util.h"
#include "vocabulary/command_ids.h"

namespace {

const QString kSorFilter = QStringLiteral("BellCore Files(*.sor *.SOR)");
const QString kBmpFilter = QStringLiteral("BMP (*.BMP *.bmp)");

QString Widen(const std::u16string& text) { return QString::fromStdU16String(text); }

int ExecDialog(QDialog& dialog) { return dialog.exec(); }

}  // namespace

void ConfigureSaveAsDialog(QFileDialog& dialog, const std::string& documentPath) {
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  if (lumivane::HasSorSuffix(documentPath)) {
    const QFileInfo file(QString::fromStdString(documentPath));
    dialog.setDirectory(file.absolutePath());
    dialog.selectFile(file.fileName());
  }
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontResolveSymlinks);
  dialog.setNameFilters({kSorFilter, kBmpFilter});
  dialog.selectNameFilter(kSorFilter);
  // The dialog adds the ending itself, so its overwrite question is about the file written.
  dialog.setDefaultSuffix(QStringLiteral("sor"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter == kBmpFilter ? QStringLiteral("BMP") : QStringLiteral("sor"));
  });
}

SaveAsChoice SaveAsChoiceOf(const QFileDialog& dialog) {
  const QStringList files = dialog.selectedFiles();
  return {files.isEmpty() ? std::string() : files.front().toStdString(), dialog.selectedNameFilter() == kBmpFilter};
}

void OnEditTraceInfo(COtdrDoc& doc, QWidget* parent, const DocDialogRunner& run) {
  if (!lumivane::HasSorSuffix(doc.m_strTracePath)) return;
  TraceInfoFields fields = ReadTraceInfo(doc.m_SorRecord);
  CCTraceInfoDlg dialog(parent);
  dialog.m_nFibreTypeIndex = fields.fibreTypeIndex;
  dialog.m_strCableId = Widen(fields.cableId);
  dialog.m_strFiberId = Widen(fields.fiberId);
  dialog.m_strOriginatingLocation = Widen(fields.originatingLocation);
  dialog.m_strTerminatingLocation = Widen(fields.terminatingLocation);
  dialog.m_strOperator = Widen(fields.operatorName);
  dialog.m_strJobId = Widen(fields.jobId);
  dialog.m_strCustomer = Widen(fields.customer);
  dialog.OnInitDialog();
  if (run(dialog) != QDialog::Accepted) return;
  fields.cableId = dialog.m_strCableId.toStdU16String();
  fields.fiberId = dialog.m_strFiberId.toStdU16String();
  fields.originatingLocation = dialog.m_strOriginatingLocation.toStdU16String();
  fields.terminatingLocation = dialog.m_strTerminatingLocation.toStdU16String();
  fields.operatorName = dialog.m_strOperator.toStdU16String();
  fields.jobId = dialog.m_strJobId.toStdU16String();
  fields.customer = dialog.m_strCustomer.toStdU16String();
  fields.fibreTypeIndex = dialog.m_nFibreTypeIndex;
  StoreTraceInfo(doc.m_SorRecord, fields);
  g_DeviceName = dialog.m_strDevice.toStdString();
  doc.SetModifiedFlag(true);
}

void OnBatchEdit(COtdrDoc& doc, QWidget* parent, const QString& startFolder, const DocDialogRunner& run) {
  CCBatchEditDlg dialog(startFolder, QString(), parent);
  if (run(dialog) != QDialog::Accepted) return;
  const std::vector<BatchEditFailure> failures =
      RunBatchEdit(doc, dialog.m_strFolder, dialog.m_FileNames, dialog.Spec());
  const std::string summary = BatchEditSummary(failures, dialog.m_FileNames.size());
  if (!summary.empty()) lumivane::ShowMessage(summary, lumivane::MessageIcon::Warning);
}

void BindDocumentFileCommands(COtdrDoc& doc, std::function<QWidget*()> parent,
                              std::function<bool(const std::string&)> saveViewAsBmp) {
  SaveEnvironment env;
  env.chooseSaveAsPath = [parent, &doc]() -> std::optional<SaveAsChoice> {
    QFileDialog dialog(parent ? parent() : nullptr);
    ConfigureSaveAsDialog(dialog, doc.m_strTracePath);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return SaveAsChoiceOf(dialog);
  };
  env.saveViewAsBmp = std::move(saveViewAsBmp);
  BindSaveCommands(doc, std::move(env));
  doc.Commands().BindCommand(CmdEditTraceInfo,
                             [&doc, parent] { OnEditTraceInfo(doc, parent ? parent() : nullptr, ExecDialog); });
  doc.Commands().BindCommand(CmdBatchEdit, [&doc, parent] {
    OnBatchEdit(doc, parent ? parent() : nullptr, QDir::currentPath(), ExecDialog);
  });
}
