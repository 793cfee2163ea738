#include "instrument/ui/upload_command.h"

#include <sys/stat.h>

#include <QDir>
#include <QSerialPortInfo>

#include "document/otdr_doc.h"
#include "instrument/ui/browse_dir_dlg.h"
#include "instrument/ui/comm_set_dlg.h"
#include "instrument/ui/thread_dlg.h"
#include "instrument/upload_launch.h"
#include "platform/ini_file.h"
#include "platform/number_format.h"
#include "platform/path_util.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/text_table.h"

UploadEnvironment DefaultUploadEnvironment(QWidget* owner) {
  UploadEnvironment env;
  env.clock = LocalTimeNow;
  env.makeTransport = MakeUploadTransport;
  env.owner = owner;
  env.chooseFolder = [owner](const std::string& title, const std::string& initial) -> std::optional<std::string> {
    CBrowseDirDlg browser(owner);
    browser.SetBrowseTitle(title);
    browser.SetInitialFolder(initial);
    if (!browser.BrowseForFolder()) return std::nullopt;
    return browser.m_strPath;
  };
  env.listPorts = [] {
    std::vector<std::string> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) ports.push_back(info.systemLocation().toStdString());
    return ports;
  };
  return env;
}

void OnUploadTraceFile(COtdrDoc& doc, const UploadEnvironment& env) {
  PortSettings& settings = doc.m_PortSettings;
  CCCommSetDlg dialog(env.listPorts ? env.listPorts() : std::vector<std::string>{}, env.owner);
  dialog.m_strInterface = settings.m_strPortType;
  dialog.m_strPort = settings.m_strPortName;
  dialog.m_strBaudRate = lumivane::Format("%d", settings.m_nBaudRate);
  dialog.m_strDataBits = lumivane::Format("%d", settings.m_nDataBits);
  dialog.m_nParityIndex = settings.m_nParity;
  dialog.m_nStopBitsIndex = settings.m_nStopBits;
  if (dialog.DoModal() != QDialog::Accepted) return;
  settings.m_strPortName = dialog.m_strPort;
  settings.m_nBaudRate = lumivane::ParseLeadingInt(dialog.m_strBaudRate);
  settings.m_nDataBits = lumivane::ParseLeadingInt(dialog.m_strDataBits);
  settings.m_nParity = dialog.m_nParityIndex;
  settings.m_nStopBits = dialog.m_nStopBitsIndex;
  settings.m_strPortType = dialog.m_strInterface;
  StartUpload(doc, env);
}

void StartUpload(COtdrDoc& doc, const UploadEnvironment& env) {
  doc.m_strWorkPath.clear();
  const std::optional<std::string> chosen =
      env.chooseFolder(g_CurrentStrings[TextRow::SelectDirectory], QDir::currentPath().toStdString());
  if (!chosen) return;
  const std::string folder = lumivane::JoinPath(*chosen, DatedFolderName(env.clock()));
  doc.m_strWorkPath = folder + "/";
  // A folder of that name exists already (a second upload within the same second) or the place
  // is not writable: the command ends without a word.
  if (::mkdir(folder.c_str(), 0777) != 0) return;
  const auto job = LaunchUploadWorker(doc, env.makeTransport(doc.m_PortSettings), folder, env.progress);
  if (!job) return;
  CCThreadDlg progress(env.progress, env.owner);
  progress.DoModal();
  FinishUploadWorker(doc, job.get());
}

void BindUploadCommand(COtdrDoc& doc, UploadEnvironment env) {
  doc.Commands().BindCommand(CmdUploadTraceFile, [&doc, env = std::move(env)] { OnUploadTraceFile(doc, env); });
}
