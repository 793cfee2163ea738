#include "instrument/ui/browse_dir_dlg.h"

#include <QFileDialog>

bool CBrowseDirDlg::BrowseForFolder() {
  QFileDialog dialog(m_pOwner, QString::fromStdString(m_strTitle), QString::fromStdString(m_strInitialFolder));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  m_strPath = dialog.selectedFiles().front().toStdString();
  return true;
}
