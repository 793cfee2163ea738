#include "reports/ui/ascii_export_command.h"

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

#include "document/otdr_doc.h"
#include "platform/message_sink.h"
#include "reports/ascii_export.h"
#include "reports/report_ini_files.h"
#include "reports/ui/ascii_output_dlg.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/length_unit.h"

namespace {

// No text of the table says that a file could not be written; these stand until one does.
constexpr std::string_view kCannotCreate = "Can't create file !";
constexpr std::string_view kWriteFailed = "Write file failed !";

}  // namespace

AsciiExportEnvironment DefaultAsciiExportEnvironment(QWidget* owner) {
  AsciiExportEnvironment env;
  env.owner = owner;
  env.iniFolder = [] { return QDir::currentPath().toStdString(); };
  env.runOptions = [](CCAsciiOutputDlg& dialog) { return dialog.DoModal(); };
  env.chooseFile = [](QWidget* parent) -> std::optional<std::string> {
    const QString path =
        QFileDialog::getSaveFileName(parent, QString(), QString(), QStringLiteral("Txt File(*.txt *.TXT)"));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
  };
  return env;
}

void OnAsciiExport(COtdrDoc& doc, const AsciiExportEnvironment& env) {
  AsciiExportOptions& options = doc.m_AsciiExportOptions;
  CCAsciiOutputDlg dialog(env.owner);
  dialog.SetOptions(options);
  if (env.runOptions(dialog) != QDialog::Accepted) return;
  options = dialog.Options();
  // Only a record for other programs; the export goes on whether it could be written or not.
  WriteConfigOutputAsciiIni(env.iniFolder(), options);
  ExportAsciiText(doc, env);
}

bool ExportAsciiText(const COtdrDoc& doc, const AsciiExportEnvironment& env) {
  const std::optional<std::string> chosen = env.chooseFile(env.owner);
  if (!chosen) return false;
  const std::string path = AsciiExportFileName(*chosen);
  const std::string text =
      ComposeAsciiExport(doc, doc.m_AsciiExportOptions, ExportUnit{g_LengthUnitName, g_LengthUnitFactor});
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) {
    lumivane::ShowMessage(std::string(kCannotCreate) + "\n" + path, lumivane::MessageIcon::Warning);
    return false;
  }
  const auto size = static_cast<qint64>(text.size());
  if (file.write(text.data(), size) != size || !file.commit()) {
    file.cancelWriting();
    lumivane::ShowMessage(std::string(kWriteFailed) + "\n" + path, lumivane::MessageIcon::Warning);
    return false;
  }
  return true;
}

void BindAsciiExportCommand(COtdrDoc& doc, AsciiExportEnvironment env) {
  doc.Commands().BindCommand(CmdAsciiExport, [&doc, env = std::move(env)] { OnAsciiExport(doc, env); });
  doc.Commands().BindUpdate(CmdAsciiExport, [&doc] { return doc.HasTrace(); });
}
