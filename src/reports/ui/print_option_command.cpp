#include "reports/ui/print_option_command.h"

#include <QDir>

#include "document/otdr_doc.h"
#include "reports/report_ini_files.h"
#include "reports/ui/print_options_dlg.h"
#include "vocabulary/command_ids.h"

PrintOptionEnvironment DefaultPrintOptionEnvironment(QWidget* owner) {
  PrintOptionEnvironment env;
  env.owner = owner;
  env.iniFolder = [] { return QDir::currentPath().toStdString(); };
  env.runDialog = [](CCPrintOptionsDlg& dialog) { return dialog.DoModal(); };
  return env;
}

void OnPrintOption(COtdrDoc& doc, const PrintOptionEnvironment& env) {
  PrintOptions& options = doc.m_PrintOptions;
  CCPrintOptionsDlg dialog(env.owner);
  dialog.SetOptions(options);
  if (env.runDialog(dialog) != QDialog::Accepted) return;
  options = dialog.Options();
  // A record for other programs only; the options in memory already hold the choice.
  WriteConfigReportIni(env.iniFolder(), doc.m_ConfigReport);
}

void BindPrintOptionCommand(COtdrDoc& doc, PrintOptionEnvironment env) {
  doc.Commands().BindCommand(CmdPrintOption, [&doc, env = std::move(env)] { OnPrintOption(doc, env); });
}
